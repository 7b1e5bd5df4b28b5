#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

#include "massstorage/MailboxExchange.h"
#include "massstorage/MailboxState.h"
#include "tests/massstorage/MailboxFixture.h"

namespace {

constexpr std::uint32_t kPage = 2048;

// Page p holds bytes (p * 7 + i) & 0xFF.
std::vector<std::uint8_t> PagePattern(std::uint32_t page)
{
    std::vector<std::uint8_t> data(kPage);
    for (std::uint32_t i = 0; i < kPage; ++i)
        data[i] = static_cast<std::uint8_t>(page * 7 + i);
    return data;
}

class MailboxPages : public MailboxFixture {
protected:
    void FillPages(std::uint32_t first, std::uint32_t count)
    {
        for (std::uint32_t p = first; p < first + count; ++p)
            recorder.WritePage(p, PagePattern(p));
    }
};

}  // namespace

TEST_F(MailboxPages, HundredPagesTakeExchangesOf32_32_32_4)
{
    FillPages(10, 100);
    std::vector<std::uint8_t> out(100 * kPage + 1);
    // An odd address: the library bounces through its aligned buffer.
    ASSERT_TRUE(q71::ReadPages(10, out.data() + 1, 100));

    const auto& commands = device.Commands();
    ASSERT_EQ(commands.size(), 4u);
    const std::uint32_t firstPages[] = {10, 42, 74, 106};
    const std::uint16_t counts[] = {32, 32, 32, 4};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(commands[i].command, q71ReadPages);
        EXPECT_EQ(commands[i].firstPage, firstPages[i]);
        EXPECT_EQ(commands[i].count, counts[i]);
        EXPECT_EQ(commands[i].partSize, kPage);
        EXPECT_EQ(commands[i].step, 1);
        EXPECT_EQ(commands[i].offset, 0);
    }
    EXPECT_EQ(device.Count().bytesRead, 100u * kPage);
    for (std::uint32_t p = 0; p < 100; ++p)
        ASSERT_TRUE(
            std::equal(out.begin() + 1 + p * kPage, out.begin() + 1 + (p + 1) * kPage, PagePattern(10 + p).begin()))
            << "page " << p;
}

TEST_F(MailboxPages, WritesGoInChunksOf64KiBWithAStatusSectorEach)
{
    std::vector<std::uint8_t> data(40 * kPage);
    for (std::uint32_t p = 0; p < 40; ++p)
        std::copy_n(PagePattern(p).begin(), kPage, data.begin() + p * kPage);
    ASSERT_TRUE(q71::WritePages(128, data.data(), 40));

    const auto& commands = device.Commands();
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0].firstPage, 128u);
    EXPECT_EQ(commands[0].count, 32);
    EXPECT_EQ(commands[1].firstPage, 160u);
    EXPECT_EQ(commands[1].count, 8);
    EXPECT_EQ(commands[0].command, q71WritePages);
    EXPECT_EQ(device.Count().writes, 4u);  // two command sectors, two data runs
    EXPECT_EQ(device.Count().reads, 2u);   // two status sectors
    for (std::uint32_t p = 0; p < 40; ++p) {
        const auto page = recorder.ReadPage(128 + p);
        ASSERT_TRUE(std::equal(page.begin(), page.begin() + kPage, PagePattern(p).begin())) << "page " << p;
    }
}

TEST_F(MailboxPages, PartsAreReadByWholePages)
{
    FillPages(0, 4);
    std::vector<std::uint8_t> out(60 + 8, 0xEE);
    ASSERT_TRUE(q71::ReadPartsOfPages(1, 3, 100, 20, 1, out.data()));

    ASSERT_EQ(device.Commands().size(), 1u);
    const auto& command = device.Commands()[0];
    EXPECT_EQ(command.count, 102);
    EXPECT_EQ(command.partSize, 20);
    EXPECT_EQ(command.offset, 100);
    EXPECT_EQ(command.step, 1);
    EXPECT_EQ(device.Count().bytesRead, 2048u);
    for (std::uint32_t i = 0; i < 3; ++i)
        EXPECT_TRUE(std::equal(out.begin() + i * 20, out.begin() + (i + 1) * 20, PagePattern(1 + i).begin() + 100))
            << "part " << i;
    EXPECT_EQ(out[60], 0xEE) << "nothing beyond the 60 bytes asked for";
}

