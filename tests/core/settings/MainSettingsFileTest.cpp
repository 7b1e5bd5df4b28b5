#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <functional>

#include "core/settings/DocumentsFolder.h"
#include "core/settings/IniFile.h"
#include "core/settings/MainSettingsFile.h"
#include "core/settings/ProgramOptions.h"
#include "localizer/LangConst.h"
#include "localizer/LanguageManager.h"
#include "tests/core/settings/FakeSettingsHost.h"
#include "tests/core/settings/IniTestFiles.h"
#include "tests/support/TempDir.h"

using namespace Qt::StringLiterals;

namespace {

// Every test runs in a temporary home with fresh program state.
class MainSettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramOptions();
        m_documents = QString::fromStdString(m_home.File("Documents"));
        SetDocumentsFolderOverride(m_documents);
        m_oldCurrent = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(m_home.Path().string())));
    }
    void TearDown() override
    {
        QDir::setCurrent(m_oldCurrent);
        ResetProgramOptions();
        ResetLangManager();
    }

    void WriteSettings(const QByteArray& text) { WriteBytes(SettingsFilePath(), text); }
    QByteArray SettingsBytes() const { return ReadBytes(SettingsFilePath()); }
    QString SavedValue(const char* section, const char* key) const
    {
        return TIniFile(SettingsFilePath()).ReadString(QLatin1String(section), QLatin1String(key), u"<missing>"_s);
    }

    // The start-up sequence of the main window over the fake.
    void StartUp(FakeSettingsHost& window)
    {
        CreateSettingsFileFromDefault();
        LoadLangID();
        window.Placement = LoadWindowPlacement(window);
        LoadSettings(window);
    }

    TempDir m_home;
    QString m_documents;
    QString m_oldCurrent;
};

QStringList Utf16Lines(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringConverter::Utf16LE);
    QString text = decoder.decode(QByteArrayView(bytes).sliced(2));
    QStringList lines = text.split(u"\r\n"_s);
    lines.removeLast();
    return lines;
}

// True when every line of part appears in whole, in the same order.
bool ContainsInOrder(const QStringList& whole, const QStringList& part)
{
    qsizetype at = 0;
    for (const QString& line : part) {
        at = whole.indexOf(line, at);
        if (at < 0)
            return false;
        ++at;
    }
    return true;
}

WINDOWPLACEMENT OddPlacement()
{
    WINDOWPLACEMENT p;
    p.flags = 2;
    p.showCmd = 3;
    p.ptMinPosition = {-32000, -32000};
    p.ptMaxPosition = {-8, -8};
    p.rcNormalPosition = {-1200, 35, 2410, 1377};
    return p;
}

} // namespace

TEST_F(MainSettingsFileTest, TheFileLivesInTheDocumentsFolderUnderTheBuiltInPrefix)
{
    EXPECT_FALSE(QDir(m_documents).exists());
    EXPECT_EQ(GetDocumentsFolder(), m_documents + u'/');
    EXPECT_TRUE(QDir(m_documents).exists());
    EXPECT_EQ(SettingsFileName(), u"ZEL4.set"_s);
    EXPECT_EQ(SettingsFilePath(), m_documents + u"/ZEL4.set"_s);

    ResetProgramOptions();
    EXPECT_NE(GetDocumentsFolder(), m_documents + u'/');
    EXPECT_TRUE(GetDocumentsFolder().endsWith(u'/'));
}

TEST_F(MainSettingsFileTest, ALanguageThatTranslatesThePrefixDoesNotMoveTheFile)
{
    const QString languageFile = QString::fromStdString(m_home.File("Trellavox_ru.lng"));
    WriteBytes(languageFile, "LANGID=1049\r\n[$CONSTANTS]\r\nRecFilePrefixStr=ZEL4_RU\r\n");
    ASSERT_TRUE(LangManager().AddLangFile(languageFile));
    LangManager().SetActiveLangID(1049);
    ASSERT_EQ(LangConst(u"RecFilePrefixStr"_s), u"ZEL4_RU"_s);

    LangID = 1049;
    SaveSettings(FakeSettingsHost());
    EXPECT_EQ(SettingsFilePath(), m_documents + u"/ZEL4.set"_s);
    EXPECT_TRUE(QFile::exists(m_documents + u"/ZEL4.set"_s));
    EXPECT_FALSE(QFile::exists(m_documents + u"/ZEL4_RU.set"_s));

    // The next start, still in English until the language is read, finds it.
    ResetLangManager();
    LangID = 1033;
    LoadLangID();
    EXPECT_EQ(LangID, 1049);
}

