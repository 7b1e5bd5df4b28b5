#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <filesystem>
#include <functional>

#include "core/links/ConnectType.h"
#include "core/settings/DocumentsFolder.h"
#include "core/settings/IniFile.h"
#include "core/settings/MainSettingsFile.h"
#include "core/settings/MainSettingsKeys.h"
#include "core/settings/ProgramOptions.h"
#include "localizer/LangConst.h"
#include "localizer/LanguageManager.h"
#include "tests/core/settings/IniTestFiles.h"
#include "tests/support/TempDir.h"

using namespace Qt::StringLiterals;

namespace {

// A main window as the settings file sees it: its layout before loading.
TMainWindowLayout WindowLayout()
{
    TMainWindowLayout layout;
    layout.Placement.showCmd = 1;
    layout.Placement.ptMinPosition = {-1, -1};
    layout.Placement.ptMaxPosition = {-1, -1};
    layout.Placement.rcNormalPosition = {100, 80, 900, 680};
    layout.ExplorerWidth = 250;
    layout.ExplorerShown = false;
    layout.FoldersWidth = 180;
    layout.FolderTreeShown = true;
    layout.ViewStyle = 3;
    layout.RecContentColumns = {40, 140, 80, 60, 90, 120};
    layout.DrvContentColumns = {200, 80, 120};
    layout.ShellContentColumns = {180, 70, 90, 110};
    return layout;
}

// Every test runs in a temporary home with fresh program state.
class MainSettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramOptions();
        ResetLangManager();
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

    // What the window does with LoadSettings and SaveSettings.
    void Load()
    {
        const TMainSettings loaded = LoadSettings({ProgramOptions, Layout});
        ProgramOptions = loaded.Options;
        Layout = loaded.Layout;
    }
    void Save() const { SaveSettings({ProgramOptions, Layout}); }

    // A language file beside the test, registered with the manager.
    void RegisterRussian(const QByteArray& constants = {})
    {
        const QString file = QString::fromStdString(m_home.File("Trellavox_ru.lng"));
        WriteBytes(file, "LANGID=1049\r\n[$CONSTANTS]\r\n" + constants);
        ASSERT_TRUE(LangManager().AddLangFile(file));
    }

    // The start-up sequence of the main window: the saved language becomes
    // the active one when it has a file.
    void StartUp()
    {
        CreateSettingsFileFromDefault();
        const std::uint16_t saved = LoadLangID(kDefaultLangID);
        if (LangManager().FindLangIndex(saved) > 0)
            LangManager().SetActiveLangID(saved);
        Layout.Placement = LoadWindowPlacement(Layout.Placement);
        Load();
    }

    TempDir m_home;
    QString m_documents;
    QString m_oldCurrent;
    TMainWindowLayout Layout = WindowLayout();
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

    Save();
    EXPECT_EQ(SettingsFilePath(), m_documents + u"/ZEL4.set"_s);
    EXPECT_TRUE(QFile::exists(m_documents + u"/ZEL4.set"_s));
    EXPECT_FALSE(QFile::exists(m_documents + u"/ZEL4_RU.set"_s));

    // The next start, still in English until the language is read, finds it.
    ResetLangManager();
    EXPECT_EQ(LoadLangID(1033), 1049);
}

