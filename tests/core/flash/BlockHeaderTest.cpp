#include <gtest/gtest.h>

#include <QString>
#include <array>

#include "core/flash/BlockHeader.h"
#include "core/flash/CallInfo.h"

namespace {

// Owner 7, stamp 0x12345678, sequence 2, ADPCM 4-bit at 8000 Hz,
// downloaded, call information present.
TBlockHeader Sample()
{
    TBlockHeader h;
    const std::array<std::uint8_t, 18> bytes{0x07, 0x00, 0x78, 0x56, 0x34, 0x12, 0x02, 0x00, 2,
                                             2,    1,    0x40, 0,    0x80, 0,    0,    0,    0};
    std::copy(bytes.begin(), bytes.end(), h.Bytes.begin());
    h.UpdateCrc();
    return h;
}

}  // namespace

TEST(BlockHeaderTest, FieldsAndCrcWithInitialValue0xAB)
{
    const TBlockHeader h = Sample();
    EXPECT_EQ(h.Crc(), 0x5CB5);  // CRC-16/0x1021 from 0xAB; from 0 it would be 0x2689
    EXPECT_TRUE(h.IsCrcValid());
    EXPECT_EQ(h.Owner(), 7);
    EXPECT_EQ(h.Time(), 0x12345678u);
    EXPECT_EQ(h.Sequence(), 2);
    EXPECT_EQ(h.Compress(), 2);
    EXPECT_EQ(h.RateCode(), 1);
    EXPECT_TRUE(h.HasCallInfo());
    EXPECT_TRUE(h.IsOwned());
    EXPECT_FALSE(h.IsFree());
    EXPECT_EQ(h.DriveFileSize(), 0x02020002u);  // bytes 6-9 as the flash-drive view reads them
    EXPECT_EQ(h.DriveSequence(), 0x4001);
}

TEST(BlockHeaderTest, VoteTakesCopyThreeWhereTheFirstTwoDiffer)
{
    const TBlockHeader good = Sample();
    std::array<std::uint8_t, 60> copies{};
    for (int damaged = 0; damaged < 3; ++damaged) {
        good.WriteCopies(copies.data());
        copies[damaged * 20 + 3] ^= 0xFF;   // one byte of one copy
        copies[damaged * 20 + 18] ^= 0x01;  // and its CRC
        const TBlockHeader voted = TBlockHeader::Vote(copies.data());
        EXPECT_EQ(voted.Bytes, good.Bytes) << "copy " << damaged;
        EXPECT_TRUE(voted.IsCrcValid());
    }
    // Two bad copies: copy 3 wins even against agreeing neighbours' bytes.
    good.WriteCopies(copies.data());
    copies[3] ^= 0xFF;
    copies[40 + 3] ^= 0xF0;
    EXPECT_FALSE(TBlockHeader::Vote(copies.data()).IsCrcValid());
}

TEST(BlockHeaderTest, FreeOnlyWhenErasedOrValid)
{
    struct Case {
        const char* name;
        TBlockHeader header;
        bool free;
        bool owned;
    };
    TBlockHeader validFree = TBlockHeader::Erased();
    validFree.Bytes[2] = 0x10;
    validFree.UpdateCrc();
    TBlockHeader halfWritten = TBlockHeader::Erased();  // owner 0xFFFF, stamp written, CRC not
    halfWritten.SetTime(1700000000);
    TBlockHeader badCrc = Sample();
    badCrc.Bytes[18] ^= 1;
    const Case cases[] = {
        {"erased", TBlockHeader::Erased(), true, false},
        {"owner 0xFFFF with a valid CRC", validFree, true, false},
        {"half-written, owner 0xFFFF", halfWritten, false, false},
        {"recording with a bad CRC", badCrc, false, false},
        {"recording", Sample(), false, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.header.IsFree(), c.free) << c.name;
        EXPECT_EQ(c.header.IsOwned(), c.owned) << c.name;
    }
}

TEST(CallInfoTest, TextDigitsAndClamps)
{
    std::array<std::uint8_t, 26> bytes{};
    bytes[2] = 1;
    bytes[4] = 1;
    bytes[5] = 4;
    bytes[6] = 5;
    bytes[7] = 10;  // 10 and above print as "0"
    bytes[8] = 0;
    bytes[9] = 200;
    TCallInfo info = TCallInfo::FromBytes(bytes.data());
    EXPECT_TRUE(info.IsValid());
    EXPECT_EQ(info.Text(QStringLiteral("Out"), QStringLiteral("In"), QStringLiteral("No")),
              QStringLiteral("Out No 5000"));

    info.Bytes[4] = 0;
    info.Bytes[5] = 255;  // more digits than the record holds
    for (std::size_t i = 6; i < 26; ++i)
        info.Bytes[i] = 7;
    EXPECT_EQ(info.DigitCount(), 20u);
    EXPECT_EQ(info.Text(QStringLiteral("Out"), QStringLiteral("In"), QStringLiteral("No")),
              QStringLiteral("In No ") + QString(20, u'7'));

    info.Bytes[2] = 2;
    EXPECT_FALSE(info.IsValid());
}
