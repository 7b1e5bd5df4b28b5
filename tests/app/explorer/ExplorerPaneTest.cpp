#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QMimeDatabase>
#include <QSignalSpy>
#include <QSplitter>
#include <QStandardPaths>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/explorer/ExplorerPane.h"
#include "app/explorer/FolderModel.h"
#include "core/recorder/ProcessState.h"
#include "core/settings/ProgramOptions.h"
#include "tests/app/ScriptedMessageBoxes.h"
#include "tests/support/TempDir.h"
#include "tests/support/WriteDenied.h"

namespace {

// The pane beside a stand-in for the recorder's content, in a shown window.
class ExplorerPaneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.resize(900, 600);
        splitter = new QSplitter(&window);
        splitter->resize(900, 600);
        recorderSide = new QWidget(splitter);
        recorderSide->setFocusPolicy(Qt::StrongFocus);
        pane = new TExplorerPane(window, *splitter);
        pane->SetRecorderPanel(recorderSide);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        // An inactive window would take the focus from a label being edited.
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    void TearDown() override { ResetProcessState(); }

    QWidget window;
    QSplitter* splitter = nullptr;
    QWidget* recorderSide = nullptr;
    TExplorerPane* pane = nullptr;
};

// The pane on a temporary folder of its own, opened once the test has
// filled it: a folder still loading drops rows it has not read yet.
class ExplorerFolderTest : public ExplorerPaneTest {
protected:
    void Open(const QString& folder)
    {
        QSignalSpy loaded(pane->Model(), &TFolderModel::FolderRead);
        ASSERT_TRUE(pane->SetCurrentFolder(folder));
        ASSERT_TRUE(QTest::qWaitFor([&] {
            for (const QList<QVariant>& signal : loaded)
                if (signal.at(0).toString() == folder)
                    return true;
            return false;
        }));
    }
    void Open() { Open(Folder()); }

    QString Folder() const { return QString::fromStdString(dir.Path().string()); }
    QString PathOf(const char* name) const { return QString::fromStdString(dir.File(name)); }
    void MakeFile(const char* name) { std::ofstream(dir.File(name)) << "x"; }
    void MakeFolder(const char* name) { std::filesystem::create_directory(dir.File(name)); }
    // The folder view's row of a name, once the model has read it.
    QModelIndex WaitForRow(const char* name)
    {
        QModelIndex index;
        EXPECT_TRUE(QTest::qWaitFor([&] {
            index = pane->Model()->IndexOf(PathOf(name));
            return index.isValid();
        }));
        return index;
    }
    void Select(std::initializer_list<const char*> names)
    {
        QItemSelectionModel* selection = pane->ListView()->selectionModel();
        selection->clear();
        for (const char* name : names)
            selection->select(WaitForRow(name), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    bool Enabled(QAction* action)
    {
        pane->UpdateActions();
        return action->isEnabled();
    }

    TempDir dir;
};

}  // namespace

// A hidden pane or tree keeps the width the settings gave it; a shown one
// reports the width it has. The close box and the actions show and hide.
TEST_F(ExplorerPaneTest, WidthsAreKeptWhileHiddenAndTheActionsShowAndHide)
{
    EXPECT_TRUE(window.actions().contains(pane->ShowAction()));
    EXPECT_EQ(pane->ShowAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_E));
    EXPECT_EQ(pane->TreeAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_T));

    pane->SetExplorerWidth(410);
    pane->SetFoldersWidth(120);
    pane->ShowExecute();
    pane->TreeExecute();
    EXPECT_TRUE(pane->Panel()->isVisible());
    EXPECT_EQ(pane->ExplorerWidth(), pane->Panel()->width());
    EXPECT_NEAR(pane->ExplorerWidth(), 410, 10);
    EXPECT_EQ(pane->FoldersWidth(), pane->TreeView()->width());

    pane->TreeAction()->trigger();
    EXPECT_FALSE(pane->FolderTreeShown());
    EXPECT_FALSE(pane->TreeView()->isVisible());
    EXPECT_EQ(pane->FoldersWidth(), 120);

    pane->Panel()->findChild<QToolButton*>(QStringLiteral("_spbtnExpClose"))->click();
    EXPECT_FALSE(pane->ExplorerShown());
    EXPECT_FALSE(pane->Panel()->isVisible());
    EXPECT_EQ(pane->ExplorerWidth(), 410);

    pane->SetExplorerShown(true);
    pane->ShowExecute();
    EXPECT_TRUE(pane->Panel()->isVisible());
}

