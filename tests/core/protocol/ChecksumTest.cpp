#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <vector>

#include "core/protocol/Crc16.h"
#include "core/protocol/Crc32.h"

TEST(Crc16, KnownVectors)
{
    EXPECT_EQ(Crc16Update("123456789", 9, 0), 0x31C3);
    EXPECT_EQ(Crc16Update("abc", 3, 0), 0x9DD6);
    EXPECT_EQ(Crc16Update("abc", 3, 0x11EE), 0xDA38);
    EXPECT_EQ(Crc16Update("", 0, 0xAB), 0xAB);
}

TEST(Crc16, RunsInPieces)
{
    const char* text = "123456789";
    const std::uint16_t first = Crc16Update(text, 4, 0);
    EXPECT_EQ(Crc16Update(text + 4, 5, first), 0x31C3);
}

// The bit-by-bit definition: polynomial 0x1021, most significant bit first.
TEST(Crc16, MatchesTheBitwiseDefinitionForEveryLengthAndStart)
{
    std::mt19937 random(11);
    std::vector<std::uint8_t> data(300);
    for (auto& byte : data)
        byte = static_cast<std::uint8_t>(random());
    for (std::uint32_t length = 0; length <= data.size(); ++length) {
        const std::uint16_t initial = static_cast<std::uint16_t>(random());
        std::uint16_t crc = initial;
        for (std::uint32_t i = 0; i < length; ++i) {
            crc ^= static_cast<std::uint16_t>(data[i] << 8);
            for (int bit = 0; bit < 8; ++bit)
                crc = static_cast<std::uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
        }
        ASSERT_EQ(Crc16Update(data.data(), length, initial), crc) << "length " << length;
    }
}

TEST(Crc32, TableIsTheReflectedOne)
{
    EXPECT_EQ(TCrc32::Table()[0], 0u);
    EXPECT_EQ(TCrc32::Table()[1], 0x77073096u);
    EXPECT_EQ(TCrc32::Table()[255], 0x2D02EF8Du);
}

TEST(Crc32, RegisterIsTheComplementOfTheStandardCrc)
{
    TCrc32 crc;
    EXPECT_EQ(crc.Update("123456789", 9), ~0xCBF43926u);
    crc.Reset();
    EXPECT_EQ(crc.Register(), 0xFFFFFFFFu);
    EXPECT_EQ(crc.Update("", 0), 0xFFFFFFFFu);
}

TEST(Crc32, MatchesZlibOverRandomPieces)
{
    std::mt19937 random(7);
    std::vector<std::uint8_t> data(100000);
    for (auto& byte : data)
        byte = static_cast<std::uint8_t>(random());

    TCrc32 crc;
    std::size_t done = 0;
    while (done < data.size()) {
        const std::size_t piece = std::min<std::size_t>(random() % 5000, data.size() - done);
        crc.Update(data.data() + done, static_cast<std::uint32_t>(piece));
        done += piece;
    }
    const uLong expected = crc32(0, data.data(), static_cast<uInt>(data.size()));
    EXPECT_EQ(~crc.Register(), static_cast<std::uint32_t>(expected));
}

// The table-driven form of the class's contract, byte by byte.
TEST(Crc32, MatchesTheTableRecurrence)
{
    std::vector<std::uint8_t> data(1000);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i * 31 + 7);
    std::uint32_t reg = 0xFFFFFFFFu;
    for (std::uint8_t b : data)
        reg = TCrc32::Table()[(reg ^ b) & 0xFF] ^ (reg >> 8);

    TCrc32 crc;
    EXPECT_EQ(crc.Update(data.data(), static_cast<std::uint32_t>(data.size())), reg);
}
