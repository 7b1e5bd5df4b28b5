#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <functional>

#include "app/explorer/ExplorerPane.h"
#include "app/explorer/FolderModel.h"
#include "core/settings/IniFile.h"
#include "core/settings/MainSettingsFile.h"
#include "core/settings/ProgramOptions.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/app/ModalDialogRunner.h"

namespace {

// Answers a pop-up menu from inside its exec(), as soon as it is up.
void WhenPopupShown(std::function<void(QMenu*)> answer)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!popup || !popup->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        answer(popup);
    });
    timer->start();
}

// The pane's nine tool buttons, in the order the tool bar shows them.
const char* const kToolButtons[] = {
    "tlbtnCopyToRec", "tlbtnAddInfo",    "tlbtnGoToDefFolder",   "tlbtnNew",       "tlbtnDelete",
    "tlbtnFolders",   "tlbtnUpOneLevel", "tlbtnExplorerRefresh", "tlbtnViewStyle",
};

// The program as a first start makes it (no settings file: the window at
// its default size), on a home of the test's own; the trash in it too.
class ExplorerStartTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        qputenv("XDG_DATA_HOME", QFile::encodeName(HomePath() + QStringLiteral("/share")));
    }
    void TearDown() override
    {
        qunsetenv("XDG_DATA_HOME");
        MainWindowFixture::TearDown();
    }

    TExplorerPane& Pane() const { return window->Explorer(); }
    QToolBar* Bar() const { return Pane().ToolBar(); }
    QToolButton* Button(const char* name) const { return Bar()->findChild<QToolButton*>(QLatin1String(name)); }
    QToolButton* Extension() const { return Bar()->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button")); }
    bool Shows(const char* name) const
    {
        const QToolButton* button = Button(name);
        return button && button->isVisible() && Bar()->rect().contains(button->geometry());
    }
    // Started and shown, the tool bar laid out.
    void Start()
    {
        ShowConnectedToDemo();
        ASSERT_TRUE(QTest::qWaitFor([&] { return Bar()->isVisible() && Bar()->width() > 0; }));
        QApplication::processEvents();
    }
    // A click on a tool button, as the user makes it, the actions updated
    // first as the idle pass does.
    void Click(const char* name)
    {
        window->UpdateActions();
        QToolButton* button = Button(name);
        ASSERT_NE(button, nullptr) << name;
        ASSERT_TRUE(button->isVisible() && button->isEnabled()) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    void Open(const QString& folder)
    {
        ASSERT_TRUE(Pane().SetCurrentFolder(folder));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !Pane().Model()->Reading(); }));
    }
    void Select(const QString& path)
    {
        QModelIndex row;
        ASSERT_TRUE(QTest::qWaitFor([&] { return (row = Pane().Model()->IndexOf(path)).isValid(); }));
        Pane().ListView()->selectionModel()->select(row,
                                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    void MakeFile(const QString& path)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x");
    }
};

}  // namespace

// At the first start's size every tool button of the pane shows, nothing
// waits behind the tool bar's extension, and a wider window widens the
// pane too.
TEST_F(ExplorerStartTest, AtTheFirstStartEveryToolButtonShowsAndAWiderWindowGivesThePaneItsShare)
{
    ASSERT_FALSE(QFile::exists(SettingsFilePath()));
    Start();
    EXPECT_EQ(window->size(), QSize(900, 600));
    for (const char* name : kToolButtons)
        EXPECT_TRUE(Shows(name)) << name;
    EXPECT_FALSE(Extension()->isVisible());
    // The pane leaves the record list room: every column in view, the last
    // one's title at least.
    QCoreApplication::sendPostedEvents();
    const QHeaderView* header = window->lvRecContent->header();
    const int room = window->lvRecContent->viewport()->width();
    const int last = header->count() - 1;
    for (int column = 0; column < last; ++column)
        EXPECT_LE(header->sectionViewportPosition(column) + header->sectionSize(column), room) << column;
    const QString title = header->model()->headerData(last, Qt::Horizontal).toString();
    EXPECT_LE(header->sectionViewportPosition(last) + header->fontMetrics().horizontalAdvance(title), room);

    const int first = Pane().Panel()->width();
    window->resize(1280, 600);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Pane().Panel()->width() > first + 100; }))
        << first << " -> " << Pane().Panel()->width();
    const int widened = Pane().Panel()->width();
    EXPECT_TRUE(window->close());
    EXPECT_EQ(TIniFile(SettingsFilePath()).ReadInteger(QStringLiteral("Settings"), QStringLiteral("ExpWidth"), 0),
              widened);
}

