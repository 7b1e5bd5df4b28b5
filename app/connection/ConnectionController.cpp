#include "app/connection/ConnectionController.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QScopeGuard>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <QToolButton>

#include "app/connection/CutUploadNotice.h"
#include "app/connection/StatusPanel.h"
#include "app/dialogs/PasswordDialog.h"
#include "app/dialogs/RecSettingsDialog.h"
#include "app/dialogs/StatusWindow.h"
#include "app/lists/ContentViews.h"
#include "app/services/AppMessageBox.h"
#include "app/services/ApplicationTitle.h"
#include "app/services/FormatRecorderMemory.h"
#include "app/services/GuiJobRunner.h"
#include "app/services/LongOperation.h"
#include "app/services/MainUiLock.h"
#include "core/flash/DriveFileList.h"
#include "core/flash/SoundFileList.h"
#include "core/links/ConnectType.h"
#include "core/links/image/DemoImage.h"
#include "core/protocol/RecXchange.h"
#include "core/recorder/CustomRecorder.h"
#include "core/recorder/RecInterface.h"
#include "core/recorder/RecorderHost.h"
#include "core/recorder/RecorderJobs.h"
#include "core/recorder/RecorderSettingsModel.h"
#include "core/settings/DocumentsFolder.h"
#include "core/settings/ProgramOptions.h"
#include "localizer/LangConst.h"

namespace {

constexpr std::uint32_t kQuestionFlags = MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2;

// The caption's connection text for a type.
QString ConnectionText(int connectType)
{
    const TConnectTypeRow& row = ConnectTypeRow(connectType);
    QString text = LangConst(QLatin1String(row.captionConst));
    if (row.captionNamesImage)
        text += QStringLiteral(" ") + ProgramOptions.ImageFileName;
    return text;
}

// lbDemo's text for a type.
QString ConnectionLabel(int connectType)
{
    const TConnectTypeRow& row = ConnectTypeRow(connectType);
    return row.labelConst ? LangConst(QLatin1String(row.labelConst))
                          : QFileInfo(ProgramOptions.ImageFileName).fileName();
}

bool ShiftIsDown()
{
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
}

}  // namespace

TConnectionController::TConnectionController(const TConnectionUi& ui, QObject* parent)
    : QObject(parent), m_ui(ui), m_create(CreateRecorder), m_destroy(DestroyRecorder), m_shiftDown(ShiftIsDown)
{
    FDiagMode = ui.DiagMode;
    FProfMode = ui.ProfMode;
    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setSingleShot(true);
    m_timer1->setInterval(1000);
    // Timer1Timer: the one-shot ends by itself; the next pass may probe.
    connect(m_timer1, &QTimer::timeout, this, &TConnectionController::RequestPass);
}

TConnectionController::~TConnectionController()
{
    ReleaseRecorder();
}

// The settings dialog lets go of the recorder before it goes.
void TConnectionController::ReleaseRecorder()
{
    TCustomRecorder* recorder = FRecorder;
    FRecorder = nullptr;
    if (m_ui.SettingsDlg)
        m_ui.SettingsDlg->SetModel(nullptr);
    m_settingsModel.reset();
    if (recorder)
        m_destroy(recorder);
}

void TConnectionController::SetRecorderFactory(TCreateRecorder create, TDestroyRecorder destroy)
{
    m_create = std::move(create);
    m_destroy = std::move(destroy);
}

void TConnectionController::SetBackOffMs(int ms)
{
    m_timer1->setInterval(ms);
}

void TConnectionController::SetPassHooks(std::function<void()> explorerRefresh, std::function<void()> freeSplash)
{
    m_explorerRefresh = std::move(explorerRefresh);
    m_freeSplash = std::move(freeSplash);
}

void TConnectionController::CloseProgressBeforeMessage()
{
    if (m_ui.Operation)
        m_ui.Operation->CloseProgressBeforeMessage();
}

void TConnectionController::RequestPass()
{
    if (m_schedulePass)
        m_schedulePass();
}

bool TConnectionController::IsBusy() const
{
    if (m_ui.Operation && m_ui.Operation->UiLock().IsLocked())
        return true;
    return FRecorder && FRecorder->GetState() != rsIdle;
}

