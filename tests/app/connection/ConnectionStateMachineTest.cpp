#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <atomic>
#include <thread>

#include "app/connection/StatusPanel.h"
#include "app/dialogs/RecSettingsDialog.h"
#include "app/dialogs/StatusWindow.h"
#include "app/lists/ContentListsController.h"
#include "app/lists/RecordList.h"
#include "app/services/AppMessageBox.h"
#include "app/services/FileDialogs.h"
#include "app/services/LongOperation.h"
#include "app/services/MainUiLock.h"
#include "core/flash/SoundFileInfo.h"
#include "core/flash/SoundFileList.h"
#include "core/links/ConnectType.h"
#include "core/protocol/RecXchange.h"
#include "core/protocol/RecorderCommands.h"
#include "core/recorder/NoPasswordBytes.h"
#include "core/recorder/Recorder.h"
#include "core/recorder/RecorderSettingsModel.h"
#include "core/transfer/BlockRecovery.h"
#include "localizer/LangFormat.h"
#include "tests/app/CancelOnCommand.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/app/SimWindowFixture.h"
#include "tests/app/connection/StubRecorder.h"
#include "tests/support/ContentBuilder.h"
#include "tests/support/RecorderFields.h"
#include "tests/support/SimRecorder.h"
#include "tests/support/SimRecorderLink.h"
#include "tests/support/WaitUntil.h"
#include "widgets/MyGauge.h"

namespace {

SimRecorder::Password SimPassword(const QString& text)
{
    const TPasswordBytes bytes = PasswordBytes(text);
    SimRecorder::Password password{};
    std::copy_n(bytes.begin(), password.size(), password.begin());
    return password;
}

// How a test recorder's format job ends.
enum class FormatEnd { Completes, WaitsForAbort, Fails };

std::atomic<FormatEnd> g_formatEnd{FormatEnd::Completes};
std::atomic<int> g_formatRuns{0};

TJobOutcome TestFormatJob(TRecorderJobContext& context)
{
    ++g_formatRuns;
    switch (g_formatEnd.load()) {
    case FormatEnd::Completes:
        return TJobOutcome::Completed;
    case FormatEnd::Fails:
        ThrowIoError(cmdEraseBlock);
    case FormatEnd::WaitsForAbort:
        break;
    }
    if (!WaitUntil([&] { return context.AbortRequested(); }))
        ADD_FAILURE() << "the format job was never asked to stop";
    return TJobOutcome::Aborted;
}

// The real recorder object with a format job of the test's choosing.
class FormatTestRecorder : public TRecorder {
public:
    using TRecorder::TRecorder;

protected:
    const TRecorderJobInfo& JobInfo(TRecorderJob job) const override
    {
        static const TRecorderJobInfo format{TRecorderJob::Format, "Formatting the recorder memory", rsFormatting,
                                             TestFormatJob, false};
        return job == TRecorderJob::Format ? format : TRecorder::JobInfo(job);
    }
};

const QString kCantFind = QStringLiteral("Can't find Recorder. Connect Recorder to PC.");
constexpr std::uint32_t kQuestion = MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2;

}  // namespace

class ConnectionTest : public MainWindowFixture {};

TEST_F(ConnectionTest, CaptionAndConnectionLabelFollowTheConnectionType)
{
    struct Case {
        int type;
        QString caption;
        QString label;
    };
    const QString image = DocumentsPath() + QStringLiteral("recorder.qdm");
    const Case cases[] = {
        {0, QStringLiteral("Connect via USB 1.1 adapter"), QStringLiteral("USB 1.1")},
        {1, QStringLiteral("Connect via image file: ") + image, QStringLiteral("recorder.qdm")},
        {2, QStringLiteral("Connect via USB 2.0 adapter"), QStringLiteral("USB 2.0")},
        {3, QStringLiteral("DEMO MODE"), QStringLiteral("DEMO MODE")},
        {4, QStringLiteral("Connect via USB 2.0 adapter"), QStringLiteral("USB 2.0")},
        {5, QStringLiteral("Connect via USB 2.0 adapter"), QStringLiteral("USB 2.0")},
        // A type a damaged settings file left reads as the demo.
        {9, QStringLiteral("DEMO MODE"), QStringLiteral("DEMO MODE")},
        {-7, QStringLiteral("DEMO MODE"), QStringLiteral("DEMO MODE")},
    };
    StartWith(3);
    ProgramOptions.ImageFileName = image;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        ASSERT_TRUE(connection->SelectConnectType(c.type));
        window->lbDemo->setText(QStringLiteral("stale"));
        Pass();  // connects
        ASSERT_NE(connection->Recorder(), nullptr);
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Application - ") + c.caption);
        EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("lbDemo"))->text(), c.label);
    }
}