TEST_F(ExplorerPaneTest, OnlyTheDetailsStyleShowsTheColumnHeaders)
{
    for (int style : {0, 1, 2, 3}) {
        pane->ApplyViewStyle(style);
        EXPECT_EQ(pane->ViewStyle(), style);
        EXPECT_EQ(pane->ListView()->header()->isVisible(), style == 3) << style;
    }
}

TEST_F(ExplorerFolderTest, TheTreeTheComboBoxAndTheFolderViewFollowTheCurrentFolder)
{
    MakeFolder("sub");
    Open();
    ASSERT_TRUE(pane->SetCurrentFolder(PathOf("sub")));
    EXPECT_EQ(pane->CurrentFolder(), PathOf("sub"));
    EXPECT_EQ(pane->ListRoot(), PathOf("sub"));
    const QModelIndex tree = pane->TreeView()->currentIndex();
    EXPECT_EQ(tree.data(QFileSystemModel::FilePathRole).toString(), PathOf("sub"));
    EXPECT_EQ(pane->IconView()->rootIndex(), pane->ListView()->rootIndex());

    // The combo box holds the chain of parents, the desktop first.
    QComboBox* combo = pane->PathComboBox();
    EXPECT_EQ(combo->objectName(), QStringLiteral("ShellComboBox1"));
    EXPECT_EQ(combo->itemData(0).toString(), QStringLiteral("/"));
    EXPECT_EQ(combo->currentData().toString(), PathOf("sub"));
    EXPECT_EQ(combo->itemData(combo->currentIndex() - 1).toString(), Folder());

    // A choice in the combo box or in the tree moves all three.
    combo->activated(combo->currentIndex() - 1);
    EXPECT_EQ(pane->ListRoot(), Folder());
    pane->TreeView()->setCurrentIndex(tree);
    EXPECT_EQ(pane->CurrentFolder(), PathOf("sub"));
    EXPECT_EQ(pane->ListRoot(), PathOf("sub"));

    EXPECT_FALSE(pane->SetCurrentFolder(PathOf("missing")));
    EXPECT_EQ(pane->CurrentFolder(), PathOf("sub"));
}

// The tree shows folders only; the folder view shows files too.
TEST_F(ExplorerFolderTest, TheTreeShowsFoldersOnly)
{
    MakeFolder("folder");
    MakeFile("file.wav");
    Open();
    WaitForRow("file.wav");
    WaitForRow("folder");
    const QModelIndex root = pane->TreeView()->currentIndex();
    pane->TreeView()->expand(root);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pane->TreeView()->model()->rowCount(root) == 1; }));
    EXPECT_EQ(pane->TreeView()->model()->index(0, 0, root).data().toString(), QStringLiteral("folder"));
    EXPECT_EQ(pane->Model()->rowCount(), 2);
}

// The model asks for every file's type on the GUI thread: from the name,
// never by reading the file (a large folder would stall the window).
TEST_F(ExplorerFolderTest, TheFolderViewTellsTypesByNameWithoutReadingTheFiles)
{
    std::ofstream(dir.File("picture"), std::ios::binary) << std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    MakeFile("call.wav");
    Open();
    const QString png = QMimeDatabase().mimeTypeForName(QStringLiteral("image/png")).comment();
    EXPECT_NE(pane->Model()->Type(WaitForRow("picture")), png);
    EXPECT_EQ(pane->Model()->Type(WaitForRow("call.wav")),
              QMimeDatabase().mimeTypeForFile(PathOf("call.wav")).comment());
}

