// Starting on a damaged settings file or demo image: the program runs on,
// nothing the user had is lost, and each fault is told once.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QSplitter>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <cerrno>
#include <cstring>
#include <functional>

#include "app/explorer/ExplorerPane.h"
#include "app/main/IdleScheduler.h"
#include "core/links/ConnectType.h"
#include "core/links/Link.h"
#include "core/recorder/MessageBoxCodes.h"
#include "core/settings/IniFile.h"
#include "core/settings/ProgramOptions.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/support/WriteDenied.h"

namespace {

// Counts, while it lives, the timer events that are not the program's: Qt's
// own caches clean up on timers of theirs, and a test's timers end its
// loops. Each may wake one pass, whenever it falls; a pass woken so is none of
// the program's making.
class ForeignTimerEvents : public QObject {
public:
    ForeignTimerEvents() { QCoreApplication::instance()->installEventFilter(this); }
    ~ForeignTimerEvents() override { QCoreApplication::instance()->removeEventFilter(this); }
    int Count() const { return m_count; }

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override
    {
        if (event->type() == QEvent::Timer && !OfTheProgram(receiver))
            ++m_count;
        return false;
    }

private:
    // The program's objects live in its windows.
    static bool OfTheProgram(const QObject* object)
    {
        for (; object; object = object->parent())
            if (object->isWidgetType())
                return true;
        return false;
    }

    int m_count = 0;
};

class DamagedStartTest : public MainWindowFixture {
protected:
    QString SettingsPath() const { return DocumentsPath() + QStringLiteral("ZEL4.set"); }
    QString DemoPath() const { return DocumentsPath() + QStringLiteral("ZEL4_DEMO.QDM"); }

    void WriteFile(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    static QByteArray ReadFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QString Saved(const char* key) const
    {
        return TIniFile(SettingsPath()).ReadString(QStringLiteral("Settings"), QLatin1String(key), QStringLiteral("?"));
    }

    // Runs the event loop itself (which alone drives the passes) until the
    // condition holds or the deadline passes. The timers go with the loop: a
    // deadline left running would end later, in another test's quiet loop,
    // as one more pass.
    static bool LoopUntil(const std::function<bool()>& condition, int deadlineMs)
    {
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (condition())
                loop.quit();
        });
        poll.start(20);
        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
        deadline.start(deadlineMs);
        loop.exec();
        return condition();
    }

    // A new main window over the same home, as a new start of the program.
    void Restart()
    {
        forms.reset();
        ResetLink();
        ResetProgramOptions();
        SetDocumentsFolderOverride(HomePath() + QStringLiteral("/Documents"));
        forms = std::make_unique<TAppForms>();
        window = forms->frmTrellavoxMain;
        connection = &window->Connection();
        connection->SetStatusCloseDelayMs(0);
    }

    // Starts on the settings file, shown and driven by the event loop, until
    // the demo recorder is connected; then counts the passes of a quiet loop
    // that the program itself caused.
    int QuietPasses(const QByteArray& settings)
    {
        Restart();
        // No back-off second ends while the loop is watched.
        connection->SetBackOffMs(60000);
        WriteFile(SettingsPath(), settings);
        window->StartupWork();
        window->ShowPlaced();
        // The explorer's watchers report what other programs do in the
        // folders it shows (the shared /tmp): passes no start-up leaves behind.
        window->Explorer().SetWatching(false);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
        window->EnableIdlePasses();
        EXPECT_TRUE(LoopUntil([this] { return connection->FConnected && !connection->IsBusy(); }, 10000));
        const auto* scheduler = window->findChild<TIdleScheduler*>();
        EXPECT_NE(scheduler, nullptr);
        if (!scheduler)
            return -1;
        // What connecting left to paint and lay out is done first.
        LoopUntil([] { return false; }, 100);
        const int before = scheduler->PassesRun();
        const ForeignTimerEvents foreign;
        QEventLoop quiet;
        QTimer end;
        end.setSingleShot(true);
        QObject::connect(&end, &QTimer::timeout, &quiet, &QEventLoop::quit);
        end.start(600);
        quiet.exec();
        return scheduler->PassesRun() - before - foreign.Count();
    }
};

