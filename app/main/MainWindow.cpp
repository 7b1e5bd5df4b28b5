#include "app/main/MainWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <stdexcept>

#include "app/dialogs/PasswordDialog.h"
#include "app/dialogs/RecSettingsDialog.h"
#include "app/dialogs/SplashWindow.h"
#include "app/dialogs/StatusWindow.h"
#include "app/lists/ContentListsController.h"
#include "app/lang/FormLanguage.h"
#include "app/lists/ListViewSetup.h"
#include "app/main/ConnectionController.h"
#include "app/main/ExplorerPane.h"
#include "app/main/IdleScheduler.h"
#include "app/main/LanguageMenuView.h"
#include "app/main/LongOperation.h"
#include "app/main/MainUiLock.h"
#include "app/main/StatusPanel.h"
#include "app/main/EraseActions.h"
#include "app/main/WaveInfoAction.h"
#include "app/services/AppMessageBox.h"
#include "core/links/ConnectType.h"
#include "core/settings/MainSettingsFile.h"
#include "core/settings/ProgramOptions.h"
#include "localizer/LanguageMenu.h"
#include "widgets/lang/LanguageController.h"

namespace {

QAction* MakeAction(QObject* owner, const char* name, const QString& caption, const QString& hint = {},
                    const QKeySequence& shortcut = {})
{
    auto* action = new QAction(caption, owner);
    action->setObjectName(QLatin1String(name));
    action->setToolTip(hint.isEmpty() ? caption : hint);
    action->setStatusTip(hint);
    action->setShortcut(shortcut);
    return action;
}

QToolButton* MakeToolButton(QToolBar* bar, const char* name, QAction* action)
{
    auto* button = new QToolButton(bar);
    button->setObjectName(QLatin1String(name));
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->addWidget(button);
    return button;
}

}  // namespace

TfrmTrellavoxMain::TfrmTrellavoxMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmTrellavoxMain"));
    setWindowTitle(QStringLiteral("Trellavox"));
    resize(900, 600);
    BuildActions();
    BuildPanels();
    BuildMenus();
    BuildToolBar();
    BuildContentLists();
    m_uiLock = std::make_unique<TMainUiLock>(*this, *mainPanel);
    m_operation = std::make_unique<TLongOperation>(*m_uiLock);
    BindFormLanguage(this)->OnLanguageChanged = [this](TLanguageController&) { LanguageController1LanguageChanged(); };
    FormCreate();
}

TfrmTrellavoxMain::~TfrmTrellavoxMain()
{
    // The recorder goes before the dialogs it reports to.
    delete m_scheduler;
    m_scheduler = nullptr;
    delete m_connection;
    m_connection = nullptr;
    delete m_lists;
    m_lists = nullptr;
}

void TfrmTrellavoxMain::AttachForms(TfrmRecSettings* recSettings, TfrmStatus* status, TPasswordDlg* password)
{
    if (m_connection)
        throw std::logic_error("the main window's forms are attached once");
    m_recSettings = recSettings;
    m_operation->SetStatusWindow(status);
    WireConnection(recSettings, password);
}

