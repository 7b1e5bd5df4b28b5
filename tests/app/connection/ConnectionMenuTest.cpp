// The connection menu's entries and the recent image files.
#include <QAction>
#include <QFile>
#include <QMenu>

#include "app/connection/ConnectionMenu.h"
#include "app/connection/RecentFiles.h"
#include "app/services/FileDialogs.h"
#include "app/services/MainUiLock.h"
#include "core/recorder/CustomRecorder.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/app/connection/StubRecorder.h"

namespace {

// Answers the open dialog with the queued path (nullopt: Cancel) and keeps
// the requests.
class ScriptedOpenDialog : public TFileDialogAnswerer {
public:
    explicit ScriptedOpenDialog(std::optional<QString> answer) : m_answer(std::move(answer))
    {
        SetFileDialogAnswerer(this);
    }
    ~ScriptedOpenDialog() override { SetFileDialogAnswerer(nullptr); }

    std::optional<QString> Answer(const TFileDialogRequest& request) override
    {
        Requests.push_back(request);
        return m_answer;
    }

    std::vector<TFileDialogRequest> Requests;

private:
    std::optional<QString> m_answer;
};

}  // namespace

TEST(RecentFiles, AChosenOrOpenedFileComesFirstAsTheListSays)
{
    struct Case {
        const char* name;
        QStringList before;
        QString path;
        bool opened;  // through the open dialog, else a recent entry
        int maxCount;
        QStringList after;
    };
    const QString a = QStringLiteral("/a.qdm"), b = QStringLiteral("/b.qdm"), c = QStringLiteral("/c.qdm"),
                  d = QStringLiteral("/d.qdm"), n = QStringLiteral("/new.qdm");
    const Case cases[] = {
        // Swapped with the first entry, not moved to the front.
        {"third chosen", {a, b, c}, c, false, 3, {c, b, a}},
        {"first chosen", {a, b, c}, a, false, 3, {a, b, c}},
        // A recent click neither trims nor adds.
        {"chosen beyond the count", {a, b, c, d}, d, false, 2, {d, b, c, a}},
        {"chosen but not listed", {a, b}, n, false, 3, {a, b}},
        {"opened anew drops the last", {a, b, c, d}, n, true, 4, {n, a, b, c}},
        {"opened and listed is swapped", {a, b, c}, b, true, 3, {b, a, c}},
        {"opened into an empty list", {}, n, true, 3, {n}},
        {"count zero keeps none", {}, n, true, 0, {}},
        {"a smaller count trims", {a, b, c}, n, true, 2, {n, a}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        QStringList recent = test.before;
        if (test.opened)
            AddRecentFile(recent, test.path, test.maxCount);
        else
            SwapRecentFileToFront(recent, test.path);
        EXPECT_EQ(recent, test.after);
    }
}

TEST(RecentFiles, TheDefaultSuffixIsTheFirstPatternsExtension)
{
    EXPECT_EQ(DefaultSuffixOfFilter(QStringLiteral("Recorder image file (*.qdm)|*.qdm")), QStringLiteral("qdm"));
    EXPECT_EQ(DefaultSuffixOfFilter(QStringLiteral("Images|*.qdm;*.img|All|*.*")), QStringLiteral("qdm"));
    EXPECT_EQ(DefaultSuffixOfFilter(QStringLiteral("All files|*.*")), QString());
    EXPECT_EQ(DefaultSuffixOfFilter(QStringLiteral("no pattern")), QString());
}

class ConnectionMenuTest : public MainWindowFixture {
protected:
    QStringList EntryNames() const
    {
        QStringList names;
        for (const QAction* action : window->pmConnect->actions())
            names << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
        return names;
    }

    QStringList RecentTexts() const
    {
        QStringList texts;
        for (const QAction* action : window->pmConnect->actions())
            if (action->objectName().startsWith(QStringLiteral("RecentFile")))
                texts << action->text();
        return texts;
    }

    QAction* Recent(int index) const
    {
        return window->pmConnect->findChild<QAction*>(QStringLiteral("RecentFile") + QString::number(index));
    }

    void WriteSettings(const QByteArray& text)
    {
        QFile file(DocumentsPath() + QStringLiteral("ZEL4.set"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
};

TEST_F(ConnectionMenuTest, EntriesStandInTheirOrderWithTwoSeparatorsAndTheRecentFilesLast)
{
    WriteSettings("[Settings]\r\nConnectType=0\r\nRecentCount=3\r\n");
    window->StartupWork();
    const QStringList fixed{QStringLiteral("miDemo"),      QStringLiteral("-"),
                            QStringLiteral("miUSB11"),     QStringLiteral("miUSB20_ADPT"),
                            QStringLiteral("miUSB20_SPI"), QStringLiteral("miQ71_ADPT"),
                            QStringLiteral("miImageFile"), QStringLiteral("-")};
    // An empty recent list leaves the menu ending in its separator.
    EXPECT_EQ(EntryNames(), fixed);
    for (const TConnectTypeRow& row : kConnectTypes)
        EXPECT_EQ(window->ConnectMenuItem(row.type)->isVisible(), row.shownInMenu) << row.menuObjectName;
    // The hidden USB 1.1 entry holds the check mark of the saved type.
    EXPECT_TRUE(window->ConnectMenuItem(ctUsb11Adapter)->isChecked());

    ProgramOptions.RecentFiles = {QStringLiteral("/a.qdm"), QStringLiteral("/b.qdm")};
    window->ConnectionMenu().RebuildRecentFilesMenu();
    EXPECT_EQ(EntryNames(), fixed + QStringList({QStringLiteral("RecentFile0"), QStringLiteral("RecentFile1")}));
    ProgramOptions.RecentFiles.clear();
    window->ConnectionMenu().RebuildRecentFilesMenu();
    EXPECT_EQ(EntryNames(), fixed);
}

TEST_F(ConnectionMenuTest, AnOpenedImageFileWithAnAmpersandIsListedAndConnectedToByItsPath)
{
    WriteSettings("[Settings]\r\nConnectType=3\r\nRecentCount=4\r\n[OtherSettings]\r\nRecentFile0=/a.qdm\r\n"
                  "RecentFile1=/b.qdm\r\nRecentFile2=/c.qdm\r\nRecentFile3=/d.qdm\r\n");
    window->StartupWork();
    const QString path = DocumentsPath() + QStringLiteral("Calls & Notes.qdm");
    ScriptedOpenDialog dialog(path);
    window->ConnectionMenu().miImageFileClick();

    ASSERT_EQ(dialog.Requests.size(), 1u);
    EXPECT_EQ(dialog.Requests[0].Kind, TFileDialogRequest::TKind::Open);
    EXPECT_EQ(dialog.Requests[0].Filter, QStringLiteral("Recorder image file (*.qdm)|*.qdm"));
    EXPECT_EQ(dialog.Requests[0].DefaultSuffix, QStringLiteral("qdm"));
    EXPECT_TRUE(dialog.Requests[0].FileName.isEmpty());
    EXPECT_EQ(ProgramOptions.ImageFileName, path);
    EXPECT_EQ(ProgramOptions.ConnectType, ctImageFile);
    EXPECT_TRUE(window->ConnectMenuItem(ctImageFile)->isChecked());
    // RecentCount 4 and a fifth file: it comes first and the last goes.
    EXPECT_EQ(ProgramOptions.RecentFiles,
              (QStringList{path, QStringLiteral("/a.qdm"), QStringLiteral("/b.qdm"), QStringLiteral("/c.qdm")}));
    ASSERT_EQ(RecentTexts().size(), 4);
    EXPECT_EQ(RecentTexts()[0], DocumentsPath() + QStringLiteral("Calls && Notes.qdm"));

    // Away to the demo and back through the recent entry.
    window->ConnectMenuItem(ctDemo)->trigger();
    ProgramOptions.ImageFileName.clear();
    Recent(0)->trigger();
    EXPECT_EQ(ProgramOptions.ImageFileName, path);
    Pass();
    ASSERT_NE(connection->Recorder(), nullptr);
    EXPECT_EQ(connection->Recorder()->GetImageFile(), path);
}

TEST_F(ConnectionMenuTest, ARecentEntrySwapsWithTheFirstAndACancelledDialogChangesNothing)
{
    WriteSettings("[Settings]\r\nConnectType=3\r\nRecentCount=3\r\n[OtherSettings]\r\nRecentFile0=/a.qdm\r\n"
                  "RecentFile1=/b.qdm\r\nRecentFile2=/c.qdm\r\n");
    window->StartupWork();
    Recent(2)->trigger();
    EXPECT_EQ(ProgramOptions.ImageFileName, QStringLiteral("/c.qdm"));
    EXPECT_EQ(ProgramOptions.ConnectType, ctImageFile);
    EXPECT_EQ(RecentTexts(),
              (QStringList{QStringLiteral("/c.qdm"), QStringLiteral("/b.qdm"), QStringLiteral("/a.qdm")}));

    ScriptedOpenDialog cancel(std::nullopt);
    window->ConnectMenuItem(ctDemo)->trigger();
    window->ConnectionMenu().miImageFileClick();
    EXPECT_EQ(cancel.Requests.size(), 1u);
    EXPECT_EQ(ProgramOptions.ConnectType, ctDemo);
    EXPECT_EQ(ProgramOptions.ImageFileName, QStringLiteral("/c.qdm"));
    EXPECT_EQ(RecentTexts().size(), 3);
}

TEST_F(ConnectionMenuTest, ARefusedChoiceLeavesImageFileListAndCheckMarkAsTheyWere)
{
    WriteSettings("[Settings]\r\nConnectType=3\r\nRecentCount=3\r\n[OtherSettings]\r\nRecentFile0=/a.qdm\r\n"
                  "RecentFile1=/b.qdm\r\nImageFileName=/old.qdm\r\n");
    window->StartupWork();
    ScriptedOpenDialog dialog(QStringLiteral("/new.qdm"));
    TMainUiLockScope busy(window->UiLock());
    const auto unchanged = [this] {
        EXPECT_EQ(ProgramOptions.ConnectType, ctDemo);
        EXPECT_EQ(ProgramOptions.ImageFileName, QStringLiteral("/old.qdm"));
        EXPECT_EQ(ProgramOptions.RecentFiles, (QStringList{QStringLiteral("/a.qdm"), QStringLiteral("/b.qdm")}));
        EXPECT_EQ(RecentTexts(), ProgramOptions.RecentFiles);
        EXPECT_TRUE(window->ConnectMenuItem(ctDemo)->isChecked());
    };
    Recent(1)->trigger();
    unchanged();
    window->ConnectionMenu().miImageFileClick();
    unchanged();
    window->ConnectMenuItem(ctMassStorage)->trigger();
    unchanged();
}

// However many keys a settings file holds, the list and the menu take only
// the first RecentCount, which is a byte.
TEST_F(ConnectionMenuTest, ASettingsFileWithThousandsOfRecentFilesShowsOnlyRecentCountOfThem)
{
    for (const auto& [count, shown] : {std::pair{"5", 5}, std::pair{"300", 44}, std::pair{"255", 255}}) {
        SCOPED_TRACE(count);
        QByteArray text = QByteArray("[Settings]\r\nRecentCount=") + count + "\r\n[OtherSettings]\r\n";
        for (int n = 0; n < 10000; ++n)
            text += "RecentFile" + QByteArray::number(n) + "=/images/" + QByteArray::number(n) + ".qdm\r\n";
        WriteSettings(text);
        window->StartupWork();
        EXPECT_EQ(ProgramOptions.RecentFiles.size(), shown);
        ASSERT_EQ(RecentTexts().size(), shown);
        EXPECT_EQ(RecentTexts().last(), QStringLiteral("/images/%1.qdm").arg(shown - 1));
        // A list longer than the count, however it came about, shows no more.
        ProgramOptions.RecentCount = 2;
        window->ConnectionMenu().RebuildRecentFilesMenu();
        EXPECT_EQ(RecentTexts().size(), 2);
    }
}

TEST_F(ConnectionMenuTest, TheDemoChosenWhileOnUsb20ReconnectsAtOnce)
{
    std::vector<int> created;
    connection->SetRecorderFactory(
        [&created](int type) -> TCustomRecorder* {
            created.push_back(type);
            return new StubRecorder;
        },
        [](TCustomRecorder* recorder) { delete recorder; });
    StartWith(ctMassStorage);
    window->ConnectMenuItem(ctMassStorage)->setChecked(true);
    Pass();                         // connects
    connection->Timer1()->start();  // the back-off of a probe that found nothing
    ASSERT_TRUE(connection->Timer1()->isActive());
    ASSERT_EQ(created, std::vector<int>{ctMassStorage});

    window->ConnectMenuItem(ctDemo)->trigger();
    EXPECT_EQ(connection->Recorder(), nullptr);
    EXPECT_FALSE(connection->Timer1()->isActive());
    Pass();
    EXPECT_EQ(created, (std::vector<int>{ctMassStorage, ctDemo}));
}