TEST_F(ExplorerFolderTest, NewFolderTakesTheFirstFreeNumberAndStartsEditingItsName)
{
    MakeFolder("New Folder");
    MakeFolder("New Folder 1");
    MakeFile("a.wav");
    Open();
    Select({"a.wav"});

    pane->actNewFolder->trigger();

    EXPECT_TRUE(QFileInfo(PathOf("New Folder 2")).isDir());
    QAbstractItemView* view = pane->ShownListView();
    EXPECT_EQ(view->currentIndex().data().toString(), QStringLiteral("New Folder 2"));
    EXPECT_EQ(pane->SelectedPaths(), QStringList{PathOf("New Folder 2")});
    QLineEdit* editor = view->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("New Folder 2"));
    // Delete and Level up wait while a name is edited.
    EXPECT_FALSE(Enabled(pane->actExpDelete));
    EXPECT_FALSE(Enabled(pane->actLevelUp));

    // The name typed renames the folder.
    editor->setText(QStringLiteral("Calls"));
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFileInfo(PathOf("Calls")).isDir(); }));
    EXPECT_FALSE(QFileInfo::exists(PathOf("New Folder 2")));
    EXPECT_TRUE(Enabled(pane->actLevelUp));
}

TEST_F(ExplorerFolderTest, ANewFolderThatCannotBeMadeIsNamedAndChangesNothing)
{
    MakeFolder("locked");
    Open(PathOf("locked"));
    ScriptedMessageBoxes boxes;
    {
        WriteDeniedScope denied(dir.File("locked"), dir.Path().string());
        pane->actNewFolder->trigger();
    }
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_EQ(boxes.Texts()[0],
              QStringLiteral("Can't create (modify) file ") + PathOf("locked") + QStringLiteral("/New Folder"));
    EXPECT_FALSE(QFileInfo::exists(PathOf("locked/New Folder")));
    EXPECT_EQ(pane->CurrentFolder(), PathOf("locked"));
}

// Hiding the pane with its close box: which actions stay usable.
TEST_F(ExplorerFolderTest, TheCloseBoxUnchecksThePaneAndDisablesItsActions)
{
    MakeFile("a.wav");
    Open();
    Select({"a.wav"});
    struct Row {
        QAction* action;
        bool shown;
        bool hidden;
    };
    const Row rows[] = {
        {pane->ShowAction(), true, true},  {pane->actGoToDefFolder, true, false}, {pane->actSetDefFolder, true, false},
        {pane->actNewFolder, true, false}, {pane->TreeAction(), true, false},     {pane->actExpRefresh, true, false},
        {pane->actLevelUp, true, false},   {pane->actExpDelete, true, true},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Enabled(row.action), row.shown) << row.action->objectName().toStdString();

    pane->ListView()->setFocus();
    pane->Panel()->findChild<QToolButton*>(QStringLiteral("_spbtnExpClose"))->click();
    EXPECT_FALSE(pane->ShowAction()->isChecked());
    EXPECT_FALSE(pane->Panel()->isVisible());
    EXPECT_TRUE(recorderSide->hasFocus());
    for (const Row& row : rows)
        EXPECT_EQ(Enabled(row.action), row.hidden) << row.action->objectName().toStdString();
}

TEST_F(ExplorerFolderTest, LevelUpStopsAtTheDesktop)
{
    MakeFolder("sub");
    Open(PathOf("sub"));
    EXPECT_TRUE(Enabled(pane->actLevelUp));
    pane->actLevelUp->trigger();
    EXPECT_EQ(pane->ListRoot(), Folder());
    EXPECT_EQ(pane->CurrentFolder(), Folder());

    ASSERT_TRUE(pane->SetCurrentFolder(QStringLiteral("/")));
    EXPECT_EQ(pane->ListRoot(), QStringLiteral("/"));
    EXPECT_FALSE(Enabled(pane->actLevelUp));
    pane->actLevelUp->trigger();
    EXPECT_EQ(pane->ListRoot(), QStringLiteral("/"));
}