void TfrmTrellavoxMain::BuildActions()
{
    actConnect = MakeAction(this, "actConnect", QStringLiteral("Connect"));
    actDisconnect = MakeAction(this, "actDisconnect", QStringLiteral("Disconnect"));
    actDisconnect->setEnabled(false);
    actRecRefresh = MakeAction(this, "actRecRefresh", QStringLiteral("Refresh content"));
    actCopyToPC = MakeAction(this, "actCopyToPC", QStringLiteral("Copy to PC"), {}, QKeySequence(Qt::Key_F5));
    actMoveToPC =
        MakeAction(this, "actMoveToPC", QStringLiteral("Move to PC"), {}, QKeySequence(Qt::SHIFT | Qt::Key_F5));
    actCopyToDefFolder = MakeAction(this, "actCopyToDefFolder", QStringLiteral("Copy to default folder"),
                                    QStringLiteral("Copy Selected Items To Default Folder"), QKeySequence(Qt::Key_F6));
    actMoveToDefFolder =
        MakeAction(this, "actMoveToDefFolder", QStringLiteral("Move to default folder"),
                   QStringLiteral("Move Selected Items To Default Folder"), QKeySequence(Qt::SHIFT | Qt::Key_F6));
    actShowRec = MakeAction(this, "actShowRec", QStringLiteral("Records"), {}, QKeySequence(Qt::Key_F3));
    actShowDrv = MakeAction(this, "actShowDrv", QStringLiteral("Flash Drive"), {}, QKeySequence(Qt::Key_F4));
    actDrvLevelUp = MakeAction(this, "actDrvLevelUp", QStringLiteral("Level Up"), QStringLiteral("Up One Level"));
    actDrvLevelUp->setEnabled(false);
    actSyncClock = MakeAction(this, "actSyncClock", QStringLiteral("Synchronize clock"),
                              QStringLiteral("Synchronize recorder time with system time"));
    actRecErase = MakeAction(this, "actRecErase", QStringLiteral("Erase selected items"), {}, QKeySequence(Qt::Key_F8));
    actFormat = MakeAction(this, "actFormat", QStringLiteral("Format recorder memory"));
    for (QAction* action : {actCopyToPC, actMoveToPC, actCopyToDefFolder, actMoveToDefFolder, actRecErase})
        action->setEnabled(false);
    addActions({actConnect, actDisconnect, actRecRefresh, actCopyToPC, actMoveToPC, actCopyToDefFolder,
                actMoveToDefFolder, actShowRec, actShowDrv, actDrvLevelUp, actSyncClock, actRecErase, actFormat});
}

void TfrmTrellavoxMain::BuildMenus()
{
    Recorder1 = menuBar()->addMenu(QStringLiteral("&Recorder"));
    Recorder1->setObjectName(QStringLiteral("Recorder1"));
    Recorder1->addAction(actConnect);
    Recorder1->addAction(actDisconnect);
    Recorder1->addSeparator();
    Recorder1->addAction(actRecRefresh);
    Recorder1->addAction(actSyncClock);
    Recorder1->addAction(actFormat);
    Recorder1->addSeparator();
    Connectiontype1 = Recorder1->addAction(QStringLiteral("Connection type"));
    Connectiontype1->setObjectName(QStringLiteral("Connectiontype1"));
    Connectiontype1->setVisible(false);

    View1 = menuBar()->addMenu(QStringLiteral("&View"));
    View1->setObjectName(QStringLiteral("View1"));
    View1->addAction(actShowRec);
    View1->addAction(actShowDrv);
    View1->addSeparator();
    View1->addAction(m_explorer->ShowAction());
    View1->addAction(m_explorer->TreeAction());
    View1->addSeparator();
    auto* styles = new QActionGroup(this);
    const auto addStyle = [&](QAction*& item, const char* name, const QString& caption, int style) {
        item = View1->addAction(caption);
        item->setObjectName(QLatin1String(name));
        item->setCheckable(true);
        styles->addAction(item);
        connect(item, &QAction::triggered, this, [this, style] { RunGuarded([&] { ViewStyleClick(style); }); });
    };
    addStyle(mnLargeIcons, "mnLargeIcons", QStringLiteral("Large Icons"), 0);
    addStyle(mnSmallIcons, "mnSmallIcons", QStringLiteral("Small Icons"), 1);
    addStyle(mnList, "mnList", QStringLiteral("List"), 2);
    addStyle(mnReport, "mnReport", QStringLiteral("Details"), 3);
    View1->addSeparator();
    // A menu item of its own that stands for the action, as the tool button does.
    Showaddinfo1 = View1->addAction(actShowAddInfo->text());
    Showaddinfo1->setObjectName(QStringLiteral("Showaddinfo1"));
    Showaddinfo1->setShortcut(actShowAddInfo->shortcut());
    Showaddinfo1->setShortcutContext(Qt::WidgetShortcut);
    Showaddinfo1->setEnabled(actShowAddInfo->isEnabled());
    connect(Showaddinfo1, &QAction::triggered, actShowAddInfo, &QAction::trigger);
    connect(actShowAddInfo, &QAction::changed, Showaddinfo1,
            [this] { Showaddinfo1->setEnabled(actShowAddInfo->isEnabled()); });

    Language1 = menuBar()->addMenu(QStringLiteral("&Language"));
    Language1->setObjectName(QStringLiteral("Language1"));
    m_languageView = std::make_unique<TMenuLanguageView>(
        *Language1, [this](int position) { RunGuarded([&] { LanguageClick(position); }); });

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    PopupMenu2->addActions({actCopyToPC, actMoveToPC});
    PopupMenu2->addSeparator();
    PopupMenu2->addActions({actCopyToDefFolder, actMoveToDefFolder});
    PopupMenu2->addSeparator();
    PopupMenu2->addAction(actRecErase);

    BuildConnectionMenu();
}