TEST_F(ConnectionTest, TheConnectionMenuHasOneItemPerTypeAndAnUnknownTypeChecksTheDefault)
{
    StartWith(3);
    // The image-file item asks for its file first.
    struct : TFileDialogAnswerer {
        std::optional<QString> Answer(const TFileDialogRequest&) override { return QStringLiteral("/x.qdm"); }
    } imageFile;
    SetFileDialogAnswerer(&imageFile);
    const QList<QAction*> actions = window->pmConnect->actions();
    ASSERT_EQ(std::count_if(actions.begin(), actions.end(), [](QAction* action) { return !action->isSeparator(); }),
              static_cast<qsizetype>(kConnectTypes.size()));
    for (const TConnectTypeRow& row : kConnectTypes) {
        SCOPED_TRACE(row.menuObjectName);
        auto* item = window->pmConnect->findChild<QAction*>(QLatin1String(row.menuObjectName));
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->isVisible(), row.shownInMenu);
        item->trigger();
        EXPECT_EQ(ProgramOptions.ConnectType, static_cast<std::int32_t>(row.type));
        EXPECT_TRUE(item->isChecked());
    }
    SetFileDialogAnswerer(nullptr);
    window->CheckConnectMenuItem(static_cast<TConnectMenuItem>(-7));
    EXPECT_TRUE(window->ConnectMenuItem(ctDemo)->isChecked());
}

TEST_F(ConnectionTest, DemoConnectionUsesTheDemoImageOfTheDocumentsFolder)
{
    StartWith(3);
    Pass();
    ASSERT_NE(connection->Recorder(), nullptr);
    EXPECT_EQ(connection->Recorder()->GetImageFile(), DocumentsPath() + QStringLiteral("ZEL4_DEMO.QDM"));
    EXPECT_TRUE(QFile::exists(DocumentsPath() + QStringLiteral("ZEL4_DEMO.QDM")));
}

namespace {

std::atomic<int> g_probes{0};
bool SilentProbe()
{
    ++g_probes;
    return false;
}
void SilentTransaction(std::uint8_t code, const void*, std::uint32_t, void*, std::uint32_t, std::uint32_t)
{
    ThrowIoError(code);
}

}  // namespace