TEST_F(MainSettingsFileTest, FirstStartWithoutAnyFileRunsOnDefaultsAndSavesTheGoldenFile)
{
    StartUp();

    EXPECT_FALSE(QFile::exists(SettingsFilePath()));
    EXPECT_EQ(LangManager().GetActiveLangID(), 1033);
    EXPECT_EQ(Layout.Placement, WindowLayout().Placement);
    const TProgramOptions& o = ProgramOptions;
    EXPECT_FALSE(o.Split || o.SyncTime || o.AutoDownload || o.NonDownOnly || o.AutoDelete || o.SkipSilence ||
                 o.ShowVoiceParts || o.HideEditor || o.DisableEditor || o.HideFlashDrive || o.DisableFlashDrive ||
                 o.SimpleQualitySetup || o.SimpleVasSetup || o.HideMaskEdit || o.HideSplitting ||
                 o.NonSavedEraseDisable || o.HideExpert || o.HideAdvExpert || o.AonOnly || o.DialectFormat);
    EXPECT_EQ(o.MaxOutputSize, 0);
    EXPECT_EQ(o.ConnectType, 0);
    EXPECT_EQ(ConnectMenuItemFor(o.ConnectType), TConnectMenuItem::miUSB11);
    EXPECT_EQ(o.RecentCount, 3);
    EXPECT_TRUE(o.RecentFiles.isEmpty());
    EXPECT_TRUE(Layout.ExplorerShown); // a missing ExpWindow means "shown"

    Save();
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

    Load();
    const TProgramOptions& o = ProgramOptions;
    EXPECT_EQ(o.ConnectType, 5);
    EXPECT_TRUE(o.Split);
    EXPECT_EQ(o.MaxOutputSize, -1);
    EXPECT_TRUE(o.SyncTime);
    EXPECT_EQ(o.DefFolder, u"/home/user/\u0417\u0430\u043F\u0438\u0441\u0438"_s);
    EXPECT_EQ(o.ImageFileName, u"/data/images/my image.qdm"_s);
    EXPECT_EQ(o.RecentFiles, QStringList{u"/data/a.qdm"_s});
    EXPECT_EQ(Layout.RecContentColumns[2], 100);

    Save();
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
    Load();
    EXPECT_EQ(ProgramOptions.DefFolder, before.DefFolder);
    EXPECT_EQ(ProgramOptions.RecentFiles, before.RecentFiles);
    EXPECT_EQ(ProgramOptions.ConnectType, before.ConnectType);
}

TEST_F(MainSettingsFileTest, Cp1251FileReadsRightAndIsSavedAsUtf8)
{
    WriteSettings(ReadBytes(TestDataFile("foreign-cp1251.set")));
    Load();
    const QString folder =
        u"/home/\u043E\u043F\u0435\u0440\u0430\u0442\u043E\u0440/\u0417\u0432\u043E\u043D\u043A\u0438"_s;
    EXPECT_EQ(ProgramOptions.DefFolder, folder);
    EXPECT_EQ(ProgramOptions.ConnectType, 1);

    Save();
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
    Save();
    const QByteArray saved = SettingsBytes();
    EXPECT_TRUE(saved.contains("\r\nDefFolder=/home/\xD0\x97\xD0\xB2\xD0\xBE\xD0\xBD\xD0\xBA\xD0\xB8\r\n"));
    EXPECT_TRUE(saved.contains("\r\nRecentFile0=/media/\xC3\xA9t\xC3\xA9.qdm\r\n"));
    EXPECT_FALSE(saved.contains('?'));
}

TEST_F(MainSettingsFileTest, PlacementRoundTripIsByteIdentical)
{
    Layout.Placement = OddPlacement();
    Save();
    const QByteArray firstSave = SettingsBytes();
    EXPECT_EQ(SavedValue("OtherSettings", "Placement"), u"2C0000000200000003000000"
                                                        u"0083FFFF0083FFFFF8FFFFFFF8FFFFFF"
                                                        u"50FBFFFF230000006A09000061050000"_s);

    Layout = WindowLayout(); // a window that starts elsewhere
    Layout.Placement = LoadWindowPlacement(Layout.Placement);
    EXPECT_EQ(Layout.Placement, OddPlacement());
    Save();
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
        WINDOWPLACEMENT present = WindowLayout().Placement;
        present.length = 0;
        WINDOWPLACEMENT expected = present;
        expected.length = 44;
        EXPECT_EQ(LoadWindowPlacement(present), expected) << value.size() << " digits";
    }
}

