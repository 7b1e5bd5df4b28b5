// Pure values of the recorder object: password bytes, battery level,
// hardware variant, model text, block seconds and upload sizes.
#include <gtest/gtest.h>

#include <cmath>

#include "core/recorder/NoPasswordBytes.h"
#include "core/recorder/RecorderCapacity.h"
#include "core/recorder/RecorderStatusValues.h"
#include "core/settings/ProfileValueConversions.h"

namespace {

TPasswordBytes Bytes(std::initializer_list<int> values)
{
    TPasswordBytes bytes{};
    std::size_t i = 0;
    for (int v : values)
        bytes[i++] = static_cast<std::uint8_t>(v);
    return bytes;
}

}  // namespace

TEST(PasswordBytesTest, ByteImages)
{
    struct Case {
        QString text;
        TPasswordBytes expected;
    } cases[] = {
        {QString(), Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0})},
        {QStringLiteral("ab"), Bytes({'a', 'b', 0, 0xFF, 0xFF, 0xFF, 0xFF, 0})},
        {QStringLiteral("abcdef"), Bytes({'a', 'b', 'c', 'd', 'e', 'f', 0, 0})},
        {QStringLiteral("abcdefg"), Bytes({'a', 'b', 'c', 'd', 'e', 'f', 'g', 0})},
        // Longer texts are cut so the terminator still fits.
        {QStringLiteral("abcdefgh"), Bytes({'a', 'b', 'c', 'd', 'e', 'f', 'g', 0})},
        // "\u0436" is two UTF-8 bytes: never split in the middle.
        {QStringLiteral("abcde\u0436"), Bytes({'a', 'b', 'c', 'd', 'e', 0xD0, 0xB6, 0})},
        {QStringLiteral("abcdef\u0436"), Bytes({'a', 'b', 'c', 'd', 'e', 'f', 0, 0})},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PasswordBytes(c.text), c.expected) << c.text.toStdString();
        // Read back as written, up to the cut.
        EXPECT_TRUE(c.text.startsWith(PasswordText(c.expected))) << c.text.toStdString();
        EXPECT_EQ(HasPassword(c.expected), !c.text.isEmpty());
    }
    EXPECT_EQ(PasswordBytes(QString()), NoPasswordBytes);
    EXPECT_EQ(PasswordText(Bytes({'a', 'b', 0, 0xFF, 0xFF, 0xFF, 0xFF, 0})), QStringLiteral("ab"));
    // Only the seven bytes the recorder compares decide.
    EXPECT_FALSE(HasPassword(Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'x'})));
}