// 65,536 is no multiple of 48: every exchange must hand on exactly the
// parts it carried, or all later parts shift.
TEST_F(MailboxPages, PartsAcrossExchangesStayPacked)
{
    constexpr std::uint16_t kPart = 48, kCount = 1500, kStep = 2;
    for (std::uint32_t i = 0; i < kCount; ++i) {
        std::vector<std::uint8_t> page(kPage, 0xFF);
        for (std::uint32_t b = 0; b < kPart; ++b)
            page[16 + b] = static_cast<std::uint8_t>(i * 3 + b);
        recorder.WritePage(i * kStep, page);
    }
    std::vector<std::uint8_t> out(std::size_t{kPart} * kCount);
    ASSERT_TRUE(q71::ReadPartsOfPages(0, kCount, 16, kPart, kStep, out.data()));

    const auto& commands = device.Commands();
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0].count, 65536 / kPart);
    EXPECT_EQ(commands[1].firstPage, std::uint32_t{65536 / kPart} * kStep);
    // 72,000 bytes rounded up to 36 pages: 73,728 bytes = 1536 parts in all.
    EXPECT_EQ(commands[0].count + commands[1].count, 1536);
    for (std::uint32_t i = 0; i < kCount; ++i)
        for (std::uint32_t b = 0; b < kPart; ++b)
            ASSERT_EQ(out[i * kPart + b], static_cast<std::uint8_t>(i * 3 + b)) << "part " << i << " byte " << b;
}

TEST_F(MailboxPages, ZeroLengthCallsMakeNoExchange)
{
    std::uint8_t buffer[16] = {};
    EXPECT_TRUE(q71::ReadPages(0, buffer, 0));
    EXPECT_TRUE(q71::WritePages(0, buffer, 0));
    EXPECT_TRUE(q71::ReadPartsOfPages(0, 0, 0, 20, 1, buffer));
    EXPECT_TRUE(q71::ReadPartsOfPages(0, 5, 0, 0, 1, buffer));
    EXPECT_EQ(device.Count().reads + device.Count().writes, 0u);
}

TEST_F(MailboxPages, EraseSendsThePageNumberUnchanged)
{
    FillPages(128, 2);
    ASSERT_TRUE(q71::BlockErase(128));
    ASSERT_EQ(device.Commands().size(), 1u);
    EXPECT_EQ(device.Commands()[0].command, q71EraseBlock);
    EXPECT_EQ(device.Commands()[0].firstPage, 128u);
    EXPECT_EQ(recorder.StoredPageCount(), 0u);
}

// A failure anywhere in a call gives 0 and no further exchange: the rest
// would be written to or read into the wrong place unnoticed.
TEST_F(MailboxPages, FirstFailureStopsTheCall)
{
    struct Case {
        const char* name;
        std::uint32_t failedTransfer;
        bool shortRead;
        std::size_t exchanges;
    };
    const Case cases[] = {
        {"command sector of the second chunk", 3, false, 1},
        {"data of the second chunk", 4, false, 2},
        {"short read of the first chunk", 2, true, 1},
    };
    std::vector<std::uint8_t> buffer(100 * kPage);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        device.ClearLog();
        if (c.shortRead)
            device.ShortRead(1);
        else
            device.FailTransfer(c.failedTransfer);
        EXPECT_FALSE(q71::ReadPages(0, buffer.data(), 100));
        EXPECT_EQ(device.Commands().size(), c.exchanges);
        device.ShortRead(0);
        device.FailTransfer(0);
    }

    device.ClearLog();
    device.FailTransfer(3);  // status sector of the first write chunk
    EXPECT_FALSE(q71::WritePages(0, buffer.data(), 100));
    EXPECT_EQ(device.Commands().size(), 1u);

    device.ClearLog();
    device.FailTransfer(2);
    EXPECT_FALSE(q71::ReadPartsOfPages(0, 3, 0, 20, 1, buffer.data()));
    device.FailTransfer(2);
    EXPECT_FALSE(q71::BlockErase(0));
}

