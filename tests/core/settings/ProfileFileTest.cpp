// Recording profile files saved from and loaded into a settings record.
#include <gtest/gtest.h>

#include <QLocale>
#include <QStringEncoder>
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "core/recorder/ProcessState.h"
#include "core/recorder/Recorder.h"
#include "core/settings/IniFile.h"
#include "core/settings/ProfileFile.h"
#include "core/settings/ProgramFolder.h"
#include "tests/support/FakeRecorderHost.h"
#include "tests/core/settings/IniTestFiles.h"
#include "tests/core/settings/SampleRecorderSettings.h"
#include "tests/support/ParamName.h"
#include "tests/support/TempDir.h"

using namespace Qt::StringLiterals;

namespace {

// RecModelStr with the built-in texts.
const QString kModel = u"Sorv Dare Q3"_s;

QLocale English()
{
    return QLocale(QLocale::English, QLocale::UnitedStates);
}

QLocale German()
{
    return QLocale(QLocale::German, QLocale::Germany);
}

QLocale LocaleNamed(const char* name)
{
    return QLocale(QLatin1String(name));
}

// Values the settings dialog may hold; the fields the file leaves out carry
// values of their own.
TRecorderSettings SampleSettings()
{
    TRecorderSettings s = DistinctSettings();
    s.Vas = {13, 8, 400, 3, 1, 127, 100, 64};
    s.PressType = 1;
    s.SearchStep = 21;
    s.CodecGain = 20;
    s.ExtDevice = 1;
    constexpr std::array<std::uint8_t, TRecorderSettings::kAonCount> codes{0x7C, 0x7E, 0x7F, 0xA1, 0xA2, 0xA3, 0xA4,
                                                                           0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA};
    for (std::size_t i = 0; i < codes.size(); ++i)
        s.Aon[i] = {codes[i], static_cast<std::uint8_t>(0x10 + i)};
    return s;
}

// A record that differs from the sample in every field, codes aside.
TRecorderSettings OtherSettings()
{
    TRecorderSettings s;
    for (std::size_t i = 0; i < s.Profiles.size(); ++i)
        s.Profiles[i] = {static_cast<std::uint8_t>(20 + i), 4000, 0, 0, 0, 0, 50};  // numbers the file leaves alone
    s.Vas = {2, 2, 2, 9, 2, 90, 90, 90};
    s.SearchStep = 1;
    s.CodecGain = 5;
    s.AccessLevel = 2;
    s.CurrentProfile = 4;
    s.Password.fill(0xFF);
    s.BatteryLevels = {1, 2, 3, 4};
    s.OnceTimer = {10, 20, 1};
    s.Aon = SampleSettings().Aon;
    for (TAonPair& pair : s.Aon)
        pair.Value = 0;
    return s;
}

std::vector<std::uint8_t> Bytes(const TRecorderSettings& settings)
{
    std::vector<std::uint8_t> bytes(TRecorderSettings::kSize);
    settings.Serialize(bytes.data());
    return bytes;
}

class ProfileFileTest : public ::testing::Test {
protected:
    void SetUp() override { ResetProcessState(); }
    void TearDown() override { ResetProcessState(); }

    QString Path() const { return QString::fromStdString(m_dir.File("test.rpr")); }
    QString Write(const QByteArray& text) const
    {
        WriteBytes(Path(), text);
        return Path();
    }
    std::optional<QString> Saved(const char* section, const char* key) const
    {
        return TIniFile(Path()).Value(QString::fromUtf8(section), QString::fromUtf8(key));
    }

    TempDir m_dir;
    FakeRecorderHost m_host;
    LocaleScope m_locale{English()};
};

}  // namespace

TEST_F(ProfileFileTest, SaveAndLoadGiveEveryFieldOfTheFileBack)
{
    TRecorderSettings source = SampleSettings();
    source.Profiles[1].CyclicRecord = 255;  // the dialog's "on"
    source.Profiles[2].Vas = 7;
    ASSERT_TRUE(SaveProfileFile(kModel, Path(), source));

    TRecorderSettings target = OtherSettings();
    TRecorderSettings expected = target;
    ASSERT_TRUE(LoadProfileFile(kModel, Path(), target));
    EXPECT_TRUE(m_host.Messages.isEmpty());

    // The profiles without their numbers, switches as 0 or 1; the gains
    // through whole decibels (127 and 64 stay, 100 becomes 90); the rest of
    // the record stays the target's own.
    for (std::size_t i = 0; i < expected.Profiles.size(); ++i) {
        const std::uint8_t index = expected.Profiles[i].Index;
        expected.Profiles[i] = source.Profiles[i];
        expected.Profiles[i].Index = index;
    }
    expected.Profiles[1].CyclicRecord = 1;
    expected.Profiles[2].Vas = 1;
    expected.Vas = source.Vas;
    expected.Vas.X2 = 90;
    expected.PressType = source.PressType;
    expected.SearchStep = source.SearchStep;
    expected.CodecGain = source.CodecGain;
    expected.ExtDevice = source.ExtDevice;
    expected.Aon = source.Aon;
    EXPECT_EQ(target, expected);
}