TEST_F(ExplorerFolderTest, TheDefaultFolderIsSetFromTheTreeAndAMissingOneKeepsTheCurrent)
{
    MakeFolder("downloads");
    Open(PathOf("downloads"));
    pane->actSetDefFolder->trigger();
    EXPECT_EQ(ProgramOptions.DefFolder, PathOf("downloads"));

    ASSERT_TRUE(pane->SetCurrentFolder(Folder()));
    pane->actGoToDefFolder->trigger();
    EXPECT_EQ(pane->CurrentFolder(), PathOf("downloads"));

    ProgramOptions.DefFolder = PathOf("gone");
    pane->actGoToDefFolder->trigger();
    EXPECT_EQ(pane->CurrentFolder(), PathOf("downloads"));
}

// A folder removed behind the pane's back: a refresh goes to its parent.
TEST_F(ExplorerFolderTest, RefreshGoesToTheNearestFolderThatStillExists)
{
    MakeFolder("a");
    std::filesystem::create_directory(dir.File("a/b"));
    Open(PathOf("a/b"));
    std::filesystem::remove_all(dir.File("a"));
    pane->actExpRefresh->trigger();
    EXPECT_EQ(pane->CurrentFolder(), Folder());
}

// Both styles show one selection; the paths come in the order shown.
TEST_F(ExplorerFolderTest, TheStylesShareOneSelectionAndThePathsComeInTheOrderShown)
{
    for (const char* name : {"c.wav", "a.wav", "b.wav"})
        MakeFile(name);
    Open();
    Select({"c.wav", "a.wav"});
    // New files are sorted in by the model a moment after they show.
    const QStringList inOrder{PathOf("a.wav"), PathOf("c.wav")};
    EXPECT_TRUE(QTest::qWaitFor([&] { return pane->SelectedPaths() == inOrder; }));
    for (int style : {0, 1, 2}) {
        pane->ApplyViewStyle(style);
        EXPECT_EQ(pane->ShownListView(), pane->IconView());
        EXPECT_TRUE(pane->StyleItem(style)->isChecked());
        EXPECT_TRUE(pane->IconView()->selectionModel()->isSelected(pane->Model()->IndexOf(PathOf("c.wav"))));
        EXPECT_EQ(pane->SelectedPaths(), inOrder);
    }
    pane->ApplyViewStyle(3);
    EXPECT_EQ(pane->ShownListView(), pane->ListView());
    EXPECT_EQ(pane->StyleItem(3)->text(), QStringLiteral("Report"));
    // Qt's sort indicator stands for the list's sort: descending reverses.
    pane->ListView()->sortByColumn(0, Qt::DescendingOrder);
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return pane->SelectedPaths() == QStringList{PathOf("c.wav"), PathOf("a.wav")};
    }));
}

class ExplorerDeleteTest : public ExplorerFolderTest {
protected:
    void SetUp() override
    {
        ExplorerFolderTest::SetUp();
        // The trash of a home of the test's own, on the temporary folder's volume.
        MakeFolder("home");
        qputenv("XDG_DATA_HOME", dir.File("home").c_str());
        MakeFile("a.wav");
        Open();
        Select({"a.wav"});
    }
    void TearDown() override
    {
        qunsetenv("XDG_DATA_HOME");
        ExplorerFolderTest::TearDown();
    }
};

TEST_F(ExplorerDeleteTest, NoKeepsTheFile)
{
    ScriptedMessageBoxes boxes;
    boxes.Queue({IDNO});
    pane->actExpDelete->trigger();
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, QStringLiteral("Move \"a.wav\" to the trash?"));
    EXPECT_EQ(boxes.Boxes[0].Flags & 0xF, MB_YESNO);
    EXPECT_TRUE(QFileInfo::exists(PathOf("a.wav")));
}