// A width the settings file holds is the one the pane starts with; one too
// narrow for the buttons leaves them in the extension's menu, every one a
// command that can be chosen there.
TEST_F(ExplorerStartTest, ASavedWidthWinsAndWhatDoesNotFitIsInTheExtensionsMenu)
{
    QFile settings(SettingsFilePath());
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[Settings]\r\nExpWidth=220\r\nExpWindow=1\r\nConnectType=3\r\n");
    settings.close();
    Start();
    EXPECT_NEAR(Pane().Panel()->width(), 220, 8);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Extension()->isVisible(); }));

    QMenu* menu = Extension()->menu();
    ASSERT_NE(menu, nullptr);
    // The menu is filled as it opens.
    WhenPopupShown([](QMenu* popup) { popup->close(); });
    QTest::mouseClick(Extension(), Qt::LeftButton);
    window->UpdateActions();
    int hidden = 0;
    for (const char* name : kToolButtons) {
        if (Shows(name))
            continue;
        ++hidden;
        QAction* action = Button(name)->defaultAction();
        EXPECT_TRUE(menu->actions().contains(action)) << name;
        EXPECT_TRUE(action->isVisible() && !action->text().isEmpty()) << name;
    }
    EXPECT_GT(hidden, 0);
}

// Each of the nine buttons, clicked, does its command.
TEST_F(ExplorerStartTest, EachToolButtonDoesItsCommand)
{
    Start();
    const QString home = ProgramOptions.DefFolder;
    const QString sub = home + QStringLiteral("/sub");
    ASSERT_TRUE(QDir().mkpath(sub));
    MakeFile(sub + QStringLiteral("/call.txt"));
    Open(sub);
    Select(sub + QStringLiteral("/call.txt"));

    // Wave-file info: one box about the selected file.
    Click("tlbtnAddInfo");
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_FALSE(boxes.Boxes[0].Text.isEmpty());

    // Copy to recorder: the upload's first question, the compression.
    bool asked = false;
    WhenModalShown(QStringLiteral("frmFmtChoose"), [&](QWidget* dialog) {
        asked = true;
        dialog->findChild<QPushButton*>(QStringLiteral("CancelBtn"))->click();
    });
    Click("tlbtnCopyToRec");
    EXPECT_TRUE(asked);

    // Delete: asked, then in the trash (and nothing in the current folder).
    const QString current = HomePath() + QStringLiteral("/current");
    ASSERT_TRUE(QDir().mkpath(current));
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(current));
    boxes.Queue({IDYES});
    Click("tlbtnDelete");
    QDir::setCurrent(previous);
    EXPECT_TRUE(QDir(current).isEmpty());
    ASSERT_EQ(boxes.Boxes.size(), 2u);
    EXPECT_EQ(boxes.Boxes[1].Text, QStringLiteral("Move \"call.txt\" to the trash?"));
    EXPECT_FALSE(QFile::exists(sub + QStringLiteral("/call.txt")));
    EXPECT_TRUE(QFile::exists(HomePath() + QStringLiteral("/share/Trash/files/call.txt")));

    // New folder: made, its name being edited.
    Click("tlbtnNew");
    EXPECT_TRUE(QFileInfo(sub + QStringLiteral("/New Folder")).isDir());
    QLineEdit* editor = Pane().ShownListView()->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Escape);

    // Level up, then the default folder from elsewhere.
    Click("tlbtnUpOneLevel");
    EXPECT_EQ(Pane().CurrentFolder(), home);
    Open(HomePath());
    Click("tlbtnGoToDefFolder");
    EXPECT_EQ(Pane().CurrentFolder(), home);

    // Folders: the tree goes and comes back.
    Click("tlbtnFolders");
    EXPECT_FALSE(Pane().TreeView()->isVisible());
    Click("tlbtnFolders");
    EXPECT_TRUE(Pane().TreeView()->isVisible());

    // Refresh reads what no watcher told.
    Open(home);
    Pane().Model()->SetWatching(false);
    MakeFile(home + QStringLiteral("/late.txt"));
    Click("tlbtnExplorerRefresh");
    EXPECT_TRUE(QTest::qWaitFor([&] { return Pane().Model()->IndexOf(home + QStringLiteral("/late.txt")).isValid(); }));
    Pane().Model()->SetWatching(true);

    // View style: its menu, and the style chosen there.
    WhenPopupShown([](QMenu* popup) {
        for (QAction* item : popup->actions())
            if (item->objectName() == QLatin1String("mnLargeIcons"))
                QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(item).center());
    });
    Click("tlbtnViewStyle");
    EXPECT_TRUE(QTest::qWaitFor([&] { return Pane().ViewStyle() == 0; }));
    EXPECT_EQ(Pane().ShownListView(), Pane().IconView());
    EXPECT_TRUE(Pane().IconView()->isVisible());
}