TEST_F(MainSettingsFileTest, LangIdIsReadInSixteenBitsWithTheLiveValueAsDefault)
{
    EXPECT_EQ(LoadLangID(1058), 1058); // no file

    const std::pair<const char*, std::uint16_t> cases[] = {
        {"1049", 1049}, {"70000", 4464}, {"yes", 1058}, {"$419", 1049}, {"", 1058}};
    for (const auto& [text, expected] : cases) {
        WriteSettings(QByteArray("[Settings]\r\nLangID=") + text + "\r\n");
        EXPECT_EQ(LoadLangID(1058), expected) << text;
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
    Layout.ExplorerWidth = 333;
    Layout.FolderTreeShown = false;
    Layout.ViewStyle = 1;

    WriteSettings("[Settings]\r\nConnectType=2\r\n");
    Load();

    EXPECT_EQ(o.ConnectType, 2);
    EXPECT_EQ(o.DefFolder, before.DefFolder);
    EXPECT_EQ(o.FileNameMask, before.FileNameMask);
    EXPECT_TRUE(o.Split && o.AutoDelete && o.HideExpert && o.DialectFormat);
    EXPECT_FALSE(o.SyncTime || o.AonOnly);
    EXPECT_EQ(o.MaxOutputSize, 650);
    EXPECT_EQ(o.ImageFileName, before.ImageFileName);
    // These two have defaults of their own.
    EXPECT_EQ(o.RecentCount, 3);
    EXPECT_TRUE(o.RecentFiles.isEmpty());
    EXPECT_EQ(Layout.ExplorerWidth, 333);
    EXPECT_TRUE(Layout.ExplorerShown);
    EXPECT_FALSE(Layout.FolderTreeShown);
    EXPECT_EQ(Layout.ViewStyle, 1);
    EXPECT_EQ(Layout.ShellContentColumns, WindowLayout().ShellContentColumns);
}

namespace {

// One key (or a few) in the file, the live state before loading, and what
// loading must make of it.
struct EdgeCase {
    const char* name;
    const char* file;
    std::function<void(TMainWindowLayout&)> before;
    std::function<void(const TMainWindowLayout&)> check;
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

void Nothing(TMainWindowLayout&) {}

} // namespace

TEST_P(SettingsEdgeCaseTest, LoadsAsExpected)
{
    GetParam().before(Layout);
    WriteSettings(GetParam().file);
    Load();
    GetParam().check(Layout);
}

INSTANTIATE_TEST_SUITE_P(
    Values, SettingsEdgeCaseTest,
    ::testing::Values(
        EdgeCase{"YesIsNotABooleanAndKeepsTrue", "[Settings]\r\nSplit=yes\r\n",
                 [](TMainWindowLayout&) { ProgramOptions.Split = true; },
                 [](const TMainWindowLayout&) { EXPECT_TRUE(O().Split); }},
        EdgeCase{"YesIsNotABooleanAndKeepsFalse", "[Settings]\r\nSplit=yes\r\n", Nothing,
                 [](const TMainWindowLayout&) { EXPECT_FALSE(O().Split); }},
        EdgeCase{"TwoIsTrue", "[Settings]\r\nAonOnly=2\r\n", Nothing,
                 [](const TMainWindowLayout&) { EXPECT_TRUE(O().AonOnly); }},
        EdgeCase{"HexConnectType", "[Settings]\r\nConnectType=$4\r\n", Nothing,
                 [](const TMainWindowLayout&) {
                     EXPECT_EQ(O().ConnectType, 4);
                     EXPECT_EQ(ConnectMenuItemFor(O().ConnectType), TConnectMenuItem::miUSB20_SPI);
                 }},
        EdgeCase{"ConnectTypeFiveChecksTheDeviceLibraryEntry", "[Settings]\r\nConnectType=0x5\r\n", Nothing,
                 [](const TMainWindowLayout&) {
                     EXPECT_EQ(ConnectMenuItemFor(O().ConnectType), TConnectMenuItem::miQ71_ADPT);
                 }},
        EdgeCase{"MaxOutputSizeBeyondInt32KeepsTheLiveValue", "[Settings]\r\nMaxOutputSize=2147483648\r\n",
                 [](TMainWindowLayout&) { ProgramOptions.MaxOutputSize = 700; },
                 [](const TMainWindowLayout&) { EXPECT_EQ(O().MaxOutputSize, 700); }},
        EdgeCase{"MaxOutputSizeAllOnesHexKeepsTheLiveValue", "[Settings]\r\nMaxOutputSize=$FFFFFFFF\r\n",
                 [](TMainWindowLayout&) { ProgramOptions.MaxOutputSize = 700; },
                 [](const TMainWindowLayout&) { EXPECT_EQ(O().MaxOutputSize, 700); }},
        EdgeCase{"MaxOutputSizeMinusOneIsSignExtended", "[Settings]\r\nMaxOutputSize=-1\r\n", Nothing,
                 [](const TMainWindowLayout&) { EXPECT_EQ(O().MaxOutputSize, -1); }},
        EdgeCase{"MaxOutputSizeLargerThanADownloadUsesIsKeptAsRead", "[Settings]\r\nMaxOutputSize=100000\r\n", Nothing,
                 [](const TMainWindowLayout&) { EXPECT_EQ(O().MaxOutputSize, 100000); }},
        EdgeCase{"MissingMaxOutputSizeKeepsTheLow32Bits", "[Settings]\r\n",
                 [](TMainWindowLayout&) { ProgramOptions.MaxOutputSize = (std::int64_t{1} << 32) + 5; },
                 [](const TMainWindowLayout&) { EXPECT_EQ(O().MaxOutputSize, 5); }},
        EdgeCase{"RecentCount300KeepsEightBits", "[Settings]\r\nRecentCount=300\r\n", Nothing,
                 [](const TMainWindowLayout&) { EXPECT_EQ(O().RecentCount, 44); }},
        EdgeCase{"RecentCountZeroReadsNoRecentFiles",
                 "[Settings]\r\nRecentCount=0\r\n[OtherSettings]\r\nRecentFile0=/a.qdm\r\n", Nothing,
                 [](const TMainWindowLayout&) {
                     EXPECT_EQ(O().RecentCount, 0);
                     EXPECT_TRUE(O().RecentFiles.isEmpty());
                 }},
        EdgeCase{"RecentFilesStopAtRecentCountAndSkipGaps",
                 "[Settings]\r\nRecentCount=3\r\n[OtherSettings]\r\nRecentFile0=\r\nRecentFile1=/b.qdm\r\n"
                 "RecentFile2=/c.qdm\r\nRecentFile3=/d.qdm\r\n",
                 Nothing,
                 [](const TMainWindowLayout&) {
                     EXPECT_EQ(O().RecentFiles, (QStringList{u"/b.qdm"_s, u"/c.qdm"_s}));
                 }},
        EdgeCase{"ViewStyleOutsideZeroToThreeKeepsTheListsStyle", "[Settings]\r\nViewStyle=7\r\n",
                 [](TMainWindowLayout& w) { w.ViewStyle = 2; },
                 [](const TMainWindowLayout& w) { EXPECT_EQ(w.ViewStyle, 2); }},
        EdgeCase{"ControlsAndColumns",
                 "[Settings]\r\nExpWidth=410\r\nExpWindow=0\r\nFoldersWidth=90\r\nFolderTree=0\r\nViewStyle=0\r\n"
                 "[OtherSettings]\r\nlvRecContentColumn5Width=33\r\nlvDrvContentColumn0Width=44\r\n"
                 "lvShellContentColumn3Width=55\r\nlvShellContentColumn4Width=66\r\n",
                 Nothing,
                 [](const TMainWindowLayout& w) {
                     EXPECT_EQ(w.ExplorerWidth, 410);
                     EXPECT_FALSE(w.ExplorerShown);
                     EXPECT_EQ(w.FoldersWidth, 90);
                     EXPECT_FALSE(w.FolderTreeShown);
                     EXPECT_EQ(w.ViewStyle, 0);
                     EXPECT_EQ(w.RecContentColumns, (std::vector<int>{40, 140, 80, 60, 90, 33}));
                     EXPECT_EQ(w.DrvContentColumns, (std::vector<int>{44, 80, 120}));
                     EXPECT_EQ(w.ShellContentColumns, (std::vector<int>{180, 70, 90, 55}));
                 }}),
    [](const auto& info) { return std::string(info.param.name); });

namespace {

struct DamagedConnectType {
    const char* name;
    const char* value;
};

class DamagedConnectTypeTest : public MainSettingsFileTest,
                               public ::testing::WithParamInterface<DamagedConnectType> {};

} // namespace

// Whatever the live value, a ConnectType that names no connection type reads
// as the default type, checks its menu entry and is saved as that, so no
// later start meets the damaged value again.
TEST_P(DamagedConnectTypeTest, ReadsAsTheDefaultTypeAndIsSavedAsThat)
{
    for (const std::int32_t live : {0, 5}) {
        SCOPED_TRACE(live);
        ProgramOptions.ConnectType = live;
        WriteSettings(QByteArray("[Settings]\r\nConnectType=") + GetParam().value + "\r\n");
        Load();
        EXPECT_EQ(ProgramOptions.ConnectType, kDefaultConnectType);
        EXPECT_EQ(ConnectMenuItemFor(ProgramOptions.ConnectType), TConnectMenuItem::miDemo);
        Save();
        EXPECT_EQ(SavedValue("Settings", "ConnectType"), QString::number(kDefaultConnectType));
    }
}

INSTANTIATE_TEST_SUITE_P(Values, DamagedConnectTypeTest,
                         ::testing::Values(DamagedConnectType{"Minus7", "-7"}, DamagedConnectType{"Six", "6"},
                                           DamagedConnectType{"BeyondInt32", "99999999999"},
                                           DamagedConnectType{"Empty", ""}, DamagedConnectType{"Text", "usb"},
                                           DamagedConnectType{"HexBeyondTheTable", "$10"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainSettingsFileTest, AMissingConnectTypeKeepsTheLiveType)
{
    ProgramOptions.ConnectType = 5;
    WriteSettings("[Settings]\r\nSyncTime=1\r\n");
    Load();
    EXPECT_EQ(ProgramOptions.ConnectType, 5);
}

TEST_F(MainSettingsFileTest, ValuesAreWrittenBackInTheirOwnSpelling)
{
    WriteSettings("[Settings]\r\nSplit=2\r\nMaxOutputSize=$10\r\nRecentCount=300\r\n"
                  "[OtherSettings]\r\nRecentFile0=\r\nRecentFile1=/b.qdm\r\n");
    Load();
    Save();
    EXPECT_EQ(SavedValue("Settings", "Split"), u"1"_s);
    EXPECT_EQ(SavedValue("Settings", "MaxOutputSize"), u"16"_s);
    EXPECT_EQ(SavedValue("Settings", "RecentCount"), u"44"_s);
    EXPECT_EQ(SavedValue("OtherSettings", "RecentFile0"), u"/b.qdm"_s);
    EXPECT_EQ(SavedValue("OtherSettings", "RecentFile1"), QString());

    // So the next start shows the file once.
    Load();
    EXPECT_EQ(ProgramOptions.RecentFiles, QStringList{u"/b.qdm"_s});
}

TEST_F(MainSettingsFileTest, RecentFileKeysOutOfReachOfRecentCountStayAsTheyAre)
{
    WriteSettings("[Settings]\r\nRecentCount=1\r\n[OtherSettings]\r\nRecentFile0=/a.qdm\r\nRecentFile1=/b.qdm\r\n");
    Load();
    Save();
    EXPECT_EQ(SavedValue("OtherSettings", "RecentFile0"), u"/a.qdm"_s);
    EXPECT_EQ(SavedValue("OtherSettings", "RecentFile1"), u"/b.qdm"_s);
}

TEST_F(MainSettingsFileTest, MaxOutputSizeIsSavedInItsLow32Bits)
{
    ProgramOptions.MaxOutputSize = (std::int64_t{1} << 32) - 1;
    Save();
    EXPECT_EQ(SavedValue("Settings", "MaxOutputSize"), u"-1"_s);
}

TEST_F(MainSettingsFileTest, FailedSaveRaisesTheWriteErrorAndKeepsTheOldFile)
{
    Save();
    const QByteArray old = SettingsBytes();

    ProgramOptions.DefFolder = QString(2000, u'd');
    try {
        const FileSizeLimit diskFull(256);
        Save();
        FAIL() << "no error";
    } catch (const EIniFileError& error) {
        EXPECT_EQ(error.Text, u"Unable to write to "_s + SettingsFilePath());
    }
    EXPECT_EQ(SettingsBytes(), old);
}

TEST_F(MainSettingsFileTest, FullFileRoundTripKeepsEveryKeyByteForByte)
{
    const QByteArray full = ReadBytes(TestDataFile("full.set"));
    WriteSettings(full);
    // The fixture holds every key of the table, none at its default.
    const TIniFile ini(SettingsFilePath());
    for (const TSettingKey& row : MainSettingsKeys()) {
        QString key = QLatin1String(row.Key);
        if (row.Kind == TSettingKind::TextList)
            key += u'0';
        else if (row.Kind == TSettingKind::ColumnWidths)
            key += u"Column0Width"_s;
        EXPECT_TRUE(ini.Value(SectionName(row.Section), key)) << row.Key;
    }
    RegisterRussian();

    StartUp();
    const TProgramOptions& o = ProgramOptions;
    EXPECT_EQ(LangManager().GetActiveLangID(), 1049);
    EXPECT_EQ(Layout.Placement, OddPlacement());
    EXPECT_EQ(o.ConnectType, 4);
    EXPECT_EQ(o.MaxOutputSize, -650);
    EXPECT_TRUE(o.DialectFormat && o.SyncTime && o.NonSavedEraseDisable);
    EXPECT_EQ(o.DefFolder, u"/home/user/Calls"_s);
    EXPECT_EQ(o.RecentFiles.size(), 4);
    EXPECT_FALSE(Layout.ExplorerShown || Layout.FolderTreeShown);
    EXPECT_EQ(Layout.ViewStyle, 1);
    EXPECT_EQ(Layout.DrvContentColumns, (std::vector<int>{20, 21, 22}));

    Save();
    EXPECT_EQ(SettingsBytes(), full);
}

TEST_F(MainSettingsFileTest, TheLanguageSavedIsTheActiveOneOfTheLanguageManager)
{
    RegisterRussian();
    LangManager().SetActiveLangID(1049);
    Save();
    EXPECT_EQ(SavedValue("Settings", "LangID"), u"1049"_s);

    LangManager().SetActiveLangID(1033);
    Save();
    EXPECT_EQ(SavedValue("Settings", "LangID"), u"1033"_s);
}

TEST_F(MainSettingsFileTest, UnreadableFileIsReportedRunsOnDefaultsAndIsLeftAsItWas)
{
    const QByteArray readable = "[Settings]\r\nConnectType=3\r\nSyncTime=1\r\n";
    const auto directory = [this] { ASSERT_TRUE(QDir().mkpath(SettingsFilePath() + u"/inside"_s)); };
    const auto oversize = [&] { WriteSettings(readable + QByteArray(TIniFile::kMaxFileSize, ';')); };
    const std::pair<const char*, std::function<void()>> cases[] = {{"a directory", directory},
                                                                   {"over the size limit", oversize}};
    for (const auto& [name, make] : cases) {
        SCOPED_TRACE(name);
        ResetProgramOptions();
        SetDocumentsFolderOverride(m_documents);
        Layout = WindowLayout();
        std::filesystem::remove_all(SettingsFilePath().toStdString());
        make();
        const auto type = std::filesystem::status(SettingsFilePath().toStdString()).type();
        const QByteArray before = SettingsBytes();

        try {
            CheckSettingsFileReadable();
            ADD_FAILURE() << "not reported";
        } catch (const EIniFileError& error) {
            EXPECT_TRUE(error.Text.startsWith(u"Unable to read "_s + SettingsFilePath() + u": "_s))
                << error.Text.toStdString();
        }
        StartUp();
        EXPECT_EQ(ProgramOptions.ConnectType, 0);
        EXPECT_FALSE(ProgramOptions.SyncTime);
        EXPECT_EQ(ProgramOptions.RecentCount, 3);

        // Closing the program.
        EXPECT_THROW(Save(), EIniFileError);
        EXPECT_EQ(std::filesystem::status(SettingsFilePath().toStdString()).type(), type);
        EXPECT_EQ(SettingsBytes(), before);
    }
}