struct BadConnectType {
    const char* name;
    const char* value;
};

void PrintTo(const BadConnectType& c, std::ostream* os)
{
    *os << c.name;
}

class BadConnectTypeTest : public DamagedStartTest, public ::testing::WithParamInterface<BadConnectType> {};

}  // namespace

// A type no connection has starts the demo, and the loop stays as quiet as
// with a good type: no pass touches a widget that does not change.
TEST_P(BadConnectTypeTest, StartsTheDemoAndTheQuietLoopDoesNotSpin)
{
    const int good = QuietPasses("[Settings]\r\nConnectType=3\r\n");
    const int bad = QuietPasses(QByteArray("[Settings]\r\nConnectType=") + GetParam().value + "\r\n");
    EXPECT_LE(bad, good) << "bad " << bad << " good " << good;
    EXPECT_LE(good, 5);

    EXPECT_EQ(ProgramOptions.ConnectType, kDefaultConnectType);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Application - DEMO MODE"));
    EXPECT_EQ(window->lbDemo->text(), QStringLiteral("DEMO MODE"));
    EXPECT_TRUE(window->ConnectMenuItem(ctDemo)->isChecked());
    EXPECT_TRUE(boxes.Boxes.empty());

    // The default type is what the next start reads.
    EXPECT_TRUE(window->close());
    EXPECT_EQ(Saved("ConnectType"), QStringLiteral("3"));
}

INSTANTIATE_TEST_SUITE_P(Values, BadConnectTypeTest,
                         ::testing::Values(BadConnectType{"Minus7", "-7"}, BadConnectType{"Six", "6"},
                                           BadConnectType{"BeyondInt32", "99999999999"}, BadConnectType{"Empty", ""},
                                           BadConnectType{"Text", "demo"}),
                         [](const auto& info) { return std::string(info.param.name); });

namespace {

struct DamagedWidths {
    const char* name;
    int explorer;
    int folders;
};

void PrintTo(const DamagedWidths& c, std::ostream* os)
{
    *os << c.name;
}

class DamagedWidthsTest : public DamagedStartTest, public ::testing::WithParamInterface<DamagedWidths> {};

}  // namespace

// Widths no window can show are kept within what stays usable before they
// are applied, and what is saved is usable again.
TEST_P(DamagedWidthsTest, ThePaneAndTheTreeStayUsableAndAreSavedSo)
{
    WriteFile(SettingsPath(), QStringLiteral("[Settings]\r\nExpWidth=%1\r\nExpWindow=1\r\nFoldersWidth=%2\r\n"
                                             "FolderTree=1\r\nConnectType=3\r\n")
                                  .arg(GetParam().explorer)
                                  .arg(GetParam().folders)
                                  .toLatin1());
    window->resize(900, 600);
    window->StartupWork();
    window->ShowPlaced();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));

    TExplorerPane& pane = window->Explorer();
    const auto usable = [&] {
        return pane.Panel()->width() >= TExplorerPane::kMinExplorerWidth / 2 &&
               pane.TreeView()->width() >= TExplorerPane::kMinFoldersWidth / 2 &&
               window->lvRecContent->parentWidget()->width() > 0;
    };
    EXPECT_TRUE(QTest::qWaitFor(usable, 5000));
    EXPECT_GE(pane.ExplorerWidth(), TExplorerPane::kMinExplorerWidth / 2);
    EXPECT_LE(pane.ExplorerWidth(), window->width() - TExplorerPane::kMinContentWidth / 2);

    EXPECT_TRUE(window->close());
    const int savedExplorer = Saved("ExpWidth").toInt();
    const int savedFolders = Saved("FoldersWidth").toInt();
    EXPECT_GE(savedExplorer, TExplorerPane::kMinExplorerWidth / 2);
    EXPECT_LE(savedExplorer, 900 - TExplorerPane::kMinContentWidth / 2);
    EXPECT_GE(savedFolders, TExplorerPane::kMinFoldersWidth / 2);
    EXPECT_LT(savedFolders, savedExplorer);
}