namespace {

struct GainCase {
    int gain;
    const char* decibels;  // as written
    int readBack;
};

void PrintTo(const GainCase& c, std::ostream* os)
{
    *os << c.gain << " dB " << c.decibels << " back " << c.readBack;
}

class ProfileGainTest : public ProfileFileTest, public ::testing::WithParamInterface<GainCase> {};

}  // namespace

TEST_P(ProfileGainTest, GainsTravelInWholeDecibels)
{
    const GainCase& c = GetParam();
    TRecorderSettings source = SampleSettings();
    source.Vas.X1 = source.Vas.X2 = source.Vas.X3 = static_cast<std::uint8_t>(c.gain);
    SaveProfileFile(kModel, Path(), source);
    for (const char* key : {"X1", "X2", "X3"})
        EXPECT_EQ(Saved("VAS", key), QString::fromUtf8(c.decibels)) << key;

    TRecorderSettings target = OtherSettings();
    ASSERT_TRUE(LoadProfileFile(kModel, Path(), target));
    EXPECT_EQ(target.Vas.X1, c.readBack);
    EXPECT_EQ(target.Vas.X2, c.readBack);
    EXPECT_EQ(target.Vas.X3, c.readBack);
}

// A gain of 0 has no finite decibel value; it reads back as the least gain
// the recorder takes.
INSTANTIATE_TEST_SUITE_P(Gains, ProfileGainTest,
                         ::testing::Values(GainCase{127, "0", 127}, GainCase{100, "-3", 90}, GainCase{64, "-6", 64},
                                           GainCase{50, "-9", 46}, GainCase{1, "-43", 1}, GainCase{0, "-99999", 1},
                                           GainCase{255, "6", 127}),
                         PrintedParamName());

TEST_F(ProfileFileTest, TimesWrittenUnderEitherSeparatorReadUnderBoth)
{
    TRecorderSettings source = SampleSettings();
    source.Vas.T1 = 13;
    const struct {
        QLocale locale;
        QString written;
    } writers[] = {{English(), u"3.25"_s}, {German(), u"3,25"_s}};
    for (const auto& writer : writers) {
        {
            const LocaleScope scope(writer.locale);
            SaveProfileFile(kModel, Path(), source);
        }
        EXPECT_EQ(Saved("VAS", "T1"), writer.written);
        for (const QLocale& reader : {English(), German()}) {
            SCOPED_TRACE(writer.written.toStdString() + " read under " + reader.name().toStdString());
            const LocaleScope scope(reader);
            TRecorderSettings target = OtherSettings();
            ASSERT_TRUE(LoadProfileFile(kModel, Path(), target));
            EXPECT_EQ(target.Vas.T1, 13);
        }
    }
}

namespace {

struct TimeCase {
    const char* locale;
    const char* text;
    int quarters;  // the field holds 77 before
};

void PrintTo(const TimeCase& c, std::ostream* os)
{
    *os << c.locale << " " << QString::fromUtf8(c.text).replace(u'.', u"dot"_s).replace(u',', u"comma"_s).toStdString();
}

class ProfileTimeTest : public ProfileFileTest, public ::testing::WithParamInterface<TimeCase> {};

}  // namespace

TEST_P(ProfileTimeTest, HandWrittenTimesReadAsSeconds)
{
    const TimeCase& c = GetParam();
    const LocaleScope scope(LocaleNamed(c.locale));
    Write("[Recorder model]\r\nModel=Sorv Dare Q3\r\n[VAS]\r\nT1=" + QByteArray(c.text) + "\r\n");
    TRecorderSettings target = OtherSettings();
    target.Vas.T1 = 77;
    ASSERT_TRUE(LoadProfileFile(kModel, Path(), target));
    EXPECT_EQ(target.Vas.T1, c.quarters);
}