void TfrmTrellavoxMain::BuildConnectionMenu()
{
    pmConnect = new QMenu(this);
    pmConnect->setObjectName(QStringLiteral("pmConnect"));
    auto* group = new QActionGroup(this);
    for (const TConnectTypeRow& row : kConnectTypes) {
        QAction* item = pmConnect->addAction(QString::fromUtf8(row.menuCaption));
        item->setObjectName(QLatin1String(row.menuObjectName));
        item->setCheckable(true);
        item->setVisible(row.shownInMenu);
        group->addAction(item);
        const int type = row.type;
        connect(item, &QAction::triggered, this, [this, type] { RunGuarded([&] { ConnectMenuClick(type); }); });
        miConnect[row.type] = item;
    }
}

void TfrmTrellavoxMain::BuildContentLists()
{
    TContentListsUi ui;
    ui.LvRecContent = lvRecContent;
    ui.LvDrvContent = lvDrvContent;
    ui.CbexRecLocation = cbexRecLocation;
    ui.ActShowRec = actShowRec;
    ui.ActShowDrv = actShowDrv;
    ui.ActDrvLevelUp = actDrvLevelUp;
    ui.ActRecErase = actRecErase;
    ui.PopupMenu2 = PopupMenu2;
    ui.StatusKeyAllowed = [this] {
        return IsDemoConnection(ProgramOptions.ConnectType) || (m_connection && m_connection->FDiagMode);
    };
    ui.Recorder = [this] { return m_connection ? m_connection->Recorder() : nullptr; };
    ui.Connected = [this] { return m_connection && m_connection->FConnected; };
    m_lists = new TContentListsController(ui, this);
}

void TfrmTrellavoxMain::BuildToolBar()
{
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    addToolBar(ToolBar1);
    tlbtnConnect = MakeToolButton(ToolBar1, "tlbtnConnect", actConnect);
    tlbtnRefresh = MakeToolButton(ToolBar1, "tlbtnRefresh", actRecRefresh);
    ToolBar1->addSeparator();
    tlbtnCopyToPc = MakeToolButton(ToolBar1, "tlbtnCopyToPc", actCopyToPC);
    tlbtnCopyToDefFolder = MakeToolButton(ToolBar1, "tlbtnCopyToDefFolder", actCopyToDefFolder);
    ToolBar1->addSeparator();
    tlbtnAddInfo = MakeToolButton(ToolBar1, "tlbtnAddInfo", actShowAddInfo);
    ToolBar1->hide();
}