TEST_F(MainSettingsFileTest, FirstStartWithoutAnyFileRunsOnDefaultsAndSavesTheGoldenFile)
{
    FakeSettingsHost window;
    StartUp(window);

    EXPECT_FALSE(QFile::exists(SettingsFilePath()));
    EXPECT_EQ(LangID, 1033);
    EXPECT_EQ(window.Placement, FakeSettingsHost().Placement);
    const TProgramOptions& o = ProgramOptions;
    EXPECT_FALSE(o.Split || o.SyncTime || o.AutoDownload || o.NonDownOnly || o.AutoDelete || o.SkipSilence ||
                 o.ShowVoiceParts || o.HideEditor || o.DisableEditor || o.HideFlashDrive || o.DisableFlashDrive ||
                 o.SimpleQualitySetup || o.SimpleVasSetup || o.HideMaskEdit || o.HideSplitting ||
                 o.NonSavedEraseDisable || o.HideExpert || o.HideAdvExpert || o.AonOnly || o.DialectFormat);
    EXPECT_EQ(o.MaxOutputSize, 0);
    EXPECT_EQ(o.ConnectType, 0);
    EXPECT_EQ(window.CheckedItem, TConnectMenuItem::miUSB11);
    EXPECT_EQ(o.RecentCount, 3);
    EXPECT_TRUE(o.RecentFiles.isEmpty());
    EXPECT_EQ(window.RecentMenuRebuilds, 1);
    EXPECT_TRUE(window.ExpWindow); // a missing ExpWindow means "shown"

    SaveSettings(window);
    EXPECT_EQ(SettingsBytes(), ReadBytes(TestDataFile("fresh-save.set")));
}

TEST_F(MainSettingsFileTest, DefaultFileFromTheCurrentFolderIsCopiedOnlyWhenMissing)
{
    WriteBytes(u"ZEL4.set"_s, "[Settings]\r\nConnectType=3\r\n");
    CreateSettingsFileFromDefault();
    EXPECT_EQ(SettingsBytes(), "[Settings]\r\nConnectType=3\r\n");

    WriteSettings("[Settings]\r\nConnectType=5\r\n");
    CreateSettingsFileFromDefault();
    EXPECT_EQ(SettingsBytes(), "[Settings]\r\nConnectType=5\r\n");
}

TEST_F(MainSettingsFileTest, ForeignUtf16FileReadsRightAndKeepsEveryForeignLine)
{
    const QByteArray original = ReadBytes(TestDataFile("foreign-utf16.set"));
    WriteSettings(original);
    ProgramOptions.SyncTime = true; // the file's "yes" must leave it

    FakeSettingsHost window;
    LoadSettings(window);
    const TProgramOptions& o = ProgramOptions;
    EXPECT_EQ(o.ConnectType, 5);
    EXPECT_EQ(window.CheckedItem, TConnectMenuItem::miQ71_ADPT);
    EXPECT_TRUE(o.Split);
    EXPECT_EQ(o.MaxOutputSize, -1);
    EXPECT_TRUE(o.SyncTime);
    EXPECT_EQ(o.DefFolder, u"/home/user/\u0417\u0430\u043F\u0438\u0441\u0438"_s);
    EXPECT_EQ(o.ImageFileName, u"/data/images/my image.qdm"_s);
    EXPECT_EQ(o.RecentFiles, QStringList{u"/data/a.qdm"_s});
    EXPECT_EQ(window.Columns(TSettingsListView::RecContent)[2], 100);

    SaveSettings(window);
    const QByteArray saved = SettingsBytes();
    ASSERT_TRUE(saved.startsWith("\xFF\xFE"));
    const QStringList lines = Utf16Lines(saved);
    const QStringList foreignLines = {
        u"; Trellavox settings, edited by hand"_s,
        u"[settings]"_s,
        u"ConnectType=5"_s, // our keys keep their place
        u"Split=1"_s,
        u"MaxOutputSize=-1"_s,
        u"SyncTime=1"_s,
        u"lineWithoutEquals"_s,
        u"; RecentCount=9"_s,
        u"RecentCount=3"_s,
        u"HandKey=keep me"_s,
        u"ExpWidth=250"_s, // new keys follow the section's last entry
        u""_s,
        u"[OtherSettings]"_s,
        u"DefFolder=/home/user/\u0417\u0430\u043F\u0438\u0441\u0438"_s,
        u"ImageFileName=/data/images/my image.qdm"_s,
        u"RecentFile0=/data/a.qdm"_s,
        u"RecentFile1="_s, // would come back as a duplicate
        u"lvRecContentColumn2Width=100"_s,
        u"[Foreign]"_s,
        u"Key=Value"_s,
        u"[SETTINGS]"_s,
        u"ConnectType=3"_s,
    };
    EXPECT_TRUE(ContainsInOrder(lines, foreignLines)) << lines.join(u'\n').toStdString();
    EXPECT_EQ(lines.last(), u"ConnectType=3"_s); // nothing was added to the duplicate section

    // The saved file reads back to the same options.
    const TProgramOptions before = ProgramOptions;
    ResetProgramOptions();
    SetDocumentsFolderOverride(m_documents);
    LoadSettings(window);
    EXPECT_EQ(ProgramOptions.DefFolder, before.DefFolder);
    EXPECT_EQ(ProgramOptions.RecentFiles, before.RecentFiles);
    EXPECT_EQ(ProgramOptions.ConnectType, before.ConnectType);
}