// A group separator is never taken: "2.500" and "2,500" are 2.5 s, not 2500.
INSTANTIATE_TEST_SUITE_P(Texts, ProfileTimeTest,
                         ::testing::Values(TimeCase{"en_US", "3.3", 13}, TimeCase{"de_DE", "3.3", 13},
                                           TimeCase{"de_DE", "3,3", 13}, TimeCase{"en_US", "3,3", 13},
                                           TimeCase{"de_DE", "2.500", 10}, TimeCase{"en_US", "2,500", 10},
                                           TimeCase{"de_DE", "1.234,5", 77}, TimeCase{"en_US", "1,234.5", 77},
                                           TimeCase{"en_US", "20000", 65535}, TimeCase{"en_US", "-1", 0},
                                           TimeCase{"en_US", "soon", 77}, TimeCase{"en_US", "", 77}),
                         PrintedParamName());

namespace {

struct RefusedCase {
    const char* name;
    std::optional<const char*> file;  // none: no file at all
};

void PrintTo(const RefusedCase& c, std::ostream* os)
{
    *os << c.name;
}

class ProfileRefusedTest : public ProfileFileTest, public ::testing::WithParamInterface<RefusedCase> {};

}  // namespace

TEST_P(ProfileRefusedTest, OtherFilesAreRefusedWithTheMessage)
{
    if (GetParam().file)
        Write(*GetParam().file);
    TRecorderSettings target = OtherSettings();
    const auto before = Bytes(target);
    EXPECT_FALSE(LoadProfileFile(kModel, Path(), target));
    EXPECT_EQ(Bytes(target), before);
    EXPECT_EQ(m_host.Messages, QStringList{u"Error: invalid profile file format."_s});
    EXPECT_EQ(m_host.MessageFlags, QList<std::uint32_t>{MB_OK});
    EXPECT_EQ(m_host.MessageCaptions, QStringList{u"Application"_s});
}

INSTANTIATE_TEST_SUITE_P(
    Files, ProfileRefusedTest,
    ::testing::Values(RefusedCase{"missing file", std::nullopt}, RefusedCase{"empty file", ""},
                      RefusedCase{"model in other case", "[Recorder model]\r\nModel=Sorv DARE Q3\r\n[VAS]\r\nX1=0\r\n"},
                      RefusedCase{"other model", "[Recorder model]\r\nModel=Diktor 5\r\n[VAS]\r\nX1=0\r\n"},
                      RefusedCase{"no model key", "[Recorder model]\r\n[VAS]\r\nX1=0\r\n"}),
    PrintedParamName());

TEST_F(ProfileFileTest, AonKeysAreTheCodesInUppercaseHex)
{
    TRecorderSettings source = SampleSettings();
    source.Aon[12] = {0x7C, 99};  // a second pair with code 7C shares its key
    SaveProfileFile(kModel, Path(), source);
    const QStringList lines = TIniFile(Path()).Lines();
    EXPECT_TRUE(lines.contains(u"7C=99"_s));
    EXPECT_TRUE(lines.contains(u"A1=19"_s));
    EXPECT_EQ(lines.filter(u"7C="_s).size(), 1);
    EXPECT_TRUE(lines.filter(u"7c="_s, Qt::CaseSensitive).isEmpty());
    EXPECT_TRUE(lines.filter(u"124="_s).isEmpty());

    TRecorderSettings target = OtherSettings();
    target.Aon[12] = {0x7C, 0};
    ASSERT_TRUE(LoadProfileFile(kModel, Path(), target));
    EXPECT_EQ(target.Aon[0], (TAonPair{0x7C, 99}));
    EXPECT_EQ(target.Aon[12], (TAonPair{0x7C, 99}));
}

TEST_F(ProfileFileTest, AonReadsOnlyTheCodesTheRecordHolds)
{
    Write("[Recorder model]\r\nModel=Sorv Dare Q3\r\n"
          "[AON]\r\n7c=1\r\na1=2\r\n55=3\r\n7E=300\r\nA2=many\r\n");
    TRecorderSettings target = OtherSettings();
    target.Aon[4] = {0xA2, 8};
    target.Aon[5] = {0x33, 9};
    ASSERT_TRUE(LoadProfileFile(kModel, Path(), target));
    EXPECT_EQ(target.Aon[0], (TAonPair{0x7C, 1}));   // found in any case
    EXPECT_EQ(target.Aon[1], (TAonPair{0x7E, 44}));  // the low 8 bits
    EXPECT_EQ(target.Aon[3], (TAonPair{0xA1, 2}));
    EXPECT_EQ(target.Aon[4], (TAonPair{0xA2, 8}));  // unreadable: kept
    EXPECT_EQ(target.Aon[5], (TAonPair{0x33, 9}));  // not in the file: kept
    EXPECT_EQ(target.Aon[2], (TAonPair{0x7F, 0}));
    for (const TAonPair& pair : target.Aon)
        EXPECT_NE(pair.Code, 0x55);  // the file's other codes add nothing
}