TEST_F(ConnectionTest, WithoutARecorderTheProbeRunsOncePerBackOff)
{
    StartWith(1);
    ProgramOptions.ImageFileName = DocumentsPath() + QStringLiteral("missing.qdm");
    Pass();  // connects, no probe
    ASSERT_NE(connection->Recorder(), nullptr);
    EXPECT_FALSE(connection->Timer1()->isActive());
    SetLink(SilentProbe, SilentTransaction);
    g_probes = 0;

    EXPECT_FALSE(Pass());  // probes: not connected, Done false
    EXPECT_EQ(g_probes, 1);
    EXPECT_TRUE(connection->Timer1()->isActive());
    Pass();  // the back-off still runs
    EXPECT_EQ(g_probes, 1);
    WaitForBackOff();
    Pass();
    EXPECT_EQ(g_probes, 2);

    EXPECT_TRUE(window->pnlRecorder->isHidden());
    EXPECT_TRUE(window->pnlStatus->isHidden());
    EXPECT_EQ(window->lbErrorState->text(), kCantFind);
    EXPECT_TRUE(window->actConnect->isEnabled());
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(ConnectionTest, TheDemoRecorderOpensWithoutPasswordAndShowsItsStatus)
{
    StartWith(3);
    Pass();
    Pass();
    EXPECT_TRUE(connection->FConnected);
    EXPECT_FALSE(window->pnlRecorder->isHidden());
    EXPECT_FALSE(window->pnlStatus->isHidden());
    EXPECT_TRUE(window->pnlStatus->lbModel->text().startsWith(QStringLiteral(" Model: ")));
    EXPECT_TRUE(window->pnlStatus->lbTotalMem->text().startsWith(QStringLiteral(" Total memory: ")));
    EXPECT_TRUE(window->pnlStatus->lbTotalMem->text().endsWith(QStringLiteral(" MB ")));
    // No live clock or battery on an image.
    EXPECT_TRUE(window->pnlStatus->pnlBat->isHidden());
    EXPECT_TRUE(window->actDisconnect->isEnabled());
    // The refresh's lock gave back only what it took.
    EXPECT_FALSE(window->actCopyToPC->isEnabled());
    EXPECT_FALSE(window->actRecErase->isEnabled());
    EXPECT_FALSE(window->tlbtnCopyToPc->isEnabled());
    EXPECT_FALSE(connection->FFreshConnection);
    // The refresh's status window was closed by the pass; the UI is free.
    EXPECT_FALSE(forms->frmStatus->isVisible());
    EXPECT_TRUE(window->mainPanel->isEnabled());
    EXPECT_FALSE(connection->IsBusy());
}

// A recorder behind the simulated link after the pass that connected.
using SimConnectionTest = SimWindowFixture;

TEST_F(SimConnectionTest, AFailingRefreshIsShownOnceAndNotRetriedEverySecond)
{
    ConnectSim(3);
    sim.InjectFault({SimFaultKind::Fail, 0, 1, cmdGetFlashParam});
    bool progressShownUnderTheBox = true;
    boxes.OnBox = [&](const ScriptedMessageBoxes::Box&) { progressShownUnderTheBox = forms->frmStatus->isVisible(); };
    Pass();
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_FALSE(progressShownUnderTheBox);
    EXPECT_EQ(boxes.Boxes[0].Text, QStringLiteral("ERROR: I/O Error. Error code 29"));
    EXPECT_EQ(boxes.Boxes[0].Flags, MB_ICONERROR);
    EXPECT_EQ(boxes.Boxes[0].Caption, QStringLiteral("Application"));
    for (int i = 0; i < 3; ++i) {
        WaitForBackOff();
        Pass();
    }
    EXPECT_EQ(boxes.Boxes.size(), 1u);
    // The pass released everything.
    EXPECT_TRUE(connection->FIdleReady);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(window->mainPanel->isEnabled());
}

// The one message of a connection to a recorder without formatted content
// stands over the painted status, not over a finished gauge.
TEST_F(SimConnectionTest, TheProgressWindowClosesBeforeTheUnformattedMemoryIsTold)
{
    sim.SetFirstDataBlock(static_cast<std::uint16_t>(sim.Geometry().TotalBlocks()));
    ConnectSim(3);
    bool progressShown = true;
    bool statusShown = false;
    boxes.OnBox = [&](const ScriptedMessageBoxes::Box&) {
        progressShown = forms->frmStatus->isVisible();
        statusShown = !window->pnlStatus->isHidden() && window->pnlStatus->lbModel->text().contains(u"Model");
    };
    Pass();
    ASSERT_EQ(boxes.Texts(), std::vector<QString>{QStringLiteral("Recorder memory is not formated.")});
    EXPECT_EQ(boxes.Boxes[0].Flags, MB_ICONINFORMATION);
    EXPECT_FALSE(progressShown);
    EXPECT_TRUE(statusShown);
    EXPECT_TRUE(connection->FConnected);
    EXPECT_FALSE(forms->frmStatus->isVisible());
}

TEST_F(SimConnectionTest, AWrongPasswordDeclinedForClearingAsksAgain)
{
    sim.SetPassword(SimPassword(QStringLiteral("secret")));
    ConnectSim(3);
    PasswordScript passwords(*forms->PasswordDlg, {QStringLiteral("wrong"), QStringLiteral("wrong2"), std::nullopt});
    Pass();
    EXPECT_EQ(passwords.Shown, 3);
    ASSERT_EQ(boxes.Boxes.size(), 2u);
    EXPECT_EQ(boxes.Boxes[0].Text, QStringLiteral("Invalid password. Clear password and erase all recorder content?"));
    EXPECT_EQ(boxes.Boxes[0].Flags, kQuestion);
    EXPECT_EQ(boxes.Boxes[0].Caption, QStringLiteral("Application"));
    EXPECT_EQ(forms->PasswordDlg->Label1->text(),
              QStringLiteral("Access to recorder is protected by password.\nEnter password:"));
    // Cancel switched the link off: not connected, no clearing command.
    EXPECT_FALSE(connection->FConnected);
    EXPECT_FALSE(connection->Recorder()->IsEnabled());
    EXPECT_TRUE(window->pnlRecorder->isHidden());
    EXPECT_EQ(sim.CommandCount(cmdSetDefault), 0u);
    EXPECT_EQ(sim.CommandCount(cmdSetDefNoFlashErase), 0u);
}

TEST_F(SimConnectionTest, TheRightPasswordGrantsAccess)
{
    sim.SetPassword(SimPassword(QStringLiteral("secret")));
    ConnectSim(3);
    PasswordScript passwords(*forms->PasswordDlg, {QStringLiteral("wrong"), QStringLiteral("secret")});
    Pass();
    EXPECT_EQ(passwords.Shown, 2);
    EXPECT_TRUE(connection->FConnected);
    EXPECT_EQ(connection->FPassword, QStringLiteral("secret"));
    EXPECT_FALSE(window->pnlRecorder->isHidden());
}

TEST_F(SimConnectionTest, ClearingOnAnAdapterThatResetsItselfSendsCommand65)
{
    window->StartupWork();
    for (const int type : {0, 4}) {
        SCOPED_TRACE(type);
        sim.SetPassword(SimPassword(QStringLiteral("secret")));
        sim.ClearLog();
        boxes.Boxes.clear();
        link.reset();
        ASSERT_TRUE(connection->SelectConnectType(type));
        Pass();
        link = std::make_unique<SimRecorderLink>(sim);
        boxes.Queue({IDYES, IDYES});
        PasswordScript passwords(*forms->PasswordDlg, {QStringLiteral("wrong")});
        Pass();
        ASSERT_EQ(boxes.Boxes.size(), 3u);
        EXPECT_EQ(boxes.Boxes[1].Text,
                  QStringLiteral("Warning! All content of recorder will be erasing . Do you wish to continue?"));
        EXPECT_EQ(boxes.Boxes[2].Flags, MB_OK);
        EXPECT_EQ(sim.CommandCount(cmdSetDefault), 1u);
        EXPECT_EQ(sim.CommandCount(cmdSetDefNoFlashErase), 0u);
        EXPECT_FALSE(sim.HasPassword());
        EXPECT_TRUE(connection->FPassword.isEmpty());
        EXPECT_EQ(passwords.Shown, 1);
    }
}

class ClearByFormatTest : public SimConnectionTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override
    {
        SimConnectionTest::SetUp();
        g_formatRuns = 0;
        connection->SetRecorderFactory([](int type) -> TCustomRecorder* { return new FormatTestRecorder(type); },
                                       [](TCustomRecorder* recorder) { delete recorder; });
        sim.SetPassword(SimPassword(QStringLiteral("secret")));
    }

    void ClearWithWrongPassword()
    {
        ConnectSim(GetParam());
        boxes.Queue({IDYES, IDYES});
        PasswordScript passwords(*forms->PasswordDlg, {QStringLiteral("wrong")});
        Pass();
    }
};

