#include <gtest/gtest.h>

#include <array>

#include "core/links/image/ImageAttach.h"
#include "core/links/image/ImageEmulator.h"
#include "core/links/image/ImageFile.h"
#include "core/links/image/ImageHeader.h"
#include "core/protocol/Crc16.h"
#include "tests/core/links/image/ImageLinkFixture.h"
#include "tests/support/ImageBuilder.h"

namespace {

std::array<std::uint8_t, 512> PatternHeader()
{
    std::array<std::uint8_t, 512> header;
    for (std::size_t i = 0; i < header.size(); ++i)
        header[i] = static_cast<std::uint8_t>(i * 7 + 3);
    PutU16(header.data() + 0x1FE, ImageHeaderCrc(header.data()));
    return header;
}

TEST(ImageHeaderCrc, CoversTheFieldsInTheirOrder)
{
    // The ranges as the header layout lists them, one CRC carried through.
    const auto header = PatternHeader();
    const std::pair<std::size_t, std::size_t> pieces[] = {
        {0x000, 0x122}, {0x12A, 2}, {0x12C, 2}, {0x12E, 2}, {0x130, 4}, {0x134, 0x30}, {0x164, 0x5A}, {0x1BE, 1},
        {0x1BF, 2},     {0x1C9, 2}, {0x1CB, 2}, {0x1CD, 4}, {0x1D1, 4}, {0x1D5, 4},    {0x1D9, 4},    {0x1DD, 4},
    };
    std::uint16_t crc = 0x11EE;
    for (const auto& [offset, length] : pieces)
        crc = Crc16Update(header.data() + offset, static_cast<std::uint32_t>(length), crc);
    EXPECT_EQ(ImageHeaderCrc(header.data()), crc);
}

TEST(ImageHeaderCrc, ExcludedBytesKeepTheHeaderValid)
{
    for (std::size_t offset : {0x122, 0x125, 0x129, 0x1C1, 0x1C8, 0x1E1, 0x1F0, 0x1FD}) {
        auto header = PatternHeader();
        header[offset] ^= 0x5A;
        EXPECT_TRUE(ImageHeaderValid(header.data())) << "offset " << offset;
    }
}

TEST(ImageHeaderCrc, CoveredBytesBreakTheHeader)
{
    for (std::size_t offset : {0x000, 0x004, 0x121, 0x12A, 0x12D, 0x133, 0x134, 0x163, 0x164, 0x199, 0x1BD, 0x1BE,
                               0x1BF, 0x1C0, 0x1C9, 0x1CA, 0x1CC, 0x1CD, 0x1D1, 0x1D5, 0x1D9, 0x1DD, 0x1E0}) {
        auto header = PatternHeader();
        header[offset] ^= 0x5A;
        EXPECT_FALSE(ImageHeaderValid(header.data())) << "offset " << offset;
    }
    auto header = PatternHeader();
    header[0x1FF] ^= 1;
    EXPECT_FALSE(ImageHeaderValid(header.data()));
}

class ImageHeaderFileTest : public ImageLinkFixture {};

TEST_F(ImageHeaderFileTest, WriteKeepsReservedBytesAndSetsMarkAndCrc)
{
    const std::string path = File("a.qdm");
    ImageBuilder()
        .HeaderByte(0x1BA, 0x12)
        .HeaderByte(0x123, 0x34)
        .HeaderByte(0x1BE, 0x00)
        .HeaderByte(0x1E5, 0x56)
        .Write(path);
    AttachImageFile(Q(path), false);
    ASSERT_TRUE(ReadImageHeader());
    ASSERT_TRUE(WriteImageHeader());

    const auto bytes = ReadFile(path);
    EXPECT_EQ(bytes[0x1BA], 0x12);
    EXPECT_EQ(bytes[0x123], 0x34);
    EXPECT_EQ(bytes[0x1E5], 0x56);
    EXPECT_EQ(bytes[0x1BE], 0xFF);
    EXPECT_TRUE(ImageHeaderValid(bytes.data()));
}

TEST_F(ImageHeaderFileTest, ShortFileLeavesTheHeaderBufferAlone)
{
    const std::string path = File("short.qdm");
    std::ofstream(path) << "too short";
    LinkGeometry.header.fill(0x77);
    AttachImageFile(Q(path), false);
    EXPECT_FALSE(ReadImageHeader());
    EXPECT_EQ(LinkGeometry.header[0], 0x77);
    EXPECT_EQ(LinkGeometry.imageHandle, TLinkGeometry::kClosed);
}

}  // namespace