void TfrmTrellavoxMain::BuildPanels()
{
    mainPanel = new QWidget(this);
    mainPanel->setObjectName(QStringLiteral("mainPanel"));
    setCentralWidget(mainPanel);
    auto* mainLayout = new QHBoxLayout(mainPanel);
    mainLayout->setContentsMargins(0, 0, 0, 0);
    Splitter1 = new QSplitter(Qt::Horizontal, mainPanel);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    mainLayout->addWidget(Splitter1);

    pnlRecContent = new QWidget(Splitter1);
    pnlRecContent->setObjectName(QStringLiteral("pnlRecContent"));
    pnlRecContent->setFocusPolicy(Qt::StrongFocus);
    auto* recLayout = new QVBoxLayout(pnlRecContent);
    recLayout->setContentsMargins(0, 0, 0, 0);
    recLayout->setSpacing(2);

    auto* captionBar = new QHBoxLayout;
    pnlRecLocation = new QWidget(pnlRecContent);
    pnlRecLocation->setObjectName(QStringLiteral("pnlRecLocation"));
    auto* locationLayout = new QHBoxLayout(pnlRecLocation);
    locationLayout->setContentsMargins(0, 0, 0, 0);
    cbexRecLocation = new QComboBox(pnlRecLocation);
    cbexRecLocation->setObjectName(QStringLiteral("cbexRecLocation"));
    locationLayout->addWidget(cbexRecLocation);
    lbDemo = new QLabel(pnlRecContent);
    lbDemo->setObjectName(QStringLiteral("lbDemo"));
    lbDemo->setStyleSheet(QStringLiteral("QLabel { font-weight: bold; padding: 0 6px; }"));
    captionBar->addWidget(pnlRecLocation, 1);
    captionBar->addWidget(lbDemo);
    recLayout->addLayout(captionBar);

    pnlStatus = new TStatusPanel(pnlRecContent);
    pnlStatus->hide();
    recLayout->addWidget(pnlStatus);

    auto* viewArea = new QWidget(pnlRecContent);
    auto* viewGrid = new QGridLayout(viewArea);
    viewGrid->setContentsMargins(0, 0, 0, 0);
    lbErrorState = new QLabel(viewArea);
    lbErrorState->setObjectName(QStringLiteral("lbErrorState"));
    lbErrorState->setAlignment(Qt::AlignCenter);
    lbErrorState->setWordWrap(true);
    pnlRecorder = new QWidget(viewArea);
    pnlRecorder->setObjectName(QStringLiteral("pnlRecorder"));
    pnlRecorder->setAutoFillBackground(true);
    auto* recorderLayout = new QVBoxLayout(pnlRecorder);
    recorderLayout->setContentsMargins(0, 0, 0, 0);
    lvRecContent = MakeReportView(pnlRecorder, "lvRecContent");
    lvDrvContent = MakeReportView(pnlRecorder, "lvDrvContent");
    lvDrvContent->hide();
    recorderLayout->addWidget(lvRecContent);
    recorderLayout->addWidget(lvDrvContent);
    viewGrid->addWidget(lbErrorState, 0, 0);
    viewGrid->addWidget(pnlRecorder, 0, 0);
    pnlRecorder->hide();
    recLayout->addWidget(viewArea, 1);

    m_explorer = new TExplorerPane(*this, *Splitter1);
    m_waveInfo = new TWaveInfoAction(*this, *m_explorer);
    actShowAddInfo = m_waveInfo->Action();
    Splitter1->setStretchFactor(0, 1);

    mainPanel->hide();  // shown at the end of the start-up work
}

