// The main window as host of the settings dialog.
#include <QAction>
#include <QLineEdit>

#include "app/dialogs/RecSettingsDialog.h"
#include "tests/app/MainWindowFixture.h"

class SettingsDialogHostTest : public MainWindowFixture {};

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