TEST_F(ProfileFileTest, HandWrittenValuesKeepTheirLowBitsAndMissingKeysTheField)
{
    Write("[Recorder model]\r\nModel=Sorv Dare Q3\r\n"
          "[Profile 0]\r\nSample Rate=70000\r\nCompress=258\r\nCyclicRecord=yes\r\nVAS=2\r\n"
          "[Profile 3]\r\nSample Rate=$1F40\r\n"
          "[VAS]\r\nX1=loud\r\nX3=-6\r\nT2=soon\r\nT4=-1\r\n"
          "[Settings]\r\nSearchStep=0x10\r\n");
    TRecorderSettings target = OtherSettings();
    target.Profiles[0].CyclicRecord = 255;
    target.Vas.X1 = 100;
    target.Vas.X2 = 100;
    target.Vas.T2 = 13;
    target.ExtDevice = 1;
    ASSERT_TRUE(LoadProfileFile(kModel, Path(), target));

    EXPECT_EQ(target.Profiles[0].SampleRate, 4464);
    EXPECT_EQ(target.Profiles[0].Compress, 2);
    EXPECT_EQ(target.Profiles[0].CyclicRecord, 1);  // unreadable: the current "on", as 1
    EXPECT_EQ(target.Profiles[0].Vas, 1);
    EXPECT_EQ(target.Profiles[0].CycleBufSize, 50);
    EXPECT_EQ(target.Profiles[3].SampleRate, 8000);
    EXPECT_EQ(target.Vas.X1, 100);  // unreadable: the exact gain, not 90
    EXPECT_EQ(target.Vas.X2, 100);  // missing: likewise
    EXPECT_EQ(target.Vas.X3, 64);
    EXPECT_EQ(target.Vas.T2, 13);
    EXPECT_EQ(target.Vas.T4, 255);
    EXPECT_EQ(target.SearchStep, 16);
    EXPECT_EQ(target.ExtDevice, 1);
    EXPECT_EQ(target.CodecGain, 5);
}

// The golden file fixes the sections and keys in the order written. The file
// saved over held other sections in another encoding: none of it survives.
TEST_F(ProfileFileTest, SaveWritesOnlyOurSectionsInTheirOrder)
{
    QStringEncoder utf16(QStringConverter::Utf16LE);
    WriteBytes(Path(), QByteArray("\xFF\xFE") + QByteArray(utf16.encode(u"[Recent]\r\nFile1=/tmp/a.wav\r\n"
                                                                        u"[VAS]\r\nT9=1\r\nX1=-1\r\n"_s)));
    ASSERT_TRUE(SaveProfileFile(kModel, Path(), SampleSettings()));
    EXPECT_EQ(ReadBytes(Path()), ReadBytes(QStringLiteral(TRELLAVOX_TEST_DATA "/profile/sample.rpr")));
}

TEST_F(ProfileFileTest, RefusedSaveRaisesAndKeepsTheOldFile)
{
    const QByteArray old = "[Recorder model]\r\nModel=Sorv Dare Q3\r\n[VAS]\r\nT1=1\r\n";
    Write(old);
    try {
        const FileSizeLimit diskFull(64);
        SaveProfileFile(kModel, Path(), SampleSettings());
        ADD_FAILURE() << "the save did not raise";
    } catch (const EIniFileError& error) {
        EXPECT_EQ(error.Text, u"Unable to write to "_s + Path());
    }
    EXPECT_EQ(ReadBytes(Path()), old);
}

TEST_F(ProfileFileTest, TheRecorderObjectGivesItsModelText)
{
    SetProgramFolderOverride(QString::fromStdString(m_dir.Path().string()));
    const auto recorder = std::make_unique<TRecorder>(2);
    ASSERT_TRUE(SaveProfileFile(*recorder, Path(), SampleSettings()));
    EXPECT_EQ(Saved("Recorder model", "Model"), kModel);
    TRecorderSettings target = OtherSettings();
    EXPECT_TRUE(LoadProfileFile(*recorder, Path(), target));
    EXPECT_EQ(target.Vas.T1, 13);
}