void TfrmTrellavoxMain::WireConnection(TfrmRecSettings* recSettings, TPasswordDlg* password)
{
    TConnectionUi ui;
    ui.MainWindow = this;
    ui.MainPanel = mainPanel;
    ui.PnlRecorder = pnlRecorder;
    ui.LbErrorState = lbErrorState;
    ui.LbDemo = lbDemo;
    ui.PnlStatus = pnlStatus;
    ui.ActConnect = actConnect;
    ui.ActDisconnect = actDisconnect;
    ui.ActCopyToPC = actCopyToPC;
    ui.ActMoveToPC = actMoveToPC;
    ui.ActCopyToDefFolder = actCopyToDefFolder;
    ui.ActMoveToDefFolder = actMoveToDefFolder;
    ui.TlbtnCopyToPc = tlbtnCopyToPc;
    ui.TlbtnCopyToDefFolder = tlbtnCopyToDefFolder;
    ui.PasswordDlg = password;
    ui.SettingsDlg = recSettings;
    ui.Views = m_lists;
    ui.Operation = m_operation.get();
    m_connection = new TConnectionController(ui, this);
    m_connection->SetPassHooks([this] { m_explorer->RefreshPending(); }, [this] { FreeSplash(); });
    if (m_scheduler)
        m_connection->SetSchedulePass([this] { m_scheduler->SchedulePass(); });
    TConnectionController* connection = m_connection;
    const auto guarded = [connection](void (TConnectionController::*handler)()) {
        return [connection, handler] { RunGuarded([&] { (connection->*handler)(); }); };
    };
    connect(actConnect, &QAction::triggered, m_connection, guarded(&TConnectionController::actConnectExecute));
    connect(actDisconnect, &QAction::triggered, m_connection, guarded(&TConnectionController::actDisconnectExecute));
    connect(actRecRefresh, &QAction::triggered, m_connection, guarded(&TConnectionController::actRecRefreshExecute));
    connect(actSyncClock, &QAction::triggered, m_connection, guarded(&TConnectionController::actSyncClockExecute));
    new TEraseActions(*actRecErase, *actFormat, *m_lists, *m_operation, [connection] { return connection->Recorder(); },
                      this);
}

void TfrmTrellavoxMain::FormCreate()
{
    pnlRecLocation->setFixedHeight(cbexRecLocation->sizeHint().height());
    // The connection menu is also a submenu of Recorder1, where the
    // placeholder stands.
    pmConnect->setTitle(Connectiontype1->text());
    Recorder1->insertMenu(Connectiontype1, pmConnect);
}

void TfrmTrellavoxMain::LanguageController1LanguageChanged()
{
    // The connection submenu's title is a copy of the placeholder's caption.
    pmConnect->setTitle(Connectiontype1->text());
}

void TfrmTrellavoxMain::EnableIdlePasses()
{
    if (m_scheduler)
        return;
    m_scheduler = new TIdleScheduler(
        [this](bool& done) {
            m_connection->IdlePass(done);
            m_lists->UpdateActions();
            m_waveInfo->actShowAddInfoUpdate();
        },
        [this] { return IdleBlocked(); }, this);
    if (m_recSettings)
        connect(m_recSettings, &QDialog::finished, m_scheduler, [this] { m_scheduler->SchedulePass(); });
    m_connection->SetSchedulePass([this] { m_scheduler->SchedulePass(); });
    m_uiLock->SetOnUnlocked([this] { m_scheduler->SchedulePass(); });
    m_scheduler->SchedulePass();
}

bool TfrmTrellavoxMain::IdleBlocked() const
{
    return m_uiLock->IsLocked() || (m_recSettings && m_recSettings->isVisible());
}

void TfrmTrellavoxMain::BringToFront()
{
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

// The "Copy selected part" command comes with copying parts to the PC.
void TfrmTrellavoxMain::SetCopySelPartHidden(bool) {}

void TfrmTrellavoxMain::SetFlashDriveOptions(bool disabled, bool hidden)
{
    m_lists->SetDriveViewOptions(disabled, hidden);
}

void TfrmTrellavoxMain::FreeSplash()
{
    if (!m_splash)
        return;
    m_splash.reset();
    activateWindow();
}

void TfrmTrellavoxMain::ConnectMenuClick(int connectType)
{
    if (!m_connection->SelectConnectType(connectType))
        ConnectMenuItem(ProgramOptions.ConnectType)->setChecked(true);
}

void TfrmTrellavoxMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        m_uiLock->RememberFocus();
}