TEST_F(MainSettingsFileTest, Cp1251FileReadsRightAndIsSavedAsUtf8)
{
    WriteSettings(ReadBytes(TestDataFile("foreign-cp1251.set")));
    FakeSettingsHost window;
    LoadSettings(window);
    const QString folder =
        u"/home/\u043E\u043F\u0435\u0440\u0430\u0442\u043E\u0440/\u0417\u0432\u043E\u043D\u043A\u0438"_s;
    EXPECT_EQ(ProgramOptions.DefFolder, folder);
    EXPECT_EQ(ProgramOptions.ConnectType, 1);

    SaveSettings(window);
    const QByteArray saved = SettingsBytes();
    EXPECT_TRUE(saved.startsWith(("[OtherSettings]\r\nDefFolder=" + folder + u"\r\nPlacement="_s).toUtf8()));
    EXPECT_TRUE(saved.contains(("\r\nDefFolder=" + folder + u"\r\n"_s).toUtf8()));
    EXPECT_TRUE(saved.contains(u"\r\n; \u043A\u043E\u043C\u043C\u0435\u043D\u0442\u0430\u0440\u0438\u0439 \u043A "
                               u"\u0444\u0430\u0439\u043B\u0443\r\n[Settings]\r\nConnectType=1\r\n"_s.toUtf8()));
}

TEST_F(MainSettingsFileTest, NewFileKeepsANonAsciiPathIntact)
{
    ProgramOptions.DefFolder = u"/home/\u0417\u0432\u043E\u043D\u043A\u0438"_s;
    ProgramOptions.RecentFiles = {u"/media/\u00E9t\u00E9.qdm"_s};
    SaveSettings(FakeSettingsHost());
    const QByteArray saved = SettingsBytes();
    EXPECT_TRUE(saved.contains("\r\nDefFolder=/home/\xD0\x97\xD0\xB2\xD0\xBE\xD0\xBD\xD0\xBA\xD0\xB8\r\n"));
    EXPECT_TRUE(saved.contains("\r\nRecentFile0=/media/\xC3\xA9t\xC3\xA9.qdm\r\n"));
    EXPECT_FALSE(saved.contains('?'));
}

TEST_F(MainSettingsFileTest, PlacementRoundTripIsByteIdentical)
{
    FakeSettingsHost first;
    first.Placement = OddPlacement();
    SaveSettings(first);
    const QByteArray firstSave = SettingsBytes();
    EXPECT_EQ(SavedValue("OtherSettings", "Placement"), u"2C0000000200000003000000"
                                                        u"0083FFFF0083FFFFF8FFFFFFF8FFFFFF"
                                                        u"50FBFFFF230000006A09000061050000"_s);

    FakeSettingsHost second; // a window that starts elsewhere
    second.Placement = LoadWindowPlacement(second);
    EXPECT_EQ(second.Placement, OddPlacement());
    SaveSettings(second);
    EXPECT_EQ(SettingsBytes(), firstSave);
}

TEST_F(MainSettingsFileTest, PlacementThatIsNot44BytesLeavesTheWindowWhereItIs)
{
    const QString good = u"2C0000000200000003000000"
                         u"0083FFFF0083FFFFF8FFFFFFF8FFFFFF"
                         u"50FBFFFF230000006A09000061050000"_s;
    const QString cases[] = {good.left(86), good + u"00"_s, good.left(87), good.left(86) + u"0G"_s, QString()};
    for (const QString& value : cases) {
        WriteSettings(("[OtherSettings]\r\nPlacement=" + value + u"\r\n"_s).toUtf8());
        FakeSettingsHost window;
        window.Placement.length = 0;
        WINDOWPLACEMENT expected = window.Placement;
        expected.length = 44;
        EXPECT_EQ(LoadWindowPlacement(window), expected) << value.size() << " digits";
    }
}

