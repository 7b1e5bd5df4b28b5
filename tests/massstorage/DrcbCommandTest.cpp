#include <gtest/gtest.h>

#include <vector>

#include "massstorage/DrcbCommand.h"
#include "massstorage/Q71Protocol.h"

namespace {

std::vector<std::uint8_t> Sector(const DrcbCommand& command)
{
    std::vector<std::uint8_t> sector(512, 0);
    command.Serialize(sector.data());
    return sector;
}

std::vector<std::uint8_t> Head(const std::vector<std::uint8_t>& sector, std::size_t n)
{
    return {sector.begin(), sector.begin() + static_cast<std::ptrdiff_t>(n)};
}

}  // namespace

TEST(DrcbCommand, SectorLayoutPerCommand)
{
    DrcbCommand read;
    read.command = q71ReadPages;
    read.firstPage = 0x01020304;
    read.partSize = 0x0506;
    read.step = 0x0708;
    read.offset = 0x090A;
    read.count = 0x0B0C;
    EXPECT_EQ(Head(Sector(read), 17),
              (std::vector<std::uint8_t>{'D', 'R', 'C', 'B', 4, 4, 3, 2, 1, 6, 5, 8, 7, 0x0A, 9, 0x0C, 0x0B}));

    DrcbCommand write = read;
    write.command = q71WritePages;
    EXPECT_EQ(Sector(write)[4], 1);
    EXPECT_EQ(Head(Sector(write), 17), [&] {
        auto expected = Head(Sector(read), 17);
        expected[4] = 1;
        return expected;
    }());

    DrcbCommand erase;
    erase.command = q71EraseBlock;
    erase.firstPage = 0x00ABCDEF;
    EXPECT_EQ(Head(Sector(erase), 9), (std::vector<std::uint8_t>{'D', 'R', 'C', 'B', 5, 0xEF, 0xCD, 0xAB, 0}));

    const std::uint8_t bytes[3] = {0x5A, 0x5A, 0x41};
    DrcbCommand send;
    send.command = q71SendI2C;
    send.length = 3;
    send.payload = bytes;
    EXPECT_EQ(Head(Sector(send), 9), (std::vector<std::uint8_t>{'D', 'R', 'C', 'B', 2, 3, 0x5A, 0x5A, 0x41}));

    DrcbCommand receive;
    receive.command = q71ReceiveI2C;
    receive.length = 9;
    EXPECT_EQ(Head(Sector(receive), 6), (std::vector<std::uint8_t>{'D', 'R', 'C', 'B', 3, 9}));

    DrcbCommand identify;
    EXPECT_EQ(Head(Sector(identify), 5), (std::vector<std::uint8_t>{'D', 'R', 'C', 'B', 0}));
}

TEST(DrcbCommand, ParseReadsWhatSerializeWrote)
{
    DrcbCommand read;
    read.command = q71ReadPages;
    read.firstPage = 70000;
    read.partSize = 20;
    read.step = 3;
    read.offset = 2040;
    read.count = 102;
    const auto sector = Sector(read);
    DrcbCommand parsed;
    ASSERT_TRUE(DrcbCommand::Parse(sector.data(), sector.size(), parsed));
    EXPECT_EQ(parsed.command, q71ReadPages);
    EXPECT_EQ(parsed.firstPage, 70000u);
    EXPECT_EQ(parsed.partSize, 20);
    EXPECT_EQ(parsed.step, 3);
    EXPECT_EQ(parsed.offset, 2040);
    EXPECT_EQ(parsed.count, 102);

    auto notMailbox = sector;
    notMailbox[0] = 'd';
    EXPECT_FALSE(DrcbCommand::Parse(notMailbox.data(), notMailbox.size(), parsed));
}

TEST(FlashParams, TwelveBytesLittleEndianFieldByField)
{
    const std::uint8_t bytes[FlashParams::kSize] = {2, 0xEC, 0xDA, 0x10, 0x95, 0x44, 0x00, 0x20, 64, 0x00, 0x08, 64};
    const auto params = FlashParams::Parse(bytes);
    EXPECT_EQ(params.chips, 2);
    EXPECT_EQ(params.flashId, (std::array<std::uint8_t, 5>{0xEC, 0xDA, 0x10, 0x95, 0x44}));
    EXPECT_EQ(params.blocksPerChip, 8192);
    EXPECT_EQ(params.pagesPerBlock, 64);
    EXPECT_EQ(params.pageSize, 2048);
    EXPECT_EQ(params.spareSize, 64);
    std::uint8_t out[FlashParams::kSize] = {};
    params.Serialize(out);
    EXPECT_TRUE(std::equal(std::begin(out), std::end(out), std::begin(bytes)));
}
