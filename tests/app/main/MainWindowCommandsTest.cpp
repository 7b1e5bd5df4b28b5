// The main window's small commands: settings dialog, about, exit, the
// hidden-page key and the actions that need a connection.
#include <QAction>
#include <QCheckBox>
#include <QShortcut>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeView>
#include <set>

#include "app/dialogs/AboutBox.h"
#include "app/dialogs/RecSettingsDialog.h"
#include "app/dialogs/SplashWindow.h"
#include "app/main/MainWindowCommands.h"
#include "app/services/MainUiLock.h"
#include "core/protocol/RecorderCommands.h"
#include "tests/app/ModalDialogRunner.h"
#include "tests/app/SimWindowFixture.h"

TEST(DialogPlacement, CentredOnTheMainWindowAndKeptOnItsScreen)
{
    struct Case {
        const char* name;
        QRect main;
        QSize dialog;
        QRect screen;
        QPoint expected;
    };
    const QRect screen(0, 0, 1920, 1080);
    const Case cases[] = {
        {"centred", {100, 100, 800, 600}, {400, 300}, screen, {300, 250}},
        // The halving rounds toward zero, also for a dialog wider than the window.
        {"odd differences", {100, 100, 801, 601}, {400, 300}, screen, {300, 250}},
        {"wider than the window", {500, 500, 100, 100}, {103, 105}, screen, {499, 498}},
        {"bottom-right corner", {1700, 950, 800, 600}, {400, 300}, screen, {1520, 780}},
        {"off the top left", {-700, -500, 800, 600}, {400, 300}, screen, {0, 0}},
        // A screen left of and above the primary one.
        {"screen at negative coordinates",
         {-1500, -900, 800, 600},
         {400, 300},
         {-1920, -1080, 1920, 1080},
         {-1300, -750}},
        {"near that screen's right edge", {-300, -400, 800, 600}, {400, 300}, {-1920, -1080, 1920, 1080}, {-400, -300}},
        // Its title bar stays on the screen.
        {"larger than the screen", {100, 100, 800, 600}, {2000, 1200}, screen, {0, 0}},
        {"larger than that screen", {-1500, -900, 800, 600}, {2000, 1200}, {-1920, -1080, 1920, 1080}, {-1920, -1080}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        EXPECT_EQ(PlaceOverMainWindow(test.main, test.dialog, test.screen), test.expected);
    }
}

using CommandsTest = SimWindowFixture;

TEST_F(CommandsTest, TheConnectedActionsFollowTheConnectionAndTheClockItsType)
{
    StartWith(ctDemo);
    TMainWindowCommands& commands = window->Commands();
    for (const TConnectTypeRow& row : kConnectTypes) {
        for (const bool connected : {false, true}) {
            SCOPED_TRACE(std::string(row.menuObjectName) + (connected ? " connected" : " not connected"));
            ProgramOptions.ConnectType = row.type;
            connection->FConnected = connected;
            commands.UpdateActions();
            EXPECT_EQ(window->actRecRefresh->isEnabled(), connected);
            EXPECT_EQ(window->actFormat->isEnabled(), connected);
            EXPECT_EQ(window->actRecSettings->isEnabled(), connected);
            const bool liveClock =
                row.type == ctUsb11Adapter || row.type == ctUsb20SpiAdapter || row.type == ctMassStorage;
            EXPECT_EQ(window->actSyncClock->isEnabled(), connected && liveClock);
        }
    }
    EXPECT_EQ(window->actRecSettings->shortcut(), QKeySequence(Qt::Key_F9));
    EXPECT_EQ(window->actRecSettings->text(), QStringLiteral("Settings..."));
}

TEST_F(CommandsTest, TheKeyFlipsTheHiddenPageTwiceBackAndCtrlShiftPAloneDoesNothing)
{
    StartWith(ctDemo);
    Pass();
    ASSERT_NE(connection->Recorder(), nullptr);
    TfrmRecSettings& dialog = *forms->frmRecSettings;
    ASSERT_FALSE(dialog.HiddenPageVisible());

    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QWidget* focus = window->lvRecContent;
    const auto press = [focus](Qt::KeyboardModifiers modifiers) { QTest::keyClick(focus, Qt::Key_P, modifiers); };

    press(Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(dialog.HiddenPageVisible());
    EXPECT_FALSE(connection->FProfMode);
    press(Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_TRUE(dialog.HiddenPageVisible());
    EXPECT_TRUE(connection->FProfMode);
    press(Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_FALSE(dialog.HiddenPageVisible());
    EXPECT_FALSE(connection->FProfMode);

    // Without a recorder the switch waits for the next connection.
    press(Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    ASSERT_TRUE(connection->SelectConnectType(ctDemo));
    dialog.SetHiddenPageVisible(false);
    window->scHiddenSettings->activated();
    EXPECT_FALSE(connection->FProfMode);
    window->scHiddenSettings->activated();
    EXPECT_TRUE(connection->FProfMode);
    Pass();
    EXPECT_TRUE(dialog.HiddenPageVisible());
}

// Ctrl+Tab and Ctrl+Shift+Tab, and the arrow keys of the page strip, pressed
// in the open dialog with the strip focused, go round the pages shown, each
// way, and never select one that is not: the hidden page without "prof", the
// caller-ID page with its hide option.
TEST_F(CommandsTest, CtrlTabEachWayGoesRoundThePagesShownOnly)
{
    struct Case {
        const char* name;
        bool prof;
        bool hideExpert;
        std::set<QString> pages;
    };
    const std::set<QString> usual = {QStringLiteral("tsGeneral"), QStringLiteral("tsVAS"), QStringLiteral("tsFiles"),
                                     QStringLiteral("tsAdvanced"), QStringLiteral("tsExpert")};
    std::set<QString> withHidden = usual;
    withHidden.insert(QStringLiteral("tsHidden"));
    std::set<QString> withoutExpert = usual;
    withoutExpert.erase(QStringLiteral("tsExpert"));
    const Case cases[] = {
        {"without prof", false, false, usual},
        {"caller-ID page hidden", false, true, withoutExpert},
        {"prof", true, false, withHidden},
    };

    StartWith(ctDemo);
    Pass();
    ASSERT_NE(connection->Recorder(), nullptr);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        forms->frmRecSettings->SetHiddenPageVisible(test.prof);
        ProgramOptions.HideExpert = test.hideExpert;
        std::set<QString> forward;
        std::set<QString> backward;
        std::set<QString> arrows;
        int strayTabs = 0;
        WhenModalShown(QStringLiteral("frmRecSettings"), [&](QWidget* dialog) {
            auto* pages = dialog->findChild<QTabWidget*>(QStringLiteral("pcSettings"));
            QTabBar* strip = pages->tabBar();
            strip->setFocus(Qt::TabFocusReason);
            const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers, std::set<QString>& reached) {
                for (int i = 0; i < 2 * pages->count(); ++i) {
                    QTest::keyClick(strip, key, modifiers);
                    reached.insert(pages->currentWidget()->objectName());
                    if (!pages->isTabVisible(pages->currentIndex()))
                        ++strayTabs;
                }
            };
            press(Qt::Key_Tab, Qt::ControlModifier, forward);
            press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, backward);
            // The strip's own keys stop at its ends: from the first page right, back left.
            pages->setCurrentIndex(0);
            press(Qt::Key_Right, Qt::NoModifier, arrows);
            press(Qt::Key_Left, Qt::NoModifier, arrows);
            static_cast<QDialog*>(dialog)->reject();
        });
        window->actRecSettings->trigger();
        EXPECT_EQ(forward, test.pages);
        EXPECT_EQ(backward, test.pages);
        EXPECT_EQ(arrows, test.pages);
        EXPECT_EQ(strayTabs, 0) << "a tab not shown was the current one";
    }
    forms->frmRecSettings->SetHiddenPageVisible(false);
}

// The dialog's option that shows voice parts as rows changes what the lists
// hold: the next pass reads the content again.
TEST_F(CommandsTest, AShowVoicePartsChangeInTheDialogRefreshesTheListsAtTheNextPass)
{
    ASSERT_NO_FATAL_FAILURE(ConnectSim(ctDemo));
    Pass();
    // The look for interrupted rewrites and the first scan read the geometry.
    ASSERT_EQ(sim.CommandCount(cmdGetFlashParam), 2u);

    const auto runDialog = [this](bool flipShowParts) {
        WhenModalShown(QStringLiteral("frmRecSettings"), [flipShowParts](QWidget* dialog) {
            if (flipShowParts)
                dialog->findChild<QCheckBox*>(QStringLiteral("cbShowParts"))->click();
            static_cast<QDialog*>(dialog)->accept();
        });
        window->actRecSettings->trigger();
    };
    runDialog(false);
    EXPECT_FALSE(connection->FContentChanged);
    WaitForBackOff();
    Pass();
    EXPECT_EQ(sim.CommandCount(cmdGetFlashParam), 2u);

    runDialog(true);
    EXPECT_TRUE(ProgramOptions.ShowVoiceParts);
    EXPECT_TRUE(connection->FContentChanged);
    WaitForBackOff();
    Pass();
    EXPECT_EQ(sim.CommandCount(cmdGetFlashParam), 3u);
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(CommandsTest, AboutShowsTheBoxAndExitClosesUnlessALongOperationRuns)
{
    StartWith(ctDemo);
    bool aboutShown = false;
    WhenModalShown(QStringLiteral("AboutBox"), [&aboutShown](QWidget* box) {
        aboutShown = true;
        static_cast<QDialog*>(box)->accept();
    });
    window->About1->trigger();
    EXPECT_TRUE(aboutShown);

    QSignalSpy closed(window, &TfrmTrellavoxMain::Closed);
    window->show();
    {
        TMainUiLockScope busy(window->UiLock());
        window->Exit1->trigger();
        EXPECT_EQ(closed.count(), 0);
        EXPECT_TRUE(window->isVisible());
    }
    window->Exit1->trigger();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(window->isVisible());
}

// The program start makes the splash; "diag" keeps it below other windows.
TEST_F(CommandsTest, DiagKeepsTheSplashOffTheTop)
{
    for (const bool diag : {false, true}) {
        SCOPED_TRACE(diag ? "diag" : "plain");
        forms = std::make_unique<TAppForms>();
        window = forms->frmTrellavoxMain;
        connection = &window->Connection();
        connection->FDiagMode = diag;
        window->StartupWork();
        ASSERT_NE(window->Splash(), nullptr);
        EXPECT_EQ(window->Splash()->windowFlags().testFlag(Qt::WindowStaysOnTopHint), !diag);
    }
}