// The pane's texts follow the language: the delete question is a localized
// constant, the view-style button's caption keeps its translation entry.
TEST_F(ExplorerStartTest, TheDeleteQuestionAndTheViewStyleCaptionAreTranslated)
{
    const QString file = HomePath() + QStringLiteral("/Program/Trellavox_Test.lng");
    QFile lng(file);
    ASSERT_TRUE(lng.open(QIODevice::WriteOnly));
    lng.write("\xEF\xBB\xBF; test texts\r\nLANGID=1031\r\n\r\n[$CONSTANTS]\r\n"
              "TrashQuestionStr=\xC2\xBB%1\xC2\xAB in den Papierkorb verschieben?\r\n\r\n"
              "[frmTrellavoxMain]\r\n10052=Ansicht\r\n");
    lng.close();
    ASSERT_TRUE(LangManager().AddLangFile(file));
    Start();
    LangManager().SetActiveLangID(1031);
    EXPECT_EQ(Pane().ViewStyleAction()->text(), QStringLiteral("Ansicht"));
    EXPECT_EQ(Button("tlbtnViewStyle")->toolTip(), QStringLiteral("Ansicht"));

    const QString folder = ProgramOptions.DefFolder;
    MakeFile(folder + QStringLiteral("/call.txt"));
    Open(folder);
    Select(folder + QStringLiteral("/call.txt"));
    Click("tlbtnDelete");
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, QStringLiteral("»call.txt« in den Papierkorb verschieben?"));
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/call.txt")));  // No, the scripted answer
}

// A start into a maximized window: the saved width holds through the
// resize of the showing (else each start would save a wider pane).
TEST_F(ExplorerStartTest, AMaximizedStartKeepsTheSavedWidth)
{
    QFile settings(SettingsFilePath());
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[Settings]\r\nExpWidth=300\r\nExpWindow=1\r\nConnectType=3\r\n");
    settings.close();
    StartWith(3);
    window->showMaximized();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->width() != 900; })) << "the screen is as wide as the window";
    QApplication::processEvents();
    EXPECT_NEAR(Pane().Panel()->width(), 300, 8) << window->width();
    EXPECT_TRUE(window->close());
    EXPECT_NEAR(TIniFile(SettingsFilePath()).ReadInteger(QStringLiteral("Settings"), QStringLiteral("ExpWidth"), 0),
                300, 8);
}

// The tree shows its current folder: at a first start, once the tree has
// listed the folders down to the default folder (many above it, so that a
// tree left at its top shows other folders), and after each way the pane
// goes to a folder, from a tree scrolled elsewhere.
TEST_F(ExplorerStartTest, TheTreeShowsItsCurrentFolderAtTheStartAndAfterEachWayThere)
{
    for (int n = 0; n < 40; ++n) {
        const QString name = QStringLiteral("/Archive %1").arg(n, 2, 10, QLatin1Char('0'));
        ASSERT_TRUE(QDir().mkpath(HomePath() + name));
        ASSERT_TRUE(QDir().mkpath(HomePath() + QStringLiteral("/Documents") + name));
    }
    QFileSystemModel* model = Pane().TreeModel();
    QStringList loaded;
    QObject::connect(model, &QFileSystemModel::directoryLoaded, [&](const QString& path) { loaded << path; });
    Start();
    const QString folder = ProgramOptions.DefFolder;
    ASSERT_EQ(folder, HomePath() + QStringLiteral("/Documents/Voice Digital Recorder Files"));

    QTreeView* tree = Pane().TreeView();
    const auto shows = [&](const QString& path) {
        const QModelIndex current = tree->currentIndex();
        return current.data(QFileSystemModel::FilePathRole).toString() == path &&
               tree->visualRect(current).intersects(tree->viewport()->rect());
    };
    // Each folder on the way listed, the last sort done.
    const auto listed = [&] {
        for (QString path = QFileInfo(folder).path();; path = QFileInfo(path).path()) {
            if (!loaded.contains(path))
                return false;
            if (path == QLatin1String("/"))
                return true;
        }
    };
    EXPECT_TRUE(QTest::qWaitFor(listed));
    QTest::qWait(50);
    EXPECT_TRUE(shows(folder)) << tree->visualRect(tree->currentIndex()).y() << " in " << tree->viewport()->height();

    struct Way {
        const char* name;
        std::function<void()> go;
        QString to;
    };
    const Way ways[] = {
        {"Level up", [&] { Click("tlbtnUpOneLevel"); }, QFileInfo(folder).path()},
        {"combo box", [&] { QTest::keyClick(Pane().PathComboBox(), Qt::Key_Up); }, HomePath()},
        {"default folder", [&] { Click("tlbtnGoToDefFolder"); }, folder},
    };
    for (const Way& way : ways) {
        tree->scrollToTop();
        way.go();
        EXPECT_EQ(Pane().CurrentFolder(), way.to) << way.name;
        EXPECT_TRUE(QTest::qWaitFor([&] { return shows(way.to); }, 2000)) << way.name;
    }
}