TEST_F(ExplorerDeleteTest, YesMovesTheFileToTheTrash)
{
    ScriptedMessageBoxes boxes;
    boxes.Queue({IDYES});
    pane->actExpDelete->trigger();
    EXPECT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_FALSE(QFileInfo::exists(PathOf("a.wav")));
    EXPECT_TRUE(QFileInfo::exists(PathOf("home/Trash/files/a.wav")));
}

// A file that cannot go to the trash (here: gone before the model saw it
// go) is named in an error, not reported as deleted.
TEST_F(ExplorerDeleteTest, AFileThatCannotGoToTheTrashIsNamedInAnError)
{
    ScriptedMessageBoxes boxes;
    boxes.Queue({IDYES});
    std::filesystem::remove(dir.File("a.wav"));
    pane->actExpDelete->trigger();
    ASSERT_EQ(boxes.Texts().size(), 2u);
    EXPECT_TRUE(boxes.Texts()[1].startsWith(QStringLiteral("Can't move to the trash: ")))
        << boxes.Texts()[1].toStdString();
    EXPECT_TRUE(boxes.Texts()[1].contains(PathOf("a.wav")));
}

// The shown folder removed by another program: the pane goes to its parent
// by itself, the tree and the combo box with it.
TEST_F(ExplorerFolderTest, TheShownFolderRemovedFromOutsideLeadsToItsParent)
{
    MakeFolder("a");
    std::filesystem::create_directory(dir.File("a/b"));
    MakeFile("a/b/x.wav");
    Open(PathOf("a/b"));
    std::filesystem::remove_all(dir.File("a/b"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return pane->CurrentFolder() == PathOf("a"); }, 5000))
        << pane->CurrentFolder().toStdString();
    EXPECT_EQ(pane->ListRoot(), PathOf("a"));
    EXPECT_EQ(pane->PathComboBox()->currentData().toString(), PathOf("a"));
    EXPECT_EQ(pane->TreeView()->currentIndex().data(QFileSystemModel::FilePathRole).toString(), PathOf("a"));
    QTest::qWait(2 * TExplorerPane::kTreeReadGapMs);
    EXPECT_EQ(pane->CurrentFolder(), PathOf("a"));
}

// The folder view follows its own folder only; the tree follows the folders
// the user expanded; a hidden pane follows none, and reads what it shows
// once shown.
TEST_F(ExplorerFolderTest, OnlyTheShownFolderAndTheExpandedOnesAreWatched)
{
    MakeFolder("a");
    MakeFolder("b");
    Open();
    // Not the parents the tree opened to show the folder: what the user opens.
    EXPECT_TRUE(pane->WatchedTreeFolders().isEmpty());
    pane->TreeView()->expand(pane->TreeModel()->index(Folder()));
    const QStringList watched{Folder()};
    EXPECT_EQ(pane->WatchedTreeFolders(), watched);
    EXPECT_TRUE(pane->Model()->Watching());

    // A folder made in an expanded folder shows in the tree; one removed goes.
    // (Other programs' folders in the parent move the row: no index is kept.)
    const auto treeFolders = [&] {
        const QModelIndex folder = pane->TreeModel()->index(Folder());
        QStringList names;
        for (int row = 0; row < pane->TreeModel()->rowCount(folder); ++row)
            names << pane->TreeModel()->index(row, 0, folder).data().toString();
        names.sort();
        return names.join(QLatin1Char(' '));
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return treeFolders() == QLatin1String("a b"); }));
    MakeFolder("c");
    std::filesystem::remove(dir.File("a"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return treeFolders() == QLatin1String("b c"); }, 5000))
        << treeFolders().toStdString();

    pane->ShowAction()->trigger();
    EXPECT_TRUE(pane->WatchedTreeFolders().isEmpty());
    EXPECT_FALSE(pane->Model()->Watching());
    MakeFile("new.wav");
    QTest::qWait(2 * TFolderModel::kMinReadGapMs);
    EXPECT_FALSE(pane->Model()->IndexOf(PathOf("new.wav")).isValid());
    pane->ShowAction()->trigger();
    EXPECT_EQ(pane->WatchedTreeFolders(), watched);
    WaitForRow("new.wav");
}