TEST(BatteryLevelTest, Thresholds)
{
    const std::array<std::uint16_t, 4> thresholds{0, 100, 200, 300};
    struct Case {
        std::uint16_t voltage;
        std::uint16_t firmware;
        std::uint8_t level;
    } cases[] = {
        {0, 0x0A00, 0},     // below every threshold
        {61, 0x0A00, 0},    // scaled 99
        {62, 0x0A00, 1},    // scaled 101
        {153, 0x0A00, 2},   // scaled 250
        {184, 0x0A00, 3},   // scaled 301
        {3000, 0x0A00, 3},
        {306, 0x0A00, 3},   // scaled 501 with divisor 2500
        {306, 0x0905, 2},   // major 9: divisor 5000, scaled 250
        {60, 0x0900, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BatteryLevel(c.voltage, c.firmware, thresholds), c.level)
            << "voltage " << c.voltage << " firmware " << std::hex << c.firmware;
}

TEST(HardwareVariantTest, MajorTable)
{
    const std::pair<int, std::uint32_t> table[] = {{1, 0}, {9, 1}, {10, 2}, {11, 3}, {12, 4}, {13, 5}};
    for (auto [major, variant] : table)
        EXPECT_EQ(HardwareVariantForMajor(static_cast<std::uint8_t>(major), 7), variant) << major;
    for (int major : {0, 2, 8, 14, 255})
        EXPECT_EQ(HardwareVariantForMajor(static_cast<std::uint8_t>(major), 4), 4u) << major;
}

TEST(ModelDisplayNameTest, SuffixAndHours)
{
    // 2 x 64 x 128 x 2112 bytes = 34,603,008 -> 4 hours.
    const std::uint64_t image = 2ull * 64 * 128 * 2112;
    EXPECT_EQ(ModelDisplayName(QStringLiteral("Q3"), 2, image), QStringLiteral("Q3 M10 4"));
    EXPECT_EQ(ModelDisplayName(QStringLiteral("Q3"), 5, image), QStringLiteral("Q3 4"));
    // 8 GiB needs 64-bit arithmetic: 8589934592 / 2003 / 3600 = 1191.
    EXPECT_EQ(ModelDisplayName(QStringLiteral("Q3"), 0, 8ull << 30), QStringLiteral("Q3 M1 1191"));
}

TEST(SecondsPerBlockTest, Table)
{
    struct Case {
        std::uint8_t rateCode, compress, param;
        std::uint32_t pages, pageSize;
        double seconds;
    } cases[] = {
        {1, 0, 0, 128, 2048, 261824.0 / 16000},
        {0, 0, 0, 128, 2048, 261824.0 / 32000},
        {2, 0, 0, 128, 2048, 261824.0 / 8000},
        {1, 1, 0, 128, 2048, 523648.0 / 16000},
        {1, 2, 1, 128, 2048, 261570.0 * 8 / 16000},
        {1, 2, 2, 128, 2048, 261570.0 * 4 / 16000},
        {1, 0, 0, 128, 2112, 270016.0 / 16000},  // image page stride as page size
        {1, 0, 0, 64, 4096, 261952.0 / 16000},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(SecondsPerBlock(c.rateCode, c.compress, c.param, c.pages, c.pageSize), c.seconds)
            << int(c.rateCode) << " " << int(c.compress) << " " << int(c.param) << " " << c.pages;
}

TEST(SecondsPerBlockTest, RecordTimeTruncatesAndNeverGoesNegative)
{
    EXPECT_EQ(ProfileRecordSeconds(16.364, 100), 1636u);
    EXPECT_EQ(ProfileRecordSeconds(-3.0, 100), 0u);  // no geometry yet
    EXPECT_EQ(ProfileRecordSeconds(16.0, 0), 0u);
}

constexpr std::uint64_t D = 1000000;  // 500000 samples

// Blocks of 4 pages of 512 bytes; the free memory counts 4 x 512 - 64 bytes a
// block. Samples a block takes: PCM 223 + 3 x 255, ADPCM 4-bit 888 + 3 x 1016,
// 2-bit 1776 + 3 x 2032, companded at 8000 Hz 443 + 3 x 506 and at 16000 Hz
// 444 + 3 x 508 (a frame header every 160 or 320 samples).
constexpr std::int64_t B = 4 * 512 - 64;

TEST(UploadSizeTest, Table)
{
    auto pcm = [](std::uint32_t rate, std::uint64_t bytes = D, std::uint16_t channels = 1, std::uint16_t bits = 16,
                  std::uint16_t tag = kWaveFormatPcm) {
        return TWaveSourceFormat{tag, channels, rate, bits, bytes};
    };
    struct Case {
        TWaveSourceFormat format;
        std::uint8_t compress, param;
        std::uint32_t variant;
        std::int64_t size;
    } cases[] = {
        {pcm(8000), 0, 0, 0, 507 * B},
        {pcm(4000), 0, 0, 0, 507 * B},
        {pcm(16000), 0, 0, 0, 507 * B},
        {pcm(16000), 0, 0, 2, -1},
        {pcm(11025), 0, 0, 0, -1},
        {pcm(8000), 2, 1, 0, 64 * B},
        {pcm(4000), 2, 2, 0, 128 * B},
        {pcm(16000), 2, 2, 0, -1},  // ADPCM never at 16000 Hz
        {pcm(8000), 1, 0, 0, 255 * B},
        {pcm(16000), 1, 0, 1, 255 * B},
        {pcm(16000), 1, 0, 2, -1},
        {pcm(8000), 3, 0, 0, -1},  // unknown compression
        {pcm(8000, D, 2), 0, 0, 0, -1},  // stereo
        // Only 16-bit PCM is encoded as such.
        {pcm(8000, D, 1, 8), 0, 0, 0, -1},
        {pcm(8000, D, 1, 24), 0, 0, 0, -1},
        {pcm(8000, D, 1, 32, 3), 0, 0, 0, -1},   // IEEE float
        {pcm(8000, D, 1, 4, 0x11), 2, 2, 0, -1}, // IMA ADPCM file
        // Blocks exactly filled, and one sample more.
        {pcm(8000, 2 * 988 * 3), 0, 0, 0, 3 * B},
        {pcm(8000, 2 * 988 * 3 + 2), 0, 0, 0, 4 * B},
        {pcm(8000, 0), 0, 0, 0, 0},
        // Sources of 2 GiB and more stay positive.
        {pcm(8000, 3ull << 30), 0, 0, 0, 1630175 * B},
        {pcm(8000, 5ull << 30), 2, 1, 0, 341001 * B},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UploadSizeFor(c.format, c.compress, c.param, c.variant, 4, 512), c.size)
            << c.format.SamplesPerSec << " Hz, " << c.format.Channels << " ch, " << c.format.BitsPerSample
            << " bit, tag " << c.format.FormatTag << ", compress " << int(c.compress) << "/" << int(c.param)
            << ", variant " << c.variant;
}

TEST(UploadSizeTest, NoGeometryRefusesRatherThanDividingByZero)
{
    const TWaveSourceFormat format{kWaveFormatPcm, 1, 8000, 16, D};
    EXPECT_EQ(UploadSizeFor(format, 0, 0, 0, 0, 0), -1);
    EXPECT_EQ(UploadSizeFor(format, 0, 0, 0, 128, 0), -1);
    EXPECT_EQ(UploadSizeFor(format, 1, 0, 0, 0, 2048), -1);
}

TEST(ProfileValueConversionsTest, GainsAndTimesSaturate)
{
    EXPECT_EQ(DbToGain(127, 0), 127);
    EXPECT_EQ(DbToGain(127, -6), 64);
    EXPECT_EQ(DbToGain(127, -3), 90);
    EXPECT_EQ(DbToGain(127, 6), 254);
    EXPECT_EQ(DbToGain(127, 10), 255);  // 402 does not wrap to 146
    EXPECT_EQ(DbToGain(127, 100), 255);
    EXPECT_EQ(SecondsToQuarterSeconds(2.5), 10);
    EXPECT_EQ(SecondsToQuarterSeconds(0.3), 1);
    EXPECT_EQ(SecondsToQuarterSeconds(16383.75), 65535);
    EXPECT_EQ(SecondsToQuarterSeconds(16384.0), 65535);  // does not wrap to 0
    EXPECT_EQ(SecondsToQuarterSeconds(1e12), 65535);
    EXPECT_EQ(SecondsToQuarterSeconds(-1.0), 0);
    EXPECT_EQ(SecondsToQuarterSeconds(std::nan("")), 0);
}