// Every transfer below is one command on the USB mass-storage link.
TEST_F(MailboxPages, TransfersPer64KiBReadAndPer128PageWrite)
{
    std::vector<std::uint8_t> buffer(128 * kPage);
    ASSERT_TRUE(q71::ReadPages(0, buffer.data(), 32));
    EXPECT_EQ(device.Count().exchanges, 1u);
    EXPECT_EQ(device.Count().writes, 1u);  // the command sector
    EXPECT_EQ(device.Count().reads, 1u);   // 64 KiB of pages

    device.ClearLog();
    ASSERT_TRUE(q71::WritePages(0, buffer.data(), 128));
    EXPECT_EQ(device.Count().exchanges, 4u);
    EXPECT_EQ(device.Count().writes, 8u);  // command sector and 64 KiB of data, four times
    EXPECT_EQ(device.Count().reads, 4u);   // a status sector each
}

namespace {

// A transport straight onto a simulated disk, as a pass-through tool would
// have one: no mailbox file, no library state.
class DeviceTransport final : public q71::TMailboxTransport {
public:
    explicit DeviceTransport(SimMailboxDevice& device) : m_device(device) {}
    bool ReadSectors(void* buffer, std::size_t length) override
    {
        return m_device.Read(buffer, length, 0) == static_cast<std::int64_t>(length);
    }
    bool WriteSectors(const void* data, std::size_t length) override
    {
        return m_device.Write(data, length, 0) == static_cast<std::int64_t>(length);
    }

private:
    SimMailboxDevice& m_device;
};

}  // namespace

TEST(MailboxExchangeObject, PagesMoveOverAnyTransportWithoutTheLibrarysState)
{
    SimRecorder recorder{MailboxTestGeometry(), SimPageStride::PageOnly};
    SimMailboxDevice device{&recorder, 4096};
    DeviceTransport transport(device);
    TAlignedBuffer buffer(q71::kMaxExchangeBytes, 4096);
    q71::TMailboxExchange exchange(buffer, device.SectorSize(), transport);

    std::vector<std::uint8_t> pages(40 * kPage);
    for (std::uint32_t p = 0; p < 40; ++p)
        std::copy_n(PagePattern(p).begin(), kPage, pages.begin() + p * kPage);
    ASSERT_TRUE(exchange.WritePages(kPage, 64, pages.data(), 40));
    std::vector<std::uint8_t> back(pages.size());
    ASSERT_TRUE(exchange.ReadPages(kPage, 64, back.data(), 40));
    EXPECT_EQ(back, pages);

    std::vector<std::uint8_t> parts(3 * 16);
    ASSERT_TRUE(exchange.ReadPartsOfPages(kPage, 64, 3, 100, 16, 2, parts.data()));
    for (std::uint32_t i = 0; i < 3; ++i)
        EXPECT_TRUE(std::equal(parts.begin() + i * 16, parts.begin() + (i + 1) * 16, PagePattern(2 * i).begin() + 100))
            << "part " << i;

    ASSERT_TRUE(exchange.BlockErase(64));
    ASSERT_TRUE(exchange.ReadPages(kPage, 64, back.data(), 1));
    EXPECT_TRUE(std::all_of(back.begin(), back.begin() + kPage, [](std::uint8_t b) { return b == 0xFF; }));
    EXPECT_EQ(q71::MailboxState().handle, -1) << "the library's own mailbox was never opened";
}