TEST_F(MainSettingsFileTest, LangIdIsReadInSixteenBitsWithTheLiveValueAsDefault)
{
    LangID = 1058;
    LoadLangID();
    EXPECT_EQ(LangID, 1058); // no file

    const std::pair<const char*, std::uint16_t> cases[] = {
        {"1049", 1049}, {"70000", 4464}, {"yes", 1058}, {"$419", 1049}, {"", 1058}};
    for (const auto& [text, expected] : cases) {
        LangID = 1058;
        WriteSettings(QByteArray("[Settings]\r\nLangID=") + text + "\r\n");
        LoadLangID();
        EXPECT_EQ(LangID, expected) << text;
    }
}

TEST_F(MainSettingsFileTest, MissingKeysKeepTheLiveValues)
{
    TProgramOptions& o = ProgramOptions;
    o.DefFolder = u"/music"_s;
    o.FileNameMask = u"[rn].wav"_s;
    o.Split = o.AutoDelete = o.HideExpert = o.DialectFormat = true;
    o.MaxOutputSize = 650;
    o.ImageFileName = u"/x.qdm"_s;
    o.RecentFiles = {u"/stale.qdm"_s};
    const TProgramOptions before = o;
    FakeSettingsHost window;
    window.ExpWidth = 333;
    window.FolderTree = false;
    window.ViewStyleValue = 1;

    WriteSettings("[Settings]\r\nConnectType=2\r\n");
    LoadSettings(window);

    EXPECT_EQ(o.ConnectType, 2);
    EXPECT_EQ(window.CheckedItem, TConnectMenuItem::miUSB20_ADPT);
    EXPECT_EQ(o.DefFolder, before.DefFolder);
    EXPECT_EQ(o.FileNameMask, before.FileNameMask);
    EXPECT_TRUE(o.Split && o.AutoDelete && o.HideExpert && o.DialectFormat);
    EXPECT_FALSE(o.SyncTime || o.AonOnly);
    EXPECT_EQ(o.MaxOutputSize, 650);
    EXPECT_EQ(o.ImageFileName, before.ImageFileName);
    // These two have defaults of their own.
    EXPECT_EQ(o.RecentCount, 3);
    EXPECT_TRUE(o.RecentFiles.isEmpty());
    EXPECT_EQ(window.ExpWidth, 333);
    EXPECT_TRUE(window.ExpWindow);
    EXPECT_FALSE(window.FolderTree);
    EXPECT_EQ(window.ViewStyleValue, 1);
    EXPECT_EQ(window.Columns(TSettingsListView::ShellContent),
              FakeSettingsHost().Columns(TSettingsListView::ShellContent));
}

namespace {

// One key (or a few) in the file, the live state before loading, and what
// loading must make of it.
struct EdgeCase {
    const char* name;
    const char* file;
    std::function<void(FakeSettingsHost&)> before;
    std::function<void(const FakeSettingsHost&)> check;
};

void PrintTo(const EdgeCase& c, std::ostream* os)
{
    *os << c.name;
}

class SettingsEdgeCaseTest : public MainSettingsFileTest, public ::testing::WithParamInterface<EdgeCase> {};

const TProgramOptions& O()
{
    return ProgramOptions;
}

void Nothing(FakeSettingsHost&) {}

} // namespace

TEST_P(SettingsEdgeCaseTest, LoadsAsExpected)
{
    FakeSettingsHost window;
    GetParam().before(window);
    WriteSettings(GetParam().file);
    LoadSettings(window);
    GetParam().check(window);
}

