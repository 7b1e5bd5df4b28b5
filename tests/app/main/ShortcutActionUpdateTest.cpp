// A click on a row and F6 handled in one go, with no idle pass between
// them (the user was quick, or the keys waited while a pass ran): F6 still
// starts the download of the row just selected.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QTest>
#include <QTreeView>
#include <vector>

#include "app/actions/CopyToPcActions.h"
#include "app/lists/ContentListsController.h"
#include "core/flash/SoundFileInfo.h"
#include "core/settings/ProgramOptions.h"
#include "core/settings/StagedFile.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/app/lists/DemoContent.h"

class ShortcutActionUpdateTest : public MainWindowFixture {};

TEST_F(ShortcutActionUpdateTest, F6RightAfterTheClickThatSelectsARowDownloadsIt)
{
    WriteDemoContentImage((DocumentsPath() + QStringLiteral("ZEL4_DEMO.QDM")).toStdString());
    ASSERT_NO_FATAL_FAILURE(ShowConnectedToDemo());
    const QString out = HomePath() + QStringLiteral("/Out");
    QDir().mkpath(out);
    ProgramOptions.DefFolder = out;
    std::vector<int> downloaded;
    window->CopyToPc().DownloadRecord = [&downloaded](TCustomRecorder*, const QString&, TCustomSoundFileInfo* item,
                                                      std::uint32_t, std::uint32_t, std::vector<TWrittenFile>&) {
        downloaded.push_back(item->Number);
        return true;
    };
    // The list as a pass leaves it: shown, nothing selected, F6 disabled.
    window->UpdateActions();
    QTreeView* view = window->lvRecContent;
    view->clearSelection();
    window->UpdateActions();
    ASSERT_FALSE(window->actCopyToDefFolder->isEnabled());
    const QModelIndex row = view->model()->index(0, 0);
    ASSERT_TRUE(row.isValid());

    // Showing the status window moved the activation; shortcuts need it here.
    QApplication::setActiveWindow(window);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(row).center());
    ASSERT_TRUE(view->selectionModel()->isRowSelected(0, {}));
    QTest::keyClick(view, Qt::Key_F6);
    ASSERT_EQ(downloaded.size(), 1u);
    EXPECT_EQ(downloaded.front(), view->model()->index(0, 0).data().toString().trimmed().toInt());
}