// Refresh reads the folder at once, whatever the watcher saw.
TEST_F(ExplorerFolderTest, RefreshReadsTheFolderAtOnce)
{
    Open();
    pane->Model()->SetWatching(false);
    MakeFile("new.wav");
    QSignalSpy read(pane->Model(), &TFolderModel::FolderRead);
    pane->actExpRefresh->trigger();
    ASSERT_TRUE(read.wait(5000));
    EXPECT_TRUE(pane->Model()->IndexOf(PathOf("new.wav")).isValid());
}

// At its default width the pane shows every tool button; none waits behind
// the tool bar's extension.
TEST_F(ExplorerPaneTest, TheDefaultWidthShowsEveryToolButton)
{
    QAction copy(QStringLiteral("Copy to recorder"));
    QAction info(QStringLiteral("Wave info"));
    pane->SetCopyToRecorderAction(&copy);
    pane->SetAddInfoAction(&info);
    pane->SetExplorerWidth(0);
    pane->ShowExecute();
    QApplication::processEvents();
    const QToolBar* bar = pane->ToolBar();
    for (const QToolButton* button : bar->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly)) {
        if (button->objectName() == QLatin1String("qt_toolbar_ext_button"))
            EXPECT_FALSE(button->isVisible());
        else
            EXPECT_TRUE(button->isVisible() && bar->rect().contains(button->geometry()))
                << button->objectName().toStdString();
    }
}

// The report view's columns fit what the first folder shows, unless the
// settings kept widths of their own.
TEST_F(ExplorerFolderTest, TheColumnsFitTheFirstFolderShown)
{
    MakeFile("a call recorded on a long afternoon.wav");
    // A pane of its own: the fixture's has shown a folder already.
    QWidget other;
    other.resize(900, 600);
    auto* host = new QSplitter(&other);
    new QWidget(host);
    TExplorerPane fresh(other, *host);
    QSignalSpy read(fresh.Model(), &TFolderModel::FolderRead);
    ASSERT_TRUE(fresh.SetCurrentFolder(Folder()));
    other.show();
    ASSERT_TRUE(read.wait(5000));
    QTreeView* view = fresh.ListView();
    const QString name = QStringLiteral("a call recorded on a long afternoon.wav");
    EXPECT_GE(view->columnWidth(kNameColumn), view->fontMetrics().horizontalAdvance(name));
    const QString date = fresh.Model()->index(0, kModifiedColumn).data().toString();
    EXPECT_GE(view->columnWidth(kModifiedColumn), view->fontMetrics().horizontalAdvance(date));
}

TEST_F(ExplorerFolderTest, SavedColumnWidthsWin)
{
    MakeFile("a call recorded on a long afternoon.wav");
    pane->KeepColumnWidths();
    pane->ListView()->setColumnWidth(kNameColumn, 40);
    Open();
    EXPECT_EQ(pane->ListView()->columnWidth(kNameColumn), 40);
}