INSTANTIATE_TEST_SUITE_P(Values, DamagedWidthsTest,
                         ::testing::Values(DamagedWidths{"FarBelowZero", -100000, 0}, DamagedWidths{"Zero", 0, -5},
                                           DamagedWidths{"TreeWiderThanThePane", 300, 99999},
                                           DamagedWidths{"WiderThanAnyWindow", 99999, 99999}),
                         [](const auto& info) { return std::string(info.param.name); });

// The same values through the pane alone, against its bounds.
TEST_F(DamagedStartTest, WidthsAreClampedToTheMinimumAndToTheWindow)
{
    window->resize(900, 600);
    TExplorerPane& pane = window->Explorer();
    struct Case {
        int explorer, folders;
        int wantExplorer, wantFolders;
    };
    const int widest = 900 - TExplorerPane::kMinContentWidth;
    const Case cases[] = {
        {-100000, 0, TExplorerPane::kMinExplorerWidth, TExplorerPane::kMinFoldersWidth},
        {400, 150, 400, 150},
        {400, 399, 400, 400 - TExplorerPane::kMinListWidth},
        {99999, -1, widest, TExplorerPane::kMinFoldersWidth},
    };
    pane.SetExplorerShown(false);
    pane.SetFolderTreeShown(false);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.explorer);
        pane.SetExplorerWidth(c.explorer);
        pane.SetFoldersWidth(c.folders);
        EXPECT_EQ(pane.ExplorerWidth(), c.wantExplorer);
        EXPECT_EQ(pane.FoldersWidth(), c.wantFolders);
    }
}

TEST_F(DamagedStartTest, AnUnusableDemoImageIsMovedAsideNextToTheEarlierOneAndToldOnce)
{
    const QByteArray older = "the copy moved aside the last time";
    const QByteArray damaged(300, 'x');
    WriteFile(DemoPath() + QStringLiteral(".bad"), older);
    WriteFile(DemoPath(), damaged);
    StartWith(3);

    Pass();  // connects
    for (int i = 0; i < 2; ++i) {
        WaitForBackOff();
        Pass();
    }
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, QStringLiteral("The demo image %1 could not be used. It was moved to %2, and a "
                                                  "blank demo image was made.")
                                       .arg(DemoPath(), DemoPath() + QStringLiteral(".bad.1")));
    EXPECT_EQ(boxes.Boxes[0].Flags, MB_OK | MB_ICONWARNING);
    EXPECT_EQ(ReadFile(DemoPath() + QStringLiteral(".bad")), older);
    EXPECT_EQ(ReadFile(DemoPath() + QStringLiteral(".bad.1")), damaged);
    EXPECT_TRUE(connection->FConnected);
}

TEST_F(DamagedStartTest, ADemoImageThatMayNotBeWrittenIsNamedOnceThenProbedQuietly)
{
    StartWith(3);
    Pass();  // makes the demo image
    ASSERT_TRUE(QFile::exists(DemoPath()));
    const QByteArray before = ReadFile(DemoPath());
    ASSERT_TRUE(connection->Disconnect());
    {
        WriteDeniedScope denied(DemoPath().toStdString(), HomePath().toStdString());
        Pass();  // connects again
        for (int i = 0; i < 3; ++i) {
            WaitForBackOff();
            Pass();
        }
        EXPECT_FALSE(connection->FConnected);
    }
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, QStringLiteral("Can't open ") + DemoPath() + QStringLiteral(": ") +
                                       QString::fromLocal8Bit(std::strerror(EACCES)));
    EXPECT_EQ(boxes.Boxes[0].Flags, MB_OK | MB_ICONERROR);
    EXPECT_EQ(window->lbErrorState->text(), QStringLiteral("Can't find Recorder. Connect Recorder to PC."));
    EXPECT_EQ(ReadFile(DemoPath()), before);
    EXPECT_FALSE(QFile::exists(DemoPath() + QStringLiteral(".bad")));
}
