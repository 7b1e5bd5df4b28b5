#include <gtest/gtest.h>

#include "audio/CrcWaveFile.h"
#include "audio/WaveAddInfo.h"
#include "tests/support/ParamName.h"
#include "tests/support/TempDir.h"
#include "tests/support/WavBuilder.h"

namespace {

using Bytes = WavBuilder::Bytes;

const SYSTEMTIME kFixtureTime{2023, 11, 2, 28, 9, 41, 7, 250};

struct FixtureCase {
    int version;
    std::uint32_t crc;
    const char16_t* serial;
    const char16_t* model;
    bool hasTime;
    std::uint16_t codec;
};

void PrintTo(const FixtureCase& c, std::ostream* os)
{
    *os << "version " << c.version;
}

const FixtureCase kFixtures[] = {
    {1, 0x12345678, u"100234", u"TX-Pro 4", false, 0},     {2, 0x12345678, u"100234", u"TX-Pro 4", true, 0},
    {3, 0x0BADF00D, u"200345", u"Mod\u00e8le 7", true, 0}, {4, 0xCAFEBABE, u"300456", u"Mod\u00e8le 7", true, 0},
    {5, 0xCAFEBABE, u"300456", u"Mod\u00e8le 7", true, 2},
};

class WaveAddInfoFixture : public ::testing::TestWithParam<FixtureCase> {};

}  // namespace

TEST_P(WaveAddInfoFixture, EveryVersionIsReadFromAFile)
{
    const FixtureCase& c = GetParam();
    TWaveFile wave(QStringLiteral(TRELLAVOX_TEST_DATA "/audio/addinfo-v%1.wav").arg(c.version));
    ASSERT_TRUE(wave.Open());
    const TWaveAddInfo info = ReadWaveAddInfo(wave.PrivateChunk(), wave.PrivateChunkLength());
    EXPECT_EQ(info.Version, c.version);
    EXPECT_EQ(info.Crc, c.crc);
    EXPECT_EQ(info.SerialNumber, QString::fromUtf16(c.serial));
    EXPECT_EQ(info.ModelName, QString::fromUtf16(c.model));
    EXPECT_EQ(info.Time, c.hasTime ? kFixtureTime : SYSTEMTIME{});
    std::array<std::uint8_t, 64> mark{};
    if (c.version >= 4)
        for (std::size_t i = 0; i < mark.size(); ++i)
            mark[i] = static_cast<std::uint8_t>(i * 3);
    EXPECT_EQ(info.Mark, mark);
    EXPECT_EQ(info.Codec, c.codec);
    wave.Close();
}

INSTANTIATE_TEST_SUITE_P(Versions, WaveAddInfoFixture, ::testing::ValuesIn(kFixtures), PrintedParamName());

TEST(WaveAddInfo, OnlyTheFiveSizesHaveAVersion)
{
    const Bytes bytes(200, 0x41);
    for (int size : {0, 1, 45, 47, 100, 169, 171, 200})
        EXPECT_EQ(ReadWaveAddInfo(bytes.data(), size).Version, 0) << size;
    const std::pair<int, int> versions[] = {{46, 1}, {62, 2}, {104, 3}, {168, 4}, {170, 5}};
    for (const auto& [size, version] : versions)
        EXPECT_EQ(ReadWaveAddInfo(bytes.data(), size).Version, version) << size;
    EXPECT_EQ(ReadWaveAddInfo(nullptr, 170).Version, 0);
    EXPECT_EQ(ReadWaveAddInfo(bytes.data(), -1).Version, 0);
}

TEST(WaveAddInfo, TextFieldsStopAtTheirRoom)
{
    Bytes v1(46, 'A');  // no terminators at all
    v1[25] = 'M';
    const TWaveAddInfo old = ReadWaveAddInfo(v1.data(), 46);
    EXPECT_EQ(old.SerialNumber, QString(21, u'A'));
    EXPECT_EQ(old.ModelName, u'M' + QString(20, u'A'));

    Bytes v5(170, 0);
    for (std::size_t i = 4; i < 88; i += 2)
        v5[i] = 'x';  // serial and model: 21 characters each, no terminator
    const TWaveAddInfo info = ReadWaveAddInfo(v5.data(), 170);
    EXPECT_EQ(info.SerialNumber, QString(21, u'x'));
    EXPECT_EQ(info.ModelName, QString(21, u'x'));
}

TEST(WaveAddInfo, BuiltVersionFiveReadsBackWithZerosBehindTheTerminators)
{
    TWaveAddInfo info;
    info.Crc = 0x01020304;
    info.SerialNumber = QStringLiteral("123456789012345678901234");  // longer than its room
    info.ModelName = QStringLiteral("Q");
    info.Time = kFixtureTime;
    for (std::size_t i = 0; i < info.Mark.size(); ++i)
        info.Mark[i] = static_cast<std::uint8_t>(0xF0 ^ i);
    info.Codec = 3;
    const TWaveAddInfoV5 chunk = BuildWaveAddInfo(info);

    EXPECT_EQ(U32At(Bytes(chunk.begin(), chunk.end()), 0), 0x01020304u ^ 0xAAAAAAAAu);
    EXPECT_EQ(chunk[4 + 2 * 20], 0);  // the serial keeps its terminator
    for (std::size_t at = 46 + 2; at < 88; ++at)
        EXPECT_EQ(chunk[at], 0) << at;

    TWaveAddInfo back = ReadWaveAddInfo(chunk.data(), static_cast<std::int64_t>(chunk.size()));
    EXPECT_EQ(back.Version, 5);
    EXPECT_EQ(back.Crc, info.Crc);
    EXPECT_EQ(back.SerialNumber, info.SerialNumber.left(20));
    EXPECT_EQ(back.ModelName, info.ModelName);
    EXPECT_EQ(back.Time, info.Time);
    EXPECT_EQ(back.Mark, info.Mark);
    EXPECT_EQ(back.Codec, 3);
}

TEST(WaveAddInfo, VersionFiveCrcOfEmptyDataIsStoredAs55555555)
{
    TempDir dir;
    TCrcWaveFile wave(QString::fromStdString(dir.File("empty.wav")));
    TWaveAddInfoV5 chunk = BuildWaveAddInfo({});
    wave.SetPrivateChunk(chunk.data(), static_cast<std::int32_t>(chunk.size()));
    ASSERT_TRUE(wave.Create());
    wave.ResetCrc();
    // What the download does at the end of a part: the masked CRC into the chunk, then Close.
    const std::uint32_t masked = waveaddinfo::MaskCrc(wave.GetCrc());
    for (int i = 0; i < 4; ++i)
        chunk[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(masked >> (8 * i));
    ASSERT_TRUE(wave.Close());

    const Bytes file = ReadFileBytes(dir.File("empty.wav"));
    ASSERT_EQ(file.size(), 44u + 8 + 170);
    EXPECT_EQ(U32At(file, 44 + 8), 0x55555555u);

    TWaveFile back(QString::fromStdString(dir.File("empty.wav")));
    ASSERT_TRUE(back.Open());
    EXPECT_EQ(back.DataBytes(), 0u);
    EXPECT_EQ(ReadWaveAddInfo(back.PrivateChunk(), back.PrivateChunkLength()).Crc, 0xFFFFFFFFu);
    back.Close();
}
