#include <gtest/gtest.h>

#include <QFile>

#include "core/settings/ProgramFolder.h"
#include "core/settings/RecorderPresets.h"
#include "tests/core/settings/IniTestFiles.h"
#include "tests/support/TempDir.h"

namespace {

QString WriteFile(const TempDir& dir, const char* name, const char* text)
{
    const QString path = QString::fromStdString(dir.File(name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    return path;
}

TRecordProfile Profile(std::uint16_t rate, std::uint8_t compress, std::uint8_t param)
{
    TRecordProfile profile;
    profile.SampleRate = rate;
    profile.Compress = compress;
    profile.CompressParam = param;
    return profile;
}

constexpr const char* kQualityFile =
    "[Low]\r\n"
    "BitRate=4000\r\nCompress=2\r\nCompressParam=1\r\n"
    "[High]\r\n"
    "1033=Speech\r\n1049=Rech\r\n"
    "BitRate=16000\r\nCompress=0\r\n"
    "[Empty]\r\n"
    "[Wide]\r\n"
    "BitRate=70000\r\nCompress=258\r\n"
    "[Low again]\r\n"
    "BitRate=4000\r\nCompress=2\r\nCompressParam=1\r\n";

}  // namespace

TEST(QualityPresetsTest, ReadsSectionsInOrderWithNamesAndDefaults)
{
    TempDir dir;
    const QString file = WriteFile(dir, "ZEL4_req.ini", kQualityFile);
    TQualityPresetList list;
    LoadQualityPresets(list, file, 1033);
    ASSERT_EQ(list.Count(), 5);
    EXPECT_EQ(list.Item(0)->Name, QStringLiteral("Low"));
    EXPECT_EQ(list.Item(0)->BitRate, 4000);
    EXPECT_EQ(list.Item(0)->Compress, 2);
    EXPECT_EQ(list.Item(0)->CompressParam, 1);
    EXPECT_EQ(list.Item(1)->Name, QStringLiteral("Speech"));
    EXPECT_EQ(list.Item(1)->BitRate, 16000);
    // A section without keys: its name, no compression, 4000 Hz.
    EXPECT_EQ(list.Item(2)->Name, QStringLiteral("Empty"));
    EXPECT_EQ(list.Item(2)->BitRate, 4000);
    EXPECT_EQ(list.Item(2)->Compress, 0);
    EXPECT_EQ(list.Item(2)->CompressParam, 0);
    // Integers keep their low bits, as in profile files.
    EXPECT_EQ(list.Item(3)->BitRate, 4464);
    EXPECT_EQ(list.Item(3)->Compress, 2);

    EXPECT_EQ(FindQualityPreset(list, Profile(16000, 0, 0)), 1);
    EXPECT_EQ(FindQualityPreset(list, Profile(4000, 2, 1)), 0);  // not the later copy
    EXPECT_EQ(FindQualityPreset(list, Profile(8000, 0, 0)), -1);
    EXPECT_EQ(FindQualityPreset(list, Profile(4000, 2, 2)), -1);
}

TEST(QualityPresetsTest, NamesFollowTheLanguage)
{
    TempDir dir;
    const QString file = WriteFile(dir, "ZEL4_req.ini", kQualityFile);
    TQualityPresetList list;
    LoadQualityPresets(list, file, 1049);
    EXPECT_EQ(list.Item(1)->Name, QStringLiteral("Rech"));
    LoadQualityPresets(list, file, 1031);
    ASSERT_EQ(list.Count(), 5);  // a reload replaces the list
    EXPECT_EQ(list.Item(1)->Name, QStringLiteral("High"));
}

TEST(QualityPresetsTest, MissingFileGivesAnEmptyList)
{
    TempDir dir;
    TQualityPresetList list;
    LoadQualityPresets(list, WriteFile(dir, "a_req.ini", kQualityFile), 1033);
    ASSERT_EQ(list.Count(), 5);
    LoadQualityPresets(list, QString::fromStdString(dir.File("missing_req.ini")), 1033);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(FindQualityPreset(list, Profile(4000, 0, 0)), -1);
}

TEST(VasPresetsTest, ValuesDefaultsAndFirstMatch)
{
    TempDir dir;
    const QString file = WriteFile(dir, "ZEL4_vas.ini",
                                   "[Office]\r\n1033=Quiet office\r\nT1=2.5\r\nT2=0.3\r\nT3=1\r\nT4=3\r\nT5=0.25\r\n"
                                   "X1=0\r\nX2=-6\r\nX3=-3\r\n"
                                   "[Defaults]\r\n"
                                   "[Same]\r\nT1=2.5\r\nT2=0.3\r\nT3=1\r\nT4=3\r\nT5=0.25\r\nX1=0\r\nX2=-6\r\nX3=-3\r\n"
                                   "[Loud]\r\nT1=20000\r\nX1=10\r\nT4=300\r\n");
    TVasPresetList list;
    LoadVasPresets(list, file, 1033);
    ASSERT_EQ(list.Count(), 4);

    const TVasParams& office = list.Item(0)->Params;
    EXPECT_EQ(list.Item(0)->Name, QStringLiteral("Quiet office"));
    EXPECT_EQ(office.T1, 10);
    EXPECT_EQ(office.T2, 1);  // 1.2 truncated
    EXPECT_EQ(office.T3, 4);
    EXPECT_EQ(office.T4, 3);
    EXPECT_EQ(office.T5, 1);
    EXPECT_EQ(office.X1, 127);
    EXPECT_EQ(office.X2, 64);
    EXPECT_EQ(office.X3, 90);

    const TVasParams& defaults = list.Item(1)->Params;
    EXPECT_EQ(list.Item(1)->Name, QStringLiteral("Defaults"));
    EXPECT_EQ(defaults.T1, 0);
    EXPECT_EQ(defaults.T4, 1);
    EXPECT_EQ(defaults.X2, 127);

    // A gain above 0 dB is held to the recorder's 127; a time beyond 16 bits
    // saturates instead of wrapping.
    const TVasParams& loud = list.Item(3)->Params;
    EXPECT_EQ(loud.T1, 65535);
    EXPECT_EQ(loud.X1, 127);
    EXPECT_EQ(loud.T4, 44);  // an integer keeps its low 8 bits

    EXPECT_EQ(FindVasPreset(list, office), 0);  // "Same" has equal values: the first wins
    EXPECT_EQ(FindVasPreset(list, defaults), 1);
    TVasParams other = office;
    other.X3 = 91;
    EXPECT_EQ(FindVasPreset(list, other), -1);
}

// Times read under either decimal separator, as profile times do; a group
// separator is never taken: "2.500" is 2.5 s, not 2500.
TEST(VasPresetsTest, TimesReadUnderEitherSeparatorAndGainsHeldToTheRecordersRange)
{
    TempDir dir;
    const QString file = WriteFile(dir, "ZEL4_vas.ini",
                                   "[A]\r\nT1=2.500\r\nT2=2,5\r\nT3=1.000,5\r\nT5=0,25\r\n"
                                   "X1=-99999\r\nX2=1\r\nX3=-45\r\n");
    for (const QLocale& locale : {QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::English)}) {
        SCOPED_TRACE(locale.name().toStdString());
        const LocaleScope scope(locale);
        TVasPresetList list;
        LoadVasPresets(list, file, 1033);
        ASSERT_EQ(list.Count(), 1);
        const TVasParams& vas = list.Item(0)->Params;
        EXPECT_EQ(vas.T1, 10);
        EXPECT_EQ(vas.T2, 10);
        EXPECT_EQ(vas.T3, 0);
        EXPECT_EQ(vas.T5, 1);
        EXPECT_EQ(vas.X1, 1);    // not 0: the recorder's least gain
        EXPECT_EQ(vas.X2, 127);  // 1 dB would be 143
        EXPECT_EQ(vas.X3, 1);
    }
}

TEST(PresetFilesTest, NamesComeFromThePrefixWithoutItsExtension)
{
    EXPECT_EQ(QualityPresetFileName(QStringLiteral("/opt/tv/ZEL4")), QStringLiteral("/opt/tv/ZEL4_req.ini"));
    EXPECT_EQ(VasPresetFileName(QStringLiteral("/opt/tv/ZEL4.set")), QStringLiteral("/opt/tv/ZEL4_vas.ini"));
    // Only the last component loses an extension.
    EXPECT_EQ(QualityPresetFileName(QStringLiteral("/opt/tv.app/ZEL4")), QStringLiteral("/opt/tv.app/ZEL4_req.ini"));

    SetProgramFolderOverride(QStringLiteral("/opt/tv"));
    EXPECT_EQ(PresetBasePath(), QStringLiteral("/opt/tv/ZEL4"));
    SetProgramFolderOverride(QString());
}