// Where no trash can be made for the items, one message says so, and
// nothing is moved (neither into a trash nor into the current folder).
TEST_F(ExplorerDeleteTest, WhereNoTrashCanBeMadeOneMessageSaysSoAndNothingIsMoved)
{
    MakeFile("b.wav");
    MakeFile("blocked");  // a file where the data folder would be
    MakeFolder("current");
    qputenv("XDG_DATA_HOME", dir.File("blocked/share").c_str());
    Select({"a.wav", "b.wav"});
    ScriptedMessageBoxes boxes;
    boxes.Queue({IDYES});
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(PathOf("current")));
    pane->actExpDelete->trigger();
    QDir::setCurrent(previous);

    ASSERT_EQ(boxes.Texts().size(), 2u);
    EXPECT_EQ(boxes.Texts()[0], QStringLiteral("Move these 2 items to the trash?"));
    EXPECT_TRUE(boxes.Texts()[1].startsWith(QStringLiteral("Nothing was moved: no trash folder can be made for ") +
                                            PathOf("a.wav")))
        << boxes.Texts()[1].toStdString();
    EXPECT_TRUE(QFileInfo::exists(PathOf("a.wav")));
    EXPECT_TRUE(QFileInfo::exists(PathOf("b.wav")));
    EXPECT_TRUE(QDir(PathOf("current")).isEmpty());
}

namespace {

// The names of the tree's rows below a folder, sorted.
QString TreeRows(TExplorerPane& pane, const QString& folder)
{
    const QModelIndex parent = pane.TreeModel()->index(folder);
    QStringList names;
    for (int row = 0; row < pane.TreeModel()->rowCount(parent); ++row)
        names << pane.TreeModel()->index(row, 0, parent).data().toString();
    names.sort();
    return names.join(QLatin1Char(' '));
}

}  // namespace

// The tree drops a folder removed from outside however it came to be
// listed: here the pane opened it (and its parent), the user expanded
// nothing, so no watcher of the tree's sees the parent.
TEST_F(ExplorerFolderTest, TheTreeDropsTheShownFolderRemovedFromOutside)
{
    MakeFolder("a");
    MakeFolder("a/b");
    MakeFolder("a/c");
    Open(PathOf("a/b"));
    ASSERT_TRUE(pane->WatchedTreeFolders().isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return TreeRows(*pane, PathOf("a")) == QLatin1String("b c"); }))
        << TreeRows(*pane, PathOf("a")).toStdString();

    std::filesystem::remove(dir.File("a/b"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return TreeRows(*pane, PathOf("a")) == QLatin1String("c"); }, 5000))
        << TreeRows(*pane, PathOf("a")).toStdString();
    EXPECT_EQ(pane->CurrentFolder(), PathOf("a"));
    EXPECT_EQ(pane->TreeView()->currentIndex().data(QFileSystemModel::FilePathRole).toString(), PathOf("a"));
}

// A row of a folder removed since the tree listed it, chosen: the pane goes
// to the nearest folder left and the row goes.
TEST_F(ExplorerFolderTest, ATreeRowOfAFolderRemovedFromOutsideGoesWhenChosen)
{
    MakeFolder("a");
    MakeFolder("a/b");
    MakeFolder("a/c");
    Open(PathOf("a/b"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return TreeRows(*pane, PathOf("a")) == QLatin1String("b c"); }));
    std::filesystem::remove(dir.File("a/c"));
    QTest::qWait(2 * TExplorerPane::kTreeReadGapMs);
    ASSERT_EQ(TreeRows(*pane, PathOf("a")), QLatin1String("b c"));  // nobody watches a

    const QModelIndex a = pane->TreeModel()->index(PathOf("a"));
    QModelIndex stale;
    for (int row = 0; row < pane->TreeModel()->rowCount(a); ++row)
        if (pane->TreeModel()->index(row, 0, a).data().toString() == QLatin1String("c"))
            stale = pane->TreeModel()->index(row, 0, a);
    ASSERT_TRUE(stale.isValid());
    pane->TreeView()->setCurrentIndex(stale);
    EXPECT_EQ(pane->CurrentFolder(), PathOf("a"));
    EXPECT_EQ(pane->ListRoot(), PathOf("a"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return TreeRows(*pane, PathOf("a")) == QLatin1String("b"); }, 5000))
        << TreeRows(*pane, PathOf("a")).toStdString();
}
