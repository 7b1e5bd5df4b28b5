#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QStringEncoder>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>

#include "core/settings/IniFile.h"
#include "tests/core/settings/IniTestFiles.h"
#include "tests/support/TempDir.h"

using namespace Qt::StringLiterals;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    QString Path() const { return QString::fromStdString(m_dir.File("test.ini")); }

    // A file with the given lines (joined with CR LF), opened as an INI file.
    TIniFile Open(const QByteArray& text)
    {
        WriteBytes(Path(), text);
        return TIniFile(Path());
    }
    QByteArray Saved(const TIniFile& ini) const
    {
        ini.Save();
        return ReadBytes(Path());
    }

    TempDir m_dir;
};

struct LookupCase {
    const char* name;
    const char* file;
    const char* section;
    const char* key;
    std::optional<const char*> expected;
};

void PrintTo(const LookupCase& c, std::ostream* os)
{
    *os << c.name;
}

class IniLookupTest : public IniFileTest, public ::testing::WithParamInterface<LookupCase> {};

} // namespace

TEST_P(IniLookupTest, FindsTheValueAsThePrivateProfileFunctionsDo)
{
    const LookupCase& c = GetParam();
    const TIniFile ini = Open(c.file);
    const auto value = ini.Value(QString::fromUtf8(c.section), QString::fromUtf8(c.key));
    if (c.expected)
        EXPECT_EQ(value, QString::fromUtf8(*c.expected));
    else
        EXPECT_EQ(value, std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniLookupTest,
    ::testing::Values(
        LookupCase{"LetterCaseOfNames", "[settings]\r\nconnecttype=5\r\n", "Settings", "ConnectType", "5"},
        LookupCase{"LetterCaseBeyondAscii", "[\xC3\x84rger]\r\nK=1\r\n", "\xC3\xA4RGER", "K", "1"},
        LookupCase{"LetterCaseBeyondTheFirstPlane", "[\xF0\x90\x90\x80]\r\nK=1\r\n", "\xF0\x90\x90\xA8", "K", "1"},
        LookupCase{"BlanksAroundNameAndValue", "[ S ]\r\n\t Key \t=  some value \t\r\n", "S", "Key", "some value"},
        LookupCase{"FirstKeyWins", "[S]\r\nK=1\r\nk=2\r\n", "S", "K", "1"},
        LookupCase{"FirstSectionWins", "[S]\r\nA=1\r\n[s]\r\nA=2\r\nB=3\r\n", "S", "A", "1"},
        LookupCase{"LaterDuplicateSectionIsNotSearched", "[S]\r\nA=1\r\n[s]\r\nB=3\r\n", "S", "B", std::nullopt},
        LookupCase{"DoubleQuotesRemoved", "[S]\r\nK=\" a b \"\r\n", "S", "K", " a b "},
        LookupCase{"SingleQuotesRemoved", "[S]\r\nK='x'\r\n", "S", "K", "x"},
        LookupCase{"OnlyOnePairOfQuotes", "[S]\r\nK=\"\"x\"\"\r\n", "S", "K", "\"x\""},
        LookupCase{"UnmatchedQuotesStay", "[S]\r\nK=\"x'\r\n", "S", "K", "\"x'"},
        LookupCase{"LoneQuoteStays", "[S]\r\nK=\"\r\n", "S", "K", "\""},
        LookupCase{"EmptyValueIsNotMissing", "[S]\r\nK=\r\n", "S", "K", ""},
        LookupCase{"ValueKeepsFurtherEquals", "[S]\r\nK=a=b\r\n", "S", "K", "a=b"},
        LookupCase{"CommentIsNoKey", "[S]\r\n;K=1\r\n  ; K=2\r\n", "S", "K", std::nullopt},
        LookupCase{"LineWithoutEqualsIsNoKey", "[S]\r\nK\r\n", "S", "K", std::nullopt},
        LookupCase{"KeyBeforeAnySection", "K=1\r\n[S]\r\n", "S", "K", std::nullopt},
        LookupCase{"KeyOfAnotherSection", "[A]\r\nK=1\r\n[S]\r\n", "S", "K", std::nullopt},
        LookupCase{"CommentAfterSectionHeader", "[S] ; main\r\nK=1\r\n", "S", "K", "1"},
        LookupCase{"LfLineEnds", "[S]\nA=1\nK=2\n", "S", "K", "2"},
        LookupCase{"NoLineEndAtTheEnd", "[S]\r\nK=2", "S", "K", "2"},
        LookupCase{"Utf8WithoutMark", "[S]\r\nK=\xD0\x97\xD0\xB2\r\n", "S", "K", "\xD0\x97\xD0\xB2"},
        LookupCase{"Utf8WithMark", "\xEF\xBB\xBF[S]\r\nK=\xD0\x97\r\n", "S", "K", "\xD0\x97"},
        LookupCase{"LegacyCp1251", "[S]\r\nK=\xC7\xE2\xEE\xED\xEE\xEA\r\n", "S", "K",
                   "\xD0\x97\xD0\xB2\xD0\xBE\xD0\xBD\xD0\xBE\xD0\xBA"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(IniFileTest, MissingFileReadsEmptyAndGivesDefaults)
{
    const TIniFile ini(Path());
    EXPECT_TRUE(ini.Lines().isEmpty());
    EXPECT_EQ(ini.ReadString(u"S"_s, u"K"_s, u"d"_s), u"d"_s);
    EXPECT_EQ(ini.ReadInteger(u"S"_s, u"K"_s, -4), -4);
    EXPECT_TRUE(ini.ReadBool(u"S"_s, u"K"_s, true));
}

TEST_F(IniFileTest, TypedReadsFallBackToTheDefaultOnBadText)
{
    const TIniFile ini = Open("[S]\r\nYes=yes\r\nTwo=2\r\nZero=0\r\nEmpty=\r\nBig=$FFFFFFFF\r\nHex=0x20\r\n");
    EXPECT_TRUE(ini.ReadBool(u"S"_s, u"Yes"_s, true));
    EXPECT_FALSE(ini.ReadBool(u"S"_s, u"Yes"_s, false));
    EXPECT_TRUE(ini.ReadBool(u"S"_s, u"Two"_s, false));
    EXPECT_FALSE(ini.ReadBool(u"S"_s, u"Zero"_s, true));
    EXPECT_EQ(ini.ReadInteger(u"S"_s, u"Empty"_s, 7), 7);
    EXPECT_EQ(ini.ReadInteger(u"S"_s, u"Big"_s, 7), 7);
    EXPECT_EQ(ini.ReadInteger(u"S"_s, u"Hex"_s, 7), 32);
    EXPECT_EQ(ini.ReadString(u"S"_s, u"Empty"_s, u"d"_s), QString());
}

TEST_F(IniFileTest, FloatsFollowTheUserLocale)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    TIniFile ini(Path());
    ini.WriteFloat(u"S"_s, u"T1"_s, 3.25);
    ini.WriteString(u"S"_s, u"Dot"_s, u"3.3"_s);
    EXPECT_EQ(ini.Value(u"S"_s, u"T1"_s), u"3,25"_s);
    EXPECT_EQ(ini.ReadFloat(u"S"_s, u"T1"_s, 0), 3.25);
    EXPECT_EQ(ini.ReadFloat(u"S"_s, u"Dot"_s, 1.5), 1.5);
    QLocale::setDefault(saved);
}

TEST_F(IniFileTest, WrittenKeyReplacesItsLineInPlace)
{
    TIniFile ini = Open("; head\r\n[settings]\r\n  connecttype = 5 \r\nOther=1\r\n");
    ini.WriteInteger(u"Settings"_s, u"ConnectType"_s, 3);
    EXPECT_EQ(Saved(ini), "; head\r\n[settings]\r\nconnecttype=3\r\nOther=1\r\n");
}

TEST_F(IniFileTest, NewKeyGoesAfterTheLastEntryOfItsSection)
{
    TIniFile ini = Open("[A]\r\nX=1\r\nno equals here\r\n; note\r\n\r\n[B]\r\nY=2\r\n");
    ini.WriteString(u"a"_s, u"New"_s, u"v"_s);
    ini.WriteString(u"B"_s, u"Z"_s, u"3"_s);
    EXPECT_EQ(Saved(ini), "[A]\r\nX=1\r\nNew=v\r\nno equals here\r\n; note\r\n\r\n[B]\r\nY=2\r\nZ=3\r\n");
}

TEST_F(IniFileTest, NewKeyOfAnEmptySectionFollowsItsHeader)
{
    TIniFile ini = Open("[A]\r\n; only a comment\r\n[B]\r\n");
    ini.WriteString(u"A"_s, u"K"_s, u"1"_s);
    EXPECT_EQ(Saved(ini), "[A]\r\nK=1\r\n; only a comment\r\n[B]\r\n");
}

TEST_F(IniFileTest, NewSectionsGoToTheEndInOrderOfWriting)
{
    TIniFile ini = Open("top=line\n[Keep]\nA=1\n");
    ini.WriteString(u"Second"_s, u"K"_s, u"2"_s);
    ini.WriteString(u"Third"_s, u"K"_s, u"3"_s);
    ini.WriteString(u"Second"_s, u"L"_s, u"4"_s);
    EXPECT_EQ(Saved(ini), "top=line\r\n[Keep]\r\nA=1\r\n[Second]\r\nK=2\r\nL=4\r\n[Third]\r\nK=3\r\n");
    EXPECT_EQ(ini.SectionNames(), (QStringList{u"Keep"_s, u"Second"_s, u"Third"_s}));
}

TEST_F(IniFileTest, WritesGoToTheFirstOfTwoSectionsOfOneName)
{
    TIniFile ini = Open("[S]\r\nA=1\r\n[s]\r\nB=2\r\n");
    ini.WriteString(u"S"_s, u"B"_s, u"9"_s);
    EXPECT_EQ(Saved(ini), "[S]\r\nA=1\r\nB=9\r\n[s]\r\nB=2\r\n");
    EXPECT_EQ(ini.SectionNames(), QStringList{u"S"_s});
}

TEST_F(IniFileTest, Utf16FileStaysUtf16WithItsMark)
{
    const QString text = u"[S]\r\nK=\u0417\u0432\r\n; \u043A\r\n"_s;
    QByteArray bytes("\xFF\xFE");
    bytes.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    TIniFile ini = Open(bytes);
    EXPECT_EQ(ini.Encoding(), TIniEncoding::Utf16LeBom);
    EXPECT_EQ(ini.Value(u"S"_s, u"K"_s), u"\u0417\u0432"_s);
    EXPECT_EQ(Saved(ini), bytes);

    ini.WriteString(u"S"_s, u"New"_s, u"\u0416"_s);
    const QString changed = u"[S]\r\nK=\u0417\u0432\r\nNew=\u0416\r\n; \u043A\r\n"_s;
    QByteArray expected("\xFF\xFE");
    expected.append(reinterpret_cast<const char*>(changed.utf16()), changed.size() * 2);
    EXPECT_EQ(Saved(ini), expected);
}

TEST_F(IniFileTest, Utf8MarkIsKept)
{
    TIniFile ini = Open("\xEF\xBB\xBF[S]\r\nK=1\r\n");
    ini.WriteString(u"S"_s, u"K"_s, u"\u0416"_s);
    EXPECT_EQ(Saved(ini), "\xEF\xBB\xBF[S]\r\nK=\xD0\x96\r\n");
}

TEST_F(IniFileTest, LegacyFileIsWrittenBackAsUtf8)
{
    TIniFile ini = Open("; \xEA\xEE\xEC\xEC\xE5\xED\xF2\xE0\xF0\xE8\xE9\r\n[S]\r\nK=\xC7\xE2\r\n");
    EXPECT_EQ(ini.Encoding(), TIniEncoding::Legacy8Bit);
    ini.WriteString(u"S"_s, u"New"_s, u"\u0416"_s);
    EXPECT_EQ(Saved(ini),
              "; \xD0\xBA\xD0\xBE\xD0\xBC\xD0\xBC\xD0\xB5\xD0\xBD\xD1\x82\xD0\xB0\xD1\x80\xD0\xB8\xD0\xB9\r\n"
              "[S]\r\nK=\xD0\x97\xD0\xB2\r\nNew=\xD0\x96\r\n");
}

TEST_F(IniFileTest, NewFileIsUtf8WithCrLf)
{
    TIniFile ini(Path());
    ini.WriteString(u"S"_s, u"Path"_s, u"/home/\u0417\u0432\u043E\u043D\u043A\u0438"_s);
    ini.WriteBool(u"S"_s, u"Flag"_s, true);
    ini.WriteInteger(u"S"_s, u"Big"_s, -2147483648LL);
    ini.WriteBinary(u"S"_s, u"Bin"_s, QByteArray("\x01\xab", 2));
    EXPECT_EQ(Saved(ini), "[S]\r\nPath=/home/\xD0\x97\xD0\xB2\xD0\xBE\xD0\xBD\xD0\xBA\xD0\xB8\r\nFlag=1\r\n"
                          "Big=-2147483648\r\nBin=01AB\r\n");
}

TEST_F(IniFileTest, SaveIntoAMissingFolderRaisesTheWriteError)
{
    const QString path = QString::fromStdString(m_dir.File("no-such-folder/test.ini"));
    TIniFile ini(path);
    ini.WriteString(u"S"_s, u"K"_s, u"1"_s);
    try {
        ini.Save();
        FAIL() << "no error";
    } catch (const EIniFileError& error) {
        EXPECT_EQ(error.Text, u"Unable to write to "_s + path);
        EXPECT_EQ(std::string(error.what()), (u"Unable to write to "_s + path).toStdString());
    }
}

TEST_F(IniFileTest, FailedSaveKeepsTheOldFileWhole)
{
    const QByteArray old = "[S]\r\nK=old\r\n";
    TIniFile ini = Open(old);
    ini.WriteString(u"S"_s, u"K"_s, QString(4096, u'x'));
    {
        const FileSizeLimit diskFull(64);
        EXPECT_THROW(ini.Save(), EIniFileError);
    }
    EXPECT_EQ(ReadBytes(Path()), old);
    EXPECT_EQ(QDir(QString::fromStdString(m_dir.Path().string())).entryList(QDir::Files),
              QStringList{u"test.ini"_s}); // no temporary file left behind
}

TEST_F(IniFileTest, AnEmptyFileForAPathKeepsNothingOfTheOldOne)
{
    QStringEncoder utf16(QStringConverter::Utf16LE);
    WriteBytes(Path(), QByteArray("\xFF\xFE") + QByteArray(utf16.encode(u"[S]\r\nK=1\r\n"_s)));
    TIniFile ini = TIniFile::Empty(Path());
    EXPECT_TRUE(ini.Lines().isEmpty());
    EXPECT_EQ(ini.ReadInteger(u"S"_s, u"K"_s, 7), 7);
    ini.WriteString(u"T"_s, u"L"_s, u"2"_s);
    EXPECT_EQ(Saved(ini), "[T]\r\nL=2\r\n");  // UTF-8, as a new file
}

TEST_F(IniFileTest, SaveKeepsThePermissionsOfTheFile)
{
    TIniFile ini = Open("[S]\r\nK=1\r\n");
    namespace fs = std::filesystem;
    fs::permissions(Path().toStdString(), fs::perms::owner_read | fs::perms::owner_write);
    ini.WriteString(u"S"_s, u"K"_s, u"2"_s);
    ini.Save();
    EXPECT_EQ(fs::status(Path().toStdString()).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

// Ways a file can exist and still be unreadable, even for root.
TEST_F(IniFileTest, UnreadableFileReadsEmptyIsReportedAndIsNeverReplaced)
{
    const auto directory = [this] { ASSERT_TRUE(QDir().mkpath(Path() + u"/inside"_s)); };
    const auto oversize = [this] {
        QByteArray bytes = "[S]\r\nK=kept\r\n";
        bytes.append(TIniFile::kMaxFileSize, ';');
        WriteBytes(Path(), bytes);
    };
    const std::pair<const char*, std::function<void()>> cases[] = {{"a directory", directory},
                                                                   {"over the size limit", oversize}};
    for (const auto& [name, make] : cases) {
        SCOPED_TRACE(name);
        std::filesystem::remove_all(Path().toStdString());
        make();
        const auto before = std::filesystem::status(Path().toStdString()).type();
        const auto bytes = ReadBytes(Path());

        TIniFile ini(Path());
        ASSERT_TRUE(ini.ReadError().has_value());
        EXPECT_TRUE(ini.ReadError()->startsWith(u"Unable to read "_s + Path() + u": "_s))
            << ini.ReadError()->toStdString();
        EXPECT_TRUE(ini.Lines().isEmpty());
        EXPECT_EQ(ini.ReadString(u"S"_s, u"K"_s, u"d"_s), u"d"_s);

        ini.WriteString(u"S"_s, u"K"_s, u"new"_s);
        try {
            ini.Save();
            ADD_FAILURE() << "saved over an unreadable file";
        } catch (const EIniFileError& error) {
            EXPECT_EQ(error.Text, u"Unable to write to "_s + Path() + u"\r\n"_s + *ini.ReadError());
        }
        EXPECT_EQ(std::filesystem::status(Path().toStdString()).type(), before);
        EXPECT_EQ(ReadBytes(Path()), bytes);
        EXPECT_EQ(QDir(QString::fromStdString(m_dir.Path().string()))
                      .entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
                  QStringList{u"test.ini"_s});  // no temporary file left behind
    }
}

TEST_F(IniFileTest, MissingOrReadableFileHasNoReadError)
{
    EXPECT_FALSE(TIniFile(Path()).ReadError());
    EXPECT_FALSE(Open("").ReadError());
    QByteArray largest(TIniFile::kMaxFileSize, ';');
    EXPECT_FALSE(Open(largest).ReadError());
}

// Random bytes in every encoding the reader knows: values read as text or
// as nothing, and the file saves without losing its lines.
TEST_F(IniFileTest, SectionsAreNamedOnceInFileOrderAndEachEndsAtTheNextHeader)
{
    TIniFile ini = Open("[A]\r\nK=1\r\n[b]\r\n[a]\r\nK=2\r\n[c]\r\n[B]\r\nL=3\r\n");
    EXPECT_EQ(ini.SectionNames(), (QStringList{u"A"_s, u"b"_s, u"c"_s}));
    EXPECT_EQ(ini.Value(u"b"_s, u"K"_s), std::nullopt);
    EXPECT_EQ(ini.Value(u"B"_s, u"L"_s), std::nullopt);
    // A written section and key are found at once.
    ini.WriteString(u"d"_s, u"M"_s, u"4"_s);
    ini.WriteString(u"b"_s, u"K"_s, u"5"_s);
    EXPECT_EQ(ini.Value(u"D"_s, u"m"_s), u"4"_s);
    EXPECT_EQ(ini.Value(u"B"_s, u"K"_s), u"5"_s);
    EXPECT_EQ(ini.Value(u"a"_s, u"K"_s), u"1"_s);
    EXPECT_EQ(ini.SectionNames(), (QStringList{u"A"_s, u"b"_s, u"c"_s, u"d"_s}));
}

// A damaged file of many sections: reading every section's keys used to scan
// every line per key, hours for a file of the largest size read.
TEST_F(IniFileTest, AFileOfManySectionsReadsInLinearTime)
{
    QByteArray text;
    constexpr int kSections = 5000;
    for (int i = 0; i < kSections; ++i)
        text += "[s" + QByteArray::number(i) + "]\r\nT1=" + QByteArray::number(i) + "\r\n";
    const TIniFile ini = Open(text);
    QElapsedTimer timer;
    timer.start();
    const QStringList sections = ini.SectionNames();
    ASSERT_EQ(sections.size(), kSections);
    qint64 sum = 0;
    for (const QString& section : sections)
        for (const char* key : {"T1", "T2", "T3", "X1", "X2"})
            sum += ini.ReadInteger(section, QString::fromLatin1(key), 0);
    EXPECT_EQ(sum, qint64{kSections} * (kSections - 1) / 2);
    EXPECT_LT(timer.elapsed(), 10000) << "a scan of the lines per lookup";
}

TEST(IniFileHostile, RandomBytesReadAndSaveWithoutHarm)
{
    std::mt19937 random(29);
    const char alphabet[] = "[]=;\"\r\n $0x-Settings ConnectType\xFF\xFE\xEF\xBB\xBF\x00\xC3\xA9";
    TempDir dir;
    const QString path = QString::fromStdString(dir.File("hostile.ini"));
    for (int round = 0; round < 200; ++round) {
        QByteArray bytes;
        const int length = static_cast<int>(random() % 300);
        for (int i = 0; i < length; ++i)
            bytes.append(random() % 2 ? alphabet[random() % (sizeof alphabet - 1)] : static_cast<char>(random()));
        {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(bytes);
        }
        TIniFile ini(path);
        ini.ReadInteger(QStringLiteral("Settings"), QStringLiteral("ConnectType"), 3);
        ini.ReadBinary(QStringLiteral("Settings"), QStringLiteral("Placement"));
        ini.WriteString(QStringLiteral("Settings"), QStringLiteral("Key"), QStringLiteral("value"));
        ini.Save();
        TIniFile again(path);
        EXPECT_EQ(again.ReadString(QStringLiteral("Settings"), QStringLiteral("Key"), QString()),
                  QStringLiteral("value"))
            << "round " << round;
    }
}
