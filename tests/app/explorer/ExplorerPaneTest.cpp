#include <gtest/gtest.h>

#include <QAction>
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
#include <QToolButton>
#include <QTreeView>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/explorer/ExplorerPane.h"
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
        QSignalSpy loaded(pane->Model(), &QFileSystemModel::directoryLoaded);
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
            index = pane->Model()->index(PathOf(name));
            return index.isValid() && index.parent() == pane->ListView()->rootIndex();
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
    ASSERT_TRUE(QTest::qWaitFor([&] { return pane->TreeView()->model()->rowCount(root) == 1; }));
    EXPECT_EQ(pane->TreeView()->model()->index(0, 0, root).data().toString(), QStringLiteral("folder"));
    EXPECT_EQ(pane->Model()->rowCount(pane->ListView()->rootIndex()), 2);
}

// The model asks for every file's type on the GUI thread: from the name,
// never by reading the file (a large folder would stall the window).
TEST_F(ExplorerFolderTest, TheFolderViewTellsTypesByNameWithoutReadingTheFiles)
{
    std::ofstream(dir.File("picture"), std::ios::binary) << std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    MakeFile("call.wav");
    Open();
    const QString png = QMimeDatabase().mimeTypeForName(QStringLiteral("image/png")).comment();
    EXPECT_NE(pane->Model()->type(WaitForRow("picture")), png);
    EXPECT_EQ(pane->Model()->type(WaitForRow("call.wav")),
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
        EXPECT_TRUE(pane->IconView()->selectionModel()->isSelected(pane->Model()->index(PathOf("c.wav"))));
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