void TConnectionController::IdlePass(bool& done)
{
    if (!FIdleReady)
        return;
    FIdleReady = false;
    try {
        PassSteps(done);
    } catch (const std::exception& error) {
        CloseProgressBeforeMessage();
        ShowException(error);
    } catch (...) {
        CloseProgressBeforeMessage();
        ShowUnknownException();
    }
    try {
        if (m_ui.Operation)
            m_ui.Operation->CloseProgressWindow(m_statusCloseDelayMs);
    } catch (const std::exception& error) {
        ShowException(error);
    }
    FIdleReady = true;
}

void TConnectionController::PassSteps(bool& done)
{
    UpdateCaption();
    if (!m_ui.MainPanel->isEnabled())
        return;
    UpdateCopyButtons();
    if (m_timer1->isActive() || !FStartupDone)
        return;
    m_timer1->start();
    if (m_explorerRefresh)
        m_explorerRefresh();
    if (m_freeSplash)
        m_freeSplash();
    if (!FRecorder) {
        Connect();
        return;
    }
    try {
        ProbeAndRefresh(done);
    } catch (const TERecXchange& error) {
        CloseProgressBeforeMessage();
        ShowRecorderError(error);
    }
}

void TConnectionController::UpdateCaption()
{
    const int type = ProgramOptions.ConnectType;
    const QString text = ConnectionText(type);
    SetApplicationTitle(LangConst(QStringLiteral("AppNameStr")));
    m_ui.MainWindow->setWindowTitle(ApplicationTitle() + QStringLiteral(" - ") + text);
}

void TConnectionController::UpdateCopyButtons()
{
    const bool move = m_ui.MainWindow->isActiveWindow() && m_shiftDown && m_shiftDown();
    // Only a change touches the buttons (each change repaints them).
    const auto show = [](QToolButton* button, QAction* action) {
        if (button && button->defaultAction() != action)
            button->setDefaultAction(action);
    };
    show(m_ui.TlbtnCopyToPc, move ? m_ui.ActMoveToPC : m_ui.ActCopyToPC);
    show(m_ui.TlbtnCopyToDefFolder, move ? m_ui.ActMoveToDefFolder : m_ui.ActCopyToDefFolder);
}

bool TConnectionController::Connect()
{
    const int type = ProgramOptions.ConnectType;
    FRecorder = m_create(type);
    FRecorder->SetImageFile(IsDemoConnection(type) ? DemoImagePath(GetDocumentsFolder())
                                                   : ProgramOptions.ImageFileName);
    m_ui.LbDemo->setText(ConnectionLabel(type));
    FRecorder->SetDebugLog(FDiagMode ? 1 : 0);
    FRecorder->SetHiddenSettingsVisible(FProfMode);
    m_settingsModel = MakeRecorderSettingsModel(*FRecorder);
    if (m_ui.SettingsDlg)
        m_ui.SettingsDlg->SetModel(m_settingsModel.get());
    FConnected = false;
    FFreshConnection = true;
    m_refreshFailed = false;
    m_timer1->stop();
    m_ui.LbErrorState->setText(LangConst(QStringLiteral("CantFindRecorderStr")));
    // The first probe does not wait for the next event.
    RequestPass();
    return true;
}

bool TConnectionController::Disconnect()
{
    if (IsBusy())
        return false;
    if (m_ui.Views)
        m_ui.Views->ClearContent();
    FConnected = false;
    ReleaseRecorder();
    return true;
}

bool TConnectionController::SelectConnectType(int connectType)
{
    if (IsBusy())
        return false;
    ProgramOptions.ConnectType = connectType;
    Disconnect();
    m_timer1->stop();
    RequestPass();
    return true;
}

// Only a change touches the actions: a pass that sets them back and forth
// repaints the tool bar every second.
void TConnectionController::SetConnectActions(bool connect, bool disconnect)
{
    m_ui.ActConnect->setEnabled(connect);
    m_ui.ActDisconnect->setEnabled(disconnect);
}