TEST_P(ClearByFormatTest, FormatsFromThePcThenSendsCommand80)
{
    g_formatEnd = FormatEnd::Completes;
    ClearWithWrongPassword();
    EXPECT_EQ(g_formatRuns, 1);
    EXPECT_EQ(sim.CommandCount(cmdSetDefault), 0u);
    EXPECT_EQ(sim.CommandCount(cmdSetDefNoFlashErase), 1u);
    EXPECT_FALSE(sim.HasPassword());
    EXPECT_TRUE(window->mainPanel->isEnabled());
}

TEST_P(ClearByFormatTest, ACancelledFormatKeepsThePassword)
{
    g_formatEnd = FormatEnd::WaitsForAbort;
    // Cancel in the status window once the format runs.
    QTimer cancel;
    cancel.setInterval(5);
    QObject::connect(&cancel, &QTimer::timeout, [this, &cancel] {
        TCustomRecorder* recorder = connection->Recorder();
        if (recorder && recorder->GetState() == rsFormatting && forms->frmStatus->isVisible() &&
            forms->frmStatus->Button1->isEnabled()) {
            forms->frmStatus->Button1->click();
            cancel.stop();
        }
    });
    cancel.start();
    ClearWithWrongPassword();
    EXPECT_EQ(g_formatRuns, 1);
    EXPECT_EQ(sim.CommandCount(cmdSetDefNoFlashErase), 0u);
    EXPECT_TRUE(sim.HasPassword());
    EXPECT_TRUE(window->mainPanel->isEnabled());
}

TEST_P(ClearByFormatTest, AFailedFormatKeepsThePassword)
{
    g_formatEnd = FormatEnd::Fails;
    ClearWithWrongPassword();
    EXPECT_EQ(g_formatRuns, 1);
    EXPECT_EQ(sim.CommandCount(cmdSetDefNoFlashErase), 0u);
    EXPECT_TRUE(sim.HasPassword());
    // The job's failure was shown once.
    const std::vector<QString> texts = boxes.Texts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), QStringLiteral("ERROR: I/O Error. Error code 18")), 1);
}

INSTANTIATE_TEST_SUITE_P(ImageAndDeviceLibrary, ClearByFormatTest, ::testing::Values(1, 3, 5),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "ConnectType" + std::to_string(info.param);
                         });

