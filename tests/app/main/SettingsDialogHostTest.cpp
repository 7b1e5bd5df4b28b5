// The main window as host of the settings dialog.
#include <QAction>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QTimer>
#include <functional>

#include "app/dialogs/RecSettingsDialog.h"
#include "tests/app/MainWindowFixture.h"

class SettingsDialogHostTest : public MainWindowFixture {
protected:
    // Runs the event loop (so idle passes can run) until the condition
    // holds or two seconds have gone.
    static bool RunUntil(const std::function<bool()>& condition)
    {
        QElapsedTimer clock;
        clock.start();
        while (!condition() && clock.elapsed() < 2000) {
            QEventLoop loop;
            QTimer::singleShot(10, &loop, &QEventLoop::quit);
            loop.exec();
        }
        return condition();
    }
};

TEST_F(SettingsDialogHostTest, StartUpShowsTheOptionsInTheDialog)
{
    window->StartupWork();
    TfrmRecSettings& dialog = *forms->frmRecSettings;
    ASSERT_FALSE(ProgramOptions.DefFolder.isEmpty());
    EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("edDefFolder"))->text(), ProgramOptions.DefFolder);
}

// A pass's refresh would restore the dialog's edits away.
TEST_F(SettingsDialogHostTest, NoIdlePassWhileTheDialogIsUp)
{
    TfrmRecSettings& dialog = *forms->frmRecSettings;
    EXPECT_FALSE(window->IdleBlocked());
    dialog.show();
    EXPECT_TRUE(window->IdleBlocked());
    dialog.reject();
    EXPECT_FALSE(window->IdleBlocked());
}

// Closing the dialog asks for the pass that was held back.
TEST_F(SettingsDialogHostTest, ClosingTheDialogLetsAPassRun)
{
    window->EnableIdlePasses();
    QAction* records = window->actShowRec;
    ASSERT_TRUE(RunUntil([records] { return !records->isEnabled(); })) << "a pass runs; nothing is connected";
    TfrmRecSettings& dialog = *forms->frmRecSettings;
    dialog.show();
    records->setEnabled(true);
    dialog.reject();
    EXPECT_TRUE(RunUntil([records] { return !records->isEnabled(); }));
}

TEST_F(SettingsDialogHostTest, TheFlashDriveOptionsReachTheDriveAction)
{
    TfrmRecSettings& dialog = *forms->frmRecSettings;
    TProgramOptions options;
    options.HideFlashDrive = true;
    dialog.ShowProgramOptions(options);
    EXPECT_FALSE(window->actShowDrv->isVisible());
    options.HideFlashDrive = false;
    dialog.ShowProgramOptions(options);
    EXPECT_TRUE(window->actShowDrv->isVisible());
}