INSTANTIATE_TEST_SUITE_P(
    Values, SettingsEdgeCaseTest,
    ::testing::Values(
        EdgeCase{"YesIsNotABooleanAndKeepsTrue", "[Settings]\r\nSplit=yes\r\n",
                 [](FakeSettingsHost&) { ProgramOptions.Split = true; },
                 [](const FakeSettingsHost&) { EXPECT_TRUE(O().Split); }},
        EdgeCase{"YesIsNotABooleanAndKeepsFalse", "[Settings]\r\nSplit=yes\r\n", Nothing,
                 [](const FakeSettingsHost&) { EXPECT_FALSE(O().Split); }},
        EdgeCase{"TwoIsTrue", "[Settings]\r\nAonOnly=2\r\n", Nothing,
                 [](const FakeSettingsHost&) { EXPECT_TRUE(O().AonOnly); }},
        EdgeCase{"HexConnectType", "[Settings]\r\nConnectType=$10\r\n", Nothing,
                 [](const FakeSettingsHost& w) {
                     EXPECT_EQ(O().ConnectType, 16);
                     EXPECT_EQ(w.CheckedItem, TConnectMenuItem::miDemo);
                 }},
        EdgeCase{"ConnectTypeNineChecksDemoAndStaysNine", "[Settings]\r\nConnectType=9\r\n", Nothing,
                 [](const FakeSettingsHost& w) {
                     EXPECT_EQ(O().ConnectType, 9);
                     EXPECT_EQ(w.CheckedItem, TConnectMenuItem::miDemo);
                 }},
        EdgeCase{"NegativeConnectTypeChecksDemo", "[Settings]\r\nConnectType=-1\r\n", Nothing,
                 [](const FakeSettingsHost& w) {
                     EXPECT_EQ(O().ConnectType, -1);
                     EXPECT_EQ(w.CheckedItem, TConnectMenuItem::miDemo);
                 }},
        EdgeCase{"ConnectTypeFiveChecksTheDeviceLibraryEntry", "[Settings]\r\nConnectType=0x5\r\n", Nothing,
                 [](const FakeSettingsHost& w) { EXPECT_EQ(w.CheckedItem, TConnectMenuItem::miQ71_ADPT); }},
        EdgeCase{"MaxOutputSizeBeyondInt32KeepsTheLiveValue", "[Settings]\r\nMaxOutputSize=2147483648\r\n",
                 [](FakeSettingsHost&) { ProgramOptions.MaxOutputSize = 700; },
                 [](const FakeSettingsHost&) { EXPECT_EQ(O().MaxOutputSize, 700); }},
        EdgeCase{"MaxOutputSizeAllOnesHexKeepsTheLiveValue", "[Settings]\r\nMaxOutputSize=$FFFFFFFF\r\n",
                 [](FakeSettingsHost&) { ProgramOptions.MaxOutputSize = 700; },
                 [](const FakeSettingsHost&) { EXPECT_EQ(O().MaxOutputSize, 700); }},
        EdgeCase{"MaxOutputSizeMinusOneIsSignExtended", "[Settings]\r\nMaxOutputSize=-1\r\n", Nothing,
                 [](const FakeSettingsHost&) { EXPECT_EQ(O().MaxOutputSize, -1); }},
        EdgeCase{"MaxOutputSizeLargerThanADownloadUsesIsKeptAsRead", "[Settings]\r\nMaxOutputSize=100000\r\n", Nothing,
                 [](const FakeSettingsHost&) { EXPECT_EQ(O().MaxOutputSize, 100000); }},
        EdgeCase{"MissingMaxOutputSizeKeepsTheLow32Bits", "[Settings]\r\n",
                 [](FakeSettingsHost&) { ProgramOptions.MaxOutputSize = (std::int64_t{1} << 32) + 5; },
                 [](const FakeSettingsHost&) { EXPECT_EQ(O().MaxOutputSize, 5); }},
        EdgeCase{"RecentCount300KeepsEightBits", "[Settings]\r\nRecentCount=300\r\n", Nothing,
                 [](const FakeSettingsHost&) { EXPECT_EQ(O().RecentCount, 44); }},
        EdgeCase{"RecentCountZeroReadsNoRecentFiles",
                 "[Settings]\r\nRecentCount=0\r\n[OtherSettings]\r\nRecentFile0=/a.qdm\r\n", Nothing,
                 [](const FakeSettingsHost& w) {
                     EXPECT_EQ(O().RecentCount, 0);
                     EXPECT_TRUE(O().RecentFiles.isEmpty());
                     EXPECT_EQ(w.RecentMenuRebuilds, 1);
                 }},
        EdgeCase{"RecentFilesStopAtRecentCountAndSkipGaps",
                 "[Settings]\r\nRecentCount=3\r\n[OtherSettings]\r\nRecentFile0=\r\nRecentFile1=/b.qdm\r\n"
                 "RecentFile2=/c.qdm\r\nRecentFile3=/d.qdm\r\n",
                 Nothing,
                 [](const FakeSettingsHost&) {
                     EXPECT_EQ(O().RecentFiles, (QStringList{u"/b.qdm"_s, u"/c.qdm"_s}));
                 }},
        EdgeCase{"ViewStyleOutsideZeroToThreeKeepsTheListsStyle", "[Settings]\r\nViewStyle=7\r\n",
                 [](FakeSettingsHost& w) { w.ViewStyleValue = 2; },
                 [](const FakeSettingsHost& w) { EXPECT_EQ(w.ViewStyleValue, 2); }},
        EdgeCase{"ControlsAndColumns",
                 "[Settings]\r\nExpWidth=410\r\nExpWindow=0\r\nFoldersWidth=90\r\nFolderTree=0\r\nViewStyle=0\r\n"
                 "[OtherSettings]\r\nlvRecContentColumn5Width=33\r\nlvDrvContentColumn0Width=44\r\n"
                 "lvShellContentColumn3Width=55\r\nlvShellContentColumn4Width=66\r\n",
                 Nothing,
                 [](const FakeSettingsHost& w) {
                     EXPECT_EQ(w.ExpWidth, 410);
                     EXPECT_FALSE(w.ExpWindow);
                     EXPECT_EQ(w.FoldersWidthValue, 90);
                     EXPECT_FALSE(w.FolderTree);
                     EXPECT_EQ(w.ViewStyleValue, 0);
                     EXPECT_EQ(w.Columns(TSettingsListView::RecContent), (std::vector<int>{40, 140, 80, 60, 90, 33}));
                     EXPECT_EQ(w.Columns(TSettingsListView::DrvContent), (std::vector<int>{44, 80, 120}));
                     EXPECT_EQ(w.Columns(TSettingsListView::ShellContent), (std::vector<int>{180, 70, 90, 55}));
                 }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainSettingsFileTest, ValuesAreWrittenBackInTheirOwnSpelling)
{
    WriteSettings("[Settings]\r\nSplit=2\r\nMaxOutputSize=$10\r\nRecentCount=300\r\n"
                  "[OtherSettings]\r\nRecentFile0=\r\nRecentFile1=/b.qdm\r\n");
    FakeSettingsHost window;
    LoadSettings(window);
    SaveSettings(window);
    EXPECT_EQ(SavedValue("Settings", "Split"), u"1"_s);
    EXPECT_EQ(SavedValue("Settings", "MaxOutputSize"), u"16"_s);
    EXPECT_EQ(SavedValue("Settings", "RecentCount"), u"44"_s);
    EXPECT_EQ(SavedValue("OtherSettings", "RecentFile0"), u"/b.qdm"_s);
    EXPECT_EQ(SavedValue("OtherSettings", "RecentFile1"), QString());

    // So the next start shows the file once.
    LoadSettings(window);
    EXPECT_EQ(ProgramOptions.RecentFiles, QStringList{u"/b.qdm"_s});
}

TEST_F(MainSettingsFileTest, RecentFileKeysOutOfReachOfRecentCountStayAsTheyAre)
{
    WriteSettings("[Settings]\r\nRecentCount=1\r\n[OtherSettings]\r\nRecentFile0=/a.qdm\r\nRecentFile1=/b.qdm\r\n");
    FakeSettingsHost window;
    LoadSettings(window);
    SaveSettings(window);
    EXPECT_EQ(SavedValue("OtherSettings", "RecentFile0"), u"/a.qdm"_s);
    EXPECT_EQ(SavedValue("OtherSettings", "RecentFile1"), u"/b.qdm"_s);
}

TEST_F(MainSettingsFileTest, MaxOutputSizeIsSavedInItsLow32Bits)
{
    ProgramOptions.MaxOutputSize = (std::int64_t{1} << 32) - 1;
    SaveSettings(FakeSettingsHost());
    EXPECT_EQ(SavedValue("Settings", "MaxOutputSize"), u"-1"_s);
}

TEST_F(MainSettingsFileTest, FailedSaveRaisesTheWriteErrorAndKeepsTheOldFile)
{
    FakeSettingsHost window;
    SaveSettings(window);
    const QByteArray old = SettingsBytes();

    ProgramOptions.DefFolder = QString(2000, u'd');
    try {
        const FileSizeLimit diskFull(256);
        SaveSettings(window);
        FAIL() << "no error";
    } catch (const EIniFileError& error) {
        EXPECT_EQ(error.Text, u"Unable to write to "_s + SettingsFilePath());
    }
    EXPECT_EQ(SettingsBytes(), old);
}