TEST_F(SimConnectionTest, ClearingFormatsTheRecorderThenSendsCommand80)
{
    sim.SetPassword(SimPassword(QStringLiteral("secret")));
    ConnectSim(3);
    boxes.Queue({IDYES, IDYES});
    PasswordScript passwords(*forms->PasswordDlg, {QStringLiteral("wrong")});
    Pass();
    EXPECT_EQ(sim.CommandCount(cmdEraseBlock), sim.Geometry().TotalBlocks() - sim.FirstDataBlock());
    EXPECT_EQ(sim.CommandCount(cmdSetDefNoFlashErase), 1u);
    EXPECT_FALSE(sim.HasPassword());
}

// Cancel while the format runs: the job stops after the block in progress
// and ends Aborted, so the password stays.
TEST_F(SimConnectionTest, ACancelledFormatSendsNoCommand80)
{
    sim.SetPassword(SimPassword(QStringLiteral("secret")));
    ConnectSim(3);
    std::atomic<bool> clicked{false};
    // The job goes on once the wait has passed the Cancel on as an abort: it
    // checks it after this block.
    auto& recorder = *static_cast<TRecorder*>(connection->Recorder());
    CancelOnFirstCommand(sim, cmdEraseBlock, *window, window->Operation(), clicked,
                         [&recorder] { return Fields(recorder).FAbort.load() != 0; });
    boxes.Queue({IDYES, IDYES});
    PasswordScript passwords(*forms->PasswordDlg, {QStringLiteral("wrong")});
    Pass();
    sim.SetCommandHook(nullptr);
    EXPECT_TRUE(clicked);
    EXPECT_EQ(connection->Recorder()->LastJobOutcome(), TJobOutcome::Aborted);
    EXPECT_LE(sim.CommandCount(cmdEraseBlock), 2u);
    EXPECT_EQ(sim.CommandCount(cmdSetDefNoFlashErase), 0u);
    EXPECT_TRUE(sim.HasPassword());
    EXPECT_TRUE(window->mainPanel->isEnabled());
}

// The clearing path reads how the format ended from the interface, whatever
// object is behind it: a failed format leaves the password alone.
TEST_F(SimConnectionTest, ARecorderOtherThanTheObjectWhoseFormatFailsGetsNoCommand80)
{
    StubRecorder* stub = nullptr;
    connection->SetRecorderFactory(
        [&stub](int) -> TCustomRecorder* {
            stub = new StubRecorder;
            return stub;
        },
        [](TCustomRecorder* recorder) { delete recorder; });
    ConnectSim(3);
    ASSERT_NE(stub, nullptr);
    boxes.Queue({IDYES, IDYES});
    PasswordScript passwords(*forms->PasswordDlg, {QStringLiteral("wrong")});
    Pass();
    EXPECT_EQ(stub->FormatRuns, 1);
    EXPECT_EQ(sim.CommandCount(cmdSetDefNoFlashErase), 0u);
    EXPECT_EQ(sim.CommandCount(cmdSetDefault), 0u);
    const std::vector<QString> texts = boxes.Texts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), QStringLiteral("ERROR: I/O Error. Error code 18")), 1);
    EXPECT_TRUE(window->mainPanel->isEnabled());
}

// A scan that fails inside its job on every try: one message, no false
// "not formatted" box; the passes retry quietly, each retry waiting longer,
// and once the recorder answers again the lists are filled without the user.
TEST_F(SimConnectionTest, AScanFailingIsShownOnceAndRetriedQuietlyUntilItWorks)
{
    const QString error76 = QStringLiteral("ERROR: I/O Error. Error code 76");
    ContentBuilder builder(ContentGeometry::Of(sim));
    RecordingSpec recording;
    recording.number = 1;
    recording.blockCount = 1;
    builder.AddRecording(recording);
    builder.WriteTo(sim);
    ConnectSim(3);
    sim.InjectFault({SimFaultKind::Fail, 0, SimFault::kEveryTime, cmdGetPartsOfPages});
    Pass();
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, error76);
    EXPECT_EQ(boxes.Boxes[0].Flags, MB_ICONERROR);
    // The look for interrupted rewrites reads the geometry too.
    EXPECT_EQ(sim.CommandCount(cmdGetFlashParam), 2u);
    for (int i = 0; i < 8; ++i) {
        WaitForBackOff();
        Pass();
    }
    EXPECT_EQ(boxes.Boxes.size(), 1u);
    const std::size_t retries = sim.CommandCount(cmdGetFlashParam) - 2;
    EXPECT_GE(retries, 1u);
    // The back-off grows: fewer retries than passes.
    EXPECT_LT(retries, 8u);
    EXPECT_EQ(window->Lists().RecordList().Count(), 0);

    // The user's refresh tries at once and shows its failure.
    window->actRecRefresh->trigger();
    ASSERT_EQ(boxes.Boxes.size(), 2u);
    EXPECT_EQ(boxes.Boxes[1].Text, error76);

    sim.ClearFaults();
    EXPECT_TRUE(WaitUntil([&] {
        WaitForBackOff();
        Pass();
        return window->Lists().RecordList().Count() == 1;
    }));
    EXPECT_EQ(boxes.Boxes.size(), 2u);
    EXPECT_TRUE(window->mainPanel->isEnabled());
    EXPECT_TRUE(window->CanClose());
}