void TConnectionController::ProbeAndRefresh(bool& done)
{
    FRecorder->SetSkipSilence(ProgramOptions.SkipSilence);
    FConnected = FRecorder->CheckConnection();
    bool granted = false;
    if (FConnected) {
        granted = FRecorder->CheckPassword(FPassword);
        if (!granted) {
            // Neither action while the password is asked for.
            SetConnectActions(false, false);
            granted = RunPasswordLoop();
            FConnected = FRecorder->CheckConnection();
        }
    }
    if (FConnected && granted)
        EnterGranted(done);
    else
        EnterNotConnected(done);
}

bool TConnectionController::RunPasswordLoop()
{
    bool granted = false;
    while (!granted && FRecorder->CheckConnection()) {
        const std::optional<QString> answer = m_ui.PasswordDlg->Ask(
            LangConst(QStringLiteral("AccessQuestionStr")).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        if (!answer) {
            // Cancel switches the link off: the next probe ends the loop.
            FRecorder->SetEnabled(false);
            continue;
        }
        FPassword = *answer;
        granted = FRecorder->CheckPassword(FPassword);
        if (!granted && AskToClearPassword()) {
            ClearPasswordAndContent();
            FPassword.clear();
            break;
        }
    }
    return granted;
}

bool TConnectionController::AskToClearPassword()
{
    const QString title = ApplicationTitle();
    if (AppMessageBox(LangConst(QStringLiteral("InvalidPwdStr")) + QStringLiteral(" ") +
                          LangConst(QStringLiteral("ClearPwdStr")),
                      kQuestionFlags, title) != IDYES)
        return false;
    return AppMessageBox(LangConst(QStringLiteral("EraseAllQuestionStr")), kQuestionFlags, title) == IDYES;
}

void TConnectionController::ClearPasswordAndContent()
{
    if (RecorderResetsItself(ProgramOptions.ConnectType)) {
        AppMessageBox(LangConst(QStringLiteral("LongWaitingStr")), MB_OK, ApplicationTitle());
        FRecorder->ResetToDefaults();
        return;
    }
    // The password goes only with the content: after a format that ended.
    if (FormatRecorderMemory(*FRecorder, *m_ui.Operation, false) == TJobOutcome::Completed)
        FRecorder->ResetDefaultsNoErase();
}

void TConnectionController::EnterGranted(bool& done)
{
    // Before the first scan: blocks a crash left half-rewritten are written back.
    if (FFreshConnection) {
        HealInterruptedRewrites();
        TellCutUploads(*FRecorder, *m_ui.Operation);
    }
    FContentChanged = FContentChanged || FRecorder->IsContentChanged();
    if (FFreshConnection && m_ui.Views)
        m_ui.Views->DriveFolderToTop();
    const bool retryDue = m_refreshFailed && m_retryClock.isValid() && m_retryClock.hasExpired(m_retryDelayMs);
    if (FFreshConnection || (FContentChanged && !m_refreshFailed) || retryDue) {
        SetConnectActions(false, false);
        Refresh(retryDue);
    }
    m_ui.PnlRecorder->show();
    m_ui.PnlStatus->show();
    done = true;
    SetConnectActions(false, true);
    FFreshConnection = false;
    StatusPanelUpdate();
}

void TConnectionController::HealInterruptedRewrites()
{
    const QStringList repaired = FRecorder->HealInterruptedRewrites();
    if (repaired.isEmpty())
        return;
    CloseProgressBeforeMessage();
    AppMessageBox(repaired.join(QLatin1Char('\n')), MB_ICONWARNING, ApplicationTitle());
}

void TConnectionController::EnterNotConnected(bool& done)
{
    SetConnectActions(true, false);
    m_ui.PnlRecorder->hide();
    m_ui.PnlStatus->hide();
    if (m_ui.Views)
        m_ui.Views->ClearViewItems();
    FFreshConnection = true;
    m_refreshFailed = false;
    done = false;
}

TJobOutcome TConnectionController::RefreshRecorderContent(bool showFailure)
{
    QElapsedTimer clock;
    clock.start();
    ++m_refreshStats.Count;
    const auto timed = qScopeGuard([&] { m_refreshStats.Nanoseconds += clock.nsecsElapsed(); });
    if (m_ui.Views)
        m_ui.Views->ClearContent();
    TCustomRecorder& recorder = *FRecorder;
    const TJobOutcome outcome = RunRecorderJob(
                                    *m_ui.Operation, recorder, LangConst(QStringLiteral("StatusRefreshingStr")), false,
                                    [&recorder] { recorder.RefreshContent(); }, showFailure)
                                    .Outcome;
    FContentChanged = FRecorder->IsContentChanged();
    if (m_ui.Views)
        m_ui.Views->FillContent(*FRecorder);
    // The settings dialog shows what a whole refresh read.
    if (outcome == TJobOutcome::Completed && m_ui.SettingsDlg)
        m_ui.SettingsDlg->RestoreControls();
    StatusPanelUpdate();
    return outcome;
}

void TConnectionController::actRecRefreshExecute()
{
    Refresh(false);
}

void TConnectionController::NoteRefresh(bool failed)
{
    if (!failed) {
        m_refreshFailed = false;
        m_retryClock.invalidate();
        return;
    }
    constexpr int kLongestRetryFactor = 32;
    const int first = m_timer1->interval();
    m_retryDelayMs = m_refreshFailed ? std::min(m_retryDelayMs * 2, first * kLongestRetryFactor) : first;
    m_refreshFailed = true;
    m_retryClock.start();
}

void TConnectionController::Refresh(bool quiet)
{
    if (!FRecorder)
        return;
    TBusyCursorScope cursor;
    TMainUiLockScope lock(m_ui.Operation->UiLock());
    try {
        if (!FRecorder->CheckConnection())
            return;
        // A failed refresh was shown by the wait; the passes retry it quietly.
        const bool failed = RefreshRecorderContent(!quiet) != TJobOutcome::Completed;
        NoteRefresh(failed);
        if (failed || !FFreshConnection)
            return;
        if (m_ui.Views)
            m_ui.Views->ShowRecordsView();
        FFreshConnection = false;
        if (ProgramOptions.SyncTime)
            actSyncClockExecute();
        if (ProgramOptions.AutoDownload && m_ui.Views) {
            // The download and its erase question stand over the record list,
            // not over "Can't find Recorder".
            m_ui.PnlRecorder->show();
            m_ui.PnlStatus->show();
            m_ui.Views->RunAutoDownload(ProgramOptions.NonDownOnly, ProgramOptions.AutoDelete);
        }
        const bool noRecords = !FRecorder->GetSoundFiles() || FRecorder->GetSoundFiles()->Count() == 0;
        const bool noDriveFiles = !FRecorder->GetDriveFiles() || FRecorder->GetDriveFiles()->Count() == 0;
        if (noRecords && noDriveFiles && FRecorder->GetUnusedMemory() == 0) {
            // The box stands over the recorder's painted status.
            m_ui.PnlRecorder->show();
            m_ui.PnlStatus->show();
            CloseProgressBeforeMessage();
            AppMessageBox(LangConst(QStringLiteral("RecMemNotFormatedStr")), MB_ICONINFORMATION, ApplicationTitle());
        }
    } catch (const TERecXchange& error) {
        NoteRefresh(true);
        if (quiet)
            return;
        CloseProgressBeforeMessage();
        ShowRecorderError(error);
    }
}

void TConnectionController::actConnectExecute()
{
    m_ui.ActConnect->setEnabled(false);
    if (FRecorder)
        FRecorder->SetEnabled(true);
    m_timer1->stop();
    QApplication::processEvents();
    RequestPass();
}

void TConnectionController::actDisconnectExecute()
{
    m_ui.ActDisconnect->setEnabled(false);
    if (FRecorder)
        FRecorder->SetEnabled(false);
    m_timer1->stop();
    QApplication::processEvents();
    RequestPass();
}

void TConnectionController::actSyncClockExecute()
{
    if (FRecorder)
        FRecorder->SetRecorderTime(civil::LocalNow());
}

void TConnectionController::FlipProfMode()
{
    FProfMode = !FProfMode;
    if (FRecorder)
        FRecorder->SetHiddenSettingsVisible(FProfMode);
}

void TConnectionController::StatusPanelUpdate()
{
    if (FRecorder)
        m_ui.PnlStatus->UpdateFrom(*FRecorder, ProgramOptions.ConnectType);
}