// Delete where no trash can be made (a file stands where the data folder
// would be): one message says so and nothing moves.
TEST_F(ExplorerStartTest, WhereNoTrashCanBeMadeTheDeleteSaysSoAndMovesNothing)
{
    Start();
    const QString sub = ProgramOptions.DefFolder + QStringLiteral("/sub");
    ASSERT_TRUE(QDir().mkpath(sub));
    MakeFile(sub + QStringLiteral("/call.txt"));
    MakeFile(HomePath() + QStringLiteral("/blocked"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(HomePath() + QStringLiteral("/blocked/share")));
    Open(sub);
    Select(sub + QStringLiteral("/call.txt"));

    boxes.Queue({IDYES});
    Click("tlbtnDelete");
    ASSERT_EQ(boxes.Boxes.size(), 2u);
    EXPECT_EQ(boxes.Boxes[0].Text, QStringLiteral("Move \"call.txt\" to the trash?"));
    EXPECT_TRUE(boxes.Boxes[1].Text.startsWith(QStringLiteral("Nothing was moved: no trash folder can be made for ") +
                                               sub + QStringLiteral("/call.txt")))
        << boxes.Boxes[1].Text.toStdString();
    EXPECT_TRUE(QFile::exists(sub + QStringLiteral("/call.txt")));
}

// The tree drops the folder shown when it is removed from outside, and the
// pane goes to its parent.
TEST_F(ExplorerStartTest, TheTreeDropsTheShownFolderRemovedFromOutside)
{
    Start();
    const QString a = ProgramOptions.DefFolder + QStringLiteral("/a");
    ASSERT_TRUE(QDir().mkpath(a + QStringLiteral("/b")));
    ASSERT_TRUE(QDir().mkpath(a + QStringLiteral("/c")));
    Open(a + QStringLiteral("/b"));
    const auto rows = [&] {
        const QModelIndex parent = Pane().TreeModel()->index(a);
        QStringList names;
        for (int row = 0; row < Pane().TreeModel()->rowCount(parent); ++row)
            names << Pane().TreeModel()->index(row, 0, parent).data().toString();
        names.sort();
        return names.join(QLatin1Char(' '));
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return rows() == QLatin1String("b c"); })) << rows().toStdString();

    ASSERT_TRUE(QDir(a + QStringLiteral("/b")).removeRecursively());
    EXPECT_TRUE(QTest::qWaitFor([&] { return rows() == QLatin1String("c"); }, 5000)) << rows().toStdString();
    EXPECT_EQ(Pane().CurrentFolder(), a);
}

// A file that grows in the folder shown: the pane's list shows each new size
// without a Refresh.
TEST_F(ExplorerStartTest, AGrowingFileShowsItsSizeInThePaneWithoutARefresh)
{
    Start();
    const QString sub = ProgramOptions.DefFolder + QStringLiteral("/sub");
    ASSERT_TRUE(QDir().mkpath(sub));
    const QString path = sub + QStringLiteral("/call.wav");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("RIFF", 4);
    }
    Open(sub);
    QModelIndex row;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (row = Pane().Model()->IndexOf(path)).isValid(); }));
    const auto shownSize = [&] { return Pane().Model()->IndexOf(path).siblingAtColumn(1).data().toString(); };
    EXPECT_EQ(shownSize(), QLocale::system().formattedDataSize(4));
    for (int step = 1; step <= 2; ++step) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write(QByteArray(1000000, 'x'));
        file.close();
        const QString size = QLocale::system().formattedDataSize(4 + step * 1000000);
        EXPECT_TRUE(QTest::qWaitFor([&] { return shownSize() == size; }, 5000))
            << "step " << step << ": " << shownSize().toStdString();
    }
}