// A status rewrite cut between the erase of the first block and its write
// (the link fails every write) is healed by the next connection, before
// its first scan, and told in one message.
TEST_F(SimConnectionTest, ARewriteCutByACrashIsHealedOnTheNextConnect)
{
    ContentBuilder builder(ContentGeometry::Of(sim));
    RecordingSpec recording;
    recording.number = 1;
    recording.blockCount = 2;
    builder.AddRecording(recording);
    builder.WriteTo(sim);
    ConnectSim(3);
    Pass();
    ASSERT_EQ(window->Lists().RecordList().Count(), 1);
    sim.InjectFault({SimFaultKind::Fail, 0, SimFault::kEveryTime, cmdWriteBlock});
    EXPECT_THROW(connection->Recorder()->SetSoundFileStatus(1, 0x55), TERecXchange);
    sim.ClearFaults();

    // The link goes and comes back: the next connect.
    window->actDisconnect->trigger();
    Pass();
    ASSERT_FALSE(connection->FConnected);
    ASSERT_TRUE(boxes.Boxes.empty()) << boxes.Boxes[0].Text.toStdString();
    window->actConnect->trigger();
    Pass();
    ASSERT_TRUE(connection->FConnected);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_TRUE(boxes.Boxes[0].Text.startsWith(QStringLiteral("Record 1 was repaired")))
        << boxes.Boxes[0].Text.toStdString();
    // The scan after it sees the whole recording, marked downloaded.
    const TSoundFileList& files = *connection->Recorder()->GetSoundFiles();
    ASSERT_EQ(files.Count(), 1);
    EXPECT_EQ(files.Item(0)->Status, 0x55);
    EXPECT_EQ(files.Item(0)->Blocks->Count(), 2);
}

// The recording was erased on the recorder itself after the crash: the
// copy is not written, the connect tells which recording, why and where the
// copy is now, once, and the next connect says nothing.
TEST_F(SimConnectionTest, ACopyWhoseRecordingIsGoneIsToldOnceAndWritesNothing)
{
    ContentBuilder builder(ContentGeometry::Of(sim));
    RecordingSpec recording;
    recording.number = 1;
    recording.blockCount = 2;
    const std::vector<std::uint32_t> blocks = builder.AddRecording(recording).blocks;
    builder.WriteTo(sim);
    ConnectSim(3);
    Pass();
    const QString copy = BlockRecoveryPath(connection->Recorder()->GetSerialNumber(), blocks[0]);
    sim.InjectFault({SimFaultKind::Fail, 0, SimFault::kEveryTime, cmdWriteBlock});
    EXPECT_THROW(connection->Recorder()->SetSoundFileStatus(1, 0x55), TERecXchange);
    sim.ClearFaults();
    window->actDisconnect->trigger();
    Pass();
    sim.EraseBlock(blocks[1]);

    window->actConnect->trigger();
    Pass();
    ASSERT_TRUE(connection->FConnected);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, LangConstFormat(QStringLiteral("RecoveryCopyKeptStr"), QStringLiteral("1"),
                                                   LangConst(QStringLiteral("RecoveryNextBlockGoneStr")),
                                                   QDir::toNativeSeparators(copy + QStringLiteral(".kept"))));
    EXPECT_EQ(boxes.Boxes[0].Flags, static_cast<std::uint32_t>(MB_ICONWARNING));
    EXPECT_TRUE(QFileInfo::exists(copy + QStringLiteral(".kept")));
    EXPECT_EQ(window->Lists().RecordList().Count(), 0);

    ReconnectTellsNothingMore();
}

TEST_F(ConnectionTest, ShiftTurnsTheCopyButtonsIntoMoveButtons)
{
    StartWith(3);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    bool shift = true;
    connection->SetShiftDown([&shift] { return shift; });
    Pass();
    EXPECT_EQ(window->tlbtnCopyToPc->defaultAction(), window->actMoveToPC);
    EXPECT_EQ(window->tlbtnCopyToDefFolder->defaultAction(), window->actMoveToDefFolder);
    shift = false;
    Pass();
    EXPECT_EQ(window->tlbtnCopyToPc->defaultAction(), window->actCopyToPC);
    EXPECT_EQ(window->tlbtnCopyToDefFolder->defaultAction(), window->actCopyToDefFolder);
}

TEST_F(SimConnectionTest, NothingDestroysTheRecorderUnderARunningJob)
{
    connection->SetRecorderFactory([](int type) -> TCustomRecorder* { return new FormatTestRecorder(type); },
                                   [](TCustomRecorder* recorder) { delete recorder; });
    ConnectSim(3);
    Pass();
    g_formatEnd = FormatEnd::WaitsForAbort;
    connection->Recorder()->StartFormat();
    EXPECT_TRUE(connection->IsBusy());
    EXPECT_FALSE(connection->Disconnect());
    EXPECT_FALSE(connection->SelectConnectType(5));
    EXPECT_FALSE(window->CanClose());
    EXPECT_FALSE(window->close());
    EXPECT_NE(connection->Recorder(), nullptr);
    EXPECT_EQ(ProgramOptions.ConnectType, 3);
    connection->Recorder()->Abort();
    static_cast<TRecorder*>(connection->Recorder())->WaitForJob();
    EXPECT_TRUE(window->CanClose());
}

TEST_F(ConnectionTest, TheLockedInterfaceRefusesClosingAndLocksMenusAndToolBar)
{
    StartWith(3);
    window->UiLock().LockMainUi(false);
    EXPECT_FALSE(window->mainPanel->isEnabled());
    EXPECT_FALSE(window->menuBar()->isEnabled());
    EXPECT_FALSE(window->ToolBar1->isEnabled());
    EXPECT_FALSE(window->actConnect->isEnabled());
    EXPECT_FALSE(window->CanClose());
    EXPECT_FALSE(connection->Disconnect());
    // A pass under the lock only updates the caption.
    Pass();
    EXPECT_EQ(connection->Recorder(), nullptr);
    window->UiLock().LockMainUi(true);
    EXPECT_TRUE(window->mainPanel->isEnabled());
    EXPECT_TRUE(window->menuBar()->isEnabled());
    // Both were disabled before: no pass has enabled them yet.
    EXPECT_FALSE(window->actConnect->isEnabled());
    EXPECT_FALSE(window->actDisconnect->isEnabled());
    EXPECT_TRUE(window->CanClose());
}

// Connect and Disconnect start disabled; the state machine enables them;
// the tool bar and the Recorder menu carry them as buttons and items of
// their own names that follow the actions.
TEST_F(ConnectionTest, ConnectAndDisconnectStartDisabledAndFollowTheStateMachine)
{
    StartWith(3);
    EXPECT_FALSE(window->actConnect->isEnabled());
    EXPECT_FALSE(window->actDisconnect->isEnabled());
    QToolButton* disconnectButton = window->ToolBar1->findChild<QToolButton*>(QStringLiteral("tlbtnDisconnect"));
    ASSERT_NE(disconnectButton, nullptr);
    EXPECT_EQ(disconnectButton, window->tlbtnDisconnect);
    EXPECT_EQ(disconnectButton->defaultAction(), window->actDisconnect);
    QAction* connect1 = nullptr;
    QAction* disconnect1 = nullptr;
    for (QAction* item : window->Recorder1->actions()) {
        if (item->objectName() == QLatin1String("Connect1"))
            connect1 = item;
        if (item->objectName() == QLatin1String("Disconnect1"))
            disconnect1 = item;
    }
    ASSERT_NE(connect1, nullptr);
    ASSERT_NE(disconnect1, nullptr);
    EXPECT_EQ(window->Recorder1->actions().indexOf(connect1), 0);
    EXPECT_EQ(window->Recorder1->actions().indexOf(disconnect1), 1);
    EXPECT_FALSE(connect1->isEnabled());
    EXPECT_FALSE(disconnect1->isEnabled());

    Pass();
    Pass();
    ASSERT_TRUE(connection->FConnected);
    EXPECT_TRUE(window->actDisconnect->isEnabled());
    EXPECT_TRUE(disconnect1->isEnabled());
    EXPECT_TRUE(disconnectButton->isEnabled());
    EXPECT_EQ(connect1->isEnabled(), window->actConnect->isEnabled());
    EXPECT_EQ(connect1->text(), window->actConnect->text());

    // The menu item runs the action: the link goes off, the action with it.
    disconnect1->trigger();
    EXPECT_FALSE(window->actDisconnect->isEnabled());
    EXPECT_FALSE(disconnect1->isEnabled());
    Pass();
    EXPECT_TRUE(window->actConnect->isEnabled());
    EXPECT_TRUE(connect1->isEnabled());
    connect1->trigger();
    EXPECT_FALSE(window->actConnect->isEnabled());
    Pass();
    Pass();
    EXPECT_TRUE(window->actDisconnect->isEnabled());
}

TEST_F(ConnectionTest, ClosingWritesTheSettingsAndDisconnects)
{
    StartWith(3);
    Pass();
    ASSERT_NE(connection->Recorder(), nullptr);
    bool closed = false;
    QObject::connect(window, &TfrmTrellavoxMain::Closed, [&closed] { closed = true; });
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(closed);
    EXPECT_EQ(connection->Recorder(), nullptr);
    QFile settings(DocumentsPath() + QStringLiteral("ZEL4.set"));
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    EXPECT_TRUE(settings.readAll().contains("ConnectType=3"));
}

TEST_F(ConnectionTest, ErrorsFromAJobThreadReachTheGuiThreadWhileItWaits)
{
    StartWith(3);
    std::atomic<bool> finished{false};
    std::thread job([&finished] {
        ShowRecorderError(TERecXchange(QStringLiteral("I/O Error"), 76));
        finished = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&finished] { return finished.load(); }, 5000));
    job.join();
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, QStringLiteral("ERROR: I/O Error. Error code 76"));
}

TEST_F(SimConnectionTest, TheFirstGrantedPassRefreshesLaterOnesOnlyOnAReportedChange)
{
    ConnectSim(3);
    Pass();
    // Each refresh reads the flash geometry first, and so does the look for
    // interrupted rewrites before the first.
    EXPECT_EQ(sim.CommandCount(cmdGetFlashParam), 2u);
    ASSERT_TRUE(boxes.Boxes.empty()) << boxes.Boxes[0].Text.toStdString();
    WaitForBackOff();
    Pass();
    EXPECT_EQ(sim.CommandCount(cmdGetFlashParam), 2u);
    Fields(*static_cast<TRecorder*>(connection->Recorder())).FContentChanged = 1;
    WaitForBackOff();
    Pass();
    EXPECT_EQ(sim.CommandCount(cmdGetFlashParam), 3u);
    // The user's refresh runs whenever asked.
    window->actRecRefresh->trigger();
    EXPECT_EQ(sim.CommandCount(cmdGetFlashParam), 4u);
    EXPECT_TRUE(window->mainPanel->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// The settings dialog holds the connected recorder's settings model from the
// connection until the recorder goes, and its copy of the record follows
// every refresh.
TEST_F(SimConnectionTest, TheSettingsDialogGetsTheModelOnConnectAndLosesItBeforeTheRecorderGoes)
{
    TfrmRecSettings& dialog = *forms->frmRecSettings;
    EXPECT_EQ(dialog.Model(), nullptr);
    sim.SetProfile(3, {3, 0x40, 0x1F, 2, 1, 1, 0, 50});
    ConnectSim(ctUsb20Adapter);  // settings by commands
    ASSERT_NE(dialog.Model(), nullptr);
    Pass();
    ASSERT_TRUE(connection->FConnected);
    EXPECT_EQ(dialog.EditedSettings().Profiles[3].CycleBufSize, 50);
    EXPECT_EQ(dialog.EditedSettings().Profiles, dialog.Model()->Settings().Profiles);

    sim.SetProfile(3, {3, 0x40, 0x1F, 2, 1, 1, 0, 60});
    window->actRecRefresh->trigger();
    EXPECT_EQ(dialog.EditedSettings().Profiles[3].CycleBufSize, 60);

    ASSERT_TRUE(connection->Disconnect());
    EXPECT_EQ(connection->Recorder(), nullptr);
    EXPECT_EQ(dialog.Model(), nullptr);
    EXPECT_EQ(dialog.EditedSettings(), TRecorderSettings{});
}

TEST_F(ConnectionTest, TheConnectionIsBuiltOnceWithTheForms)
{
    TConnectionController* built = &window->Connection();
    EXPECT_THROW(window->AttachForms(forms->frmRecSettings, forms->frmStatus, forms->PasswordDlg), std::logic_error);
    EXPECT_EQ(&window->Connection(), built);
}
