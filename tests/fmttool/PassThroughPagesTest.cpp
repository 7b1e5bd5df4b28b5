#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <vector>

#include "fmttool/Q71VendorCdb.h"
#include "tests/fmttool/PassThroughFixture.h"
#include "tests/support/ParamName.h"

using namespace passthrough;

namespace {

constexpr std::uint32_t kPage = 2048;
constexpr std::uint8_t kRead10 = 0x28;

// Page p holds bytes (p * 7 + i) & 0xFF.
std::vector<std::uint8_t> PagePattern(std::uint32_t page, std::uint32_t size = kPage)
{
    std::vector<std::uint8_t> data(size);
    for (std::uint32_t i = 0; i < size; ++i)
        data[i] = static_cast<std::uint8_t>(page * 7 + i);
    return data;
}

class PassThroughPages : public PassThroughFixture {
protected:
    void SetUp() override { Connect(); }

    void FillPages(std::uint32_t first, std::uint32_t count)
    {
        for (std::uint32_t p = first; p < first + count; ++p)
            recorder.WritePage(p, PagePattern(p));
    }

    std::vector<TCdb> Cdbs() const
    {
        std::vector<TCdb> cdbs;
        for (const auto& command : device.Commands())
            cdbs.push_back(command.cdb);
        return cdbs;
    }
};

}  // namespace

TEST_F(PassThroughPages, SixtyFourPagesAt2048ByteSectorsTakeTwoRead10OfThirtyTwoSectors)
{
    FillPages(5, 64);
    std::vector<std::uint8_t> out(64 * kPage);
    ASSERT_TRUE(Q71_ReadPages(5, out.data(), 64)) << LastFailure().Describe();

    EXPECT_EQ(Cdbs(), (std::vector<TCdb>{Read10Cdb(5, 32), Read10Cdb(37, 32)}));
    for (std::uint32_t p = 0; p < 64; ++p)
        ASSERT_TRUE(std::equal(out.begin() + p * kPage, out.begin() + (p + 1) * kPage, PagePattern(5 + p).begin()))
            << "page " << p;
}

TEST(PassThroughLargeRead, PastSixtyFiveThousandSectorsIsSplitNotWrapped)
{
    SimGeometry geometry = PassThroughTestGeometry();
    geometry.blocksPerChip = 256;
    geometry.pagesPerBlock = 128;
    SimRecorder recorder(geometry, SimPageStride::PageOnly);
    SimScsiDevice device(&recorder, 512);
    SimScsiDeviceIo nodes;
    nodes.AddNode("/dev/sg0", &device);
    std::optional<std::string> path;
    ASSERT_TRUE(Q71_IsConnected(path));
    recorder.WritePage(19999, PagePattern(19999));
    device.ClearLog();

    // 20,000 pages of four sectors: 80,000 sectors, more than 16 bits count.
    std::vector<std::uint8_t> out(20000u * kPage);
    ASSERT_TRUE(Q71_ReadPages(0, out.data(), 20000)) << LastFailure().Describe();

    const auto& commands = device.Commands();
    ASSERT_EQ(commands.size(), 625u);  // 128 sectors (64 KiB) each
    EXPECT_EQ(commands.front().cdb, Read10Cdb(0, 128));
    EXPECT_EQ(commands.back().cdb, Read10Cdb(79872, 128));
    EXPECT_TRUE(std::equal(out.end() - kPage, out.end(), PagePattern(19999).begin()));
}

TEST_F(PassThroughPages, WritesGoInThirtyTwoPageCommandsAndReplaceThePages)
{
    recorder.WritePage(3, std::vector<std::uint8_t>(kPage, 0x00));
    std::vector<std::uint8_t> data;
    for (std::uint32_t p = 0; p < 40; ++p) {
        const auto page = PagePattern(100 + p);
        data.insert(data.end(), page.begin(), page.end());
    }
    const auto spareBefore = recorder.ReadPage(3);

    ASSERT_TRUE(Q71_WritePages(0, data.data(), 40)) << LastFailure().Describe();

    EXPECT_EQ(Cdbs(),
              (std::vector<TCdb>{Q71VendorCdb::WritePages(0, 32).Bytes(), Q71VendorCdb::WritePages(32, 8).Bytes()}));
    EXPECT_EQ(device.Commands()[0].length, 32 * kPage);
    EXPECT_EQ(device.Commands()[1].length, 8 * kPage);
    for (std::uint32_t p = 0; p < 40; ++p) {
        const auto raw = recorder.ReadPage(p);
        ASSERT_TRUE(std::equal(raw.begin(), raw.begin() + kPage, PagePattern(100 + p).begin())) << "page " << p;
    }
    // The data area is replaced, not ANDed into the old bytes; the spare stays.
    const auto after = recorder.ReadPage(3);
    EXPECT_TRUE(std::equal(after.begin() + kPage, after.end(), spareBefore.begin() + kPage));
}

TEST_F(PassThroughPages, PartReadsMoveExactlyTheRequestedParts)
{
    FillPages(10, 6);
    std::vector<std::uint8_t> out(61, 0xEE);
    ASSERT_TRUE(Q71_ReadPartsOfPages(10, 3, 100, 20, 2, out.data())) << LastFailure().Describe();

    ASSERT_EQ(device.Commands().size(), 1u);
    EXPECT_EQ(device.Commands()[0].cdb, Q71VendorCdb::ReadParts(10, 3, 20, 2, 100).Bytes());
    EXPECT_EQ(device.Commands()[0].length, 60u);
    for (std::uint32_t i = 0; i < 3; ++i) {
        const auto page = PagePattern(10 + 2 * i);
        EXPECT_TRUE(std::equal(out.begin() + i * 20, out.begin() + (i + 1) * 20, page.begin() + 100)) << "part " << i;
    }
    EXPECT_EQ(out[60], 0xEE);
}

TEST_F(PassThroughPages, PartReadsSplitAtSixtyFourKiBAndAdvanceByPartsTimesStep)
{
    FillPages(0, 200);
    std::vector<std::uint8_t> out(100 * 1024);
    ASSERT_TRUE(Q71_ReadPartsOfPages(1, 100, 512, 1024, 2, out.data())) << LastFailure().Describe();

    EXPECT_EQ(Cdbs(), (std::vector<TCdb>{Q71VendorCdb::ReadParts(1, 64, 1024, 2, 512).Bytes(),
                                         Q71VendorCdb::ReadParts(129, 36, 1024, 2, 512).Bytes()}));
    const auto last = PagePattern(1 + 99 * 2);
    EXPECT_TRUE(std::equal(out.end() - 1024, out.end(), last.begin() + 512));
}

TEST_F(PassThroughPages, PartSizeZeroIsRefusedAndPartSizeOneKeepsTheCountInSixteenBits)
{
    std::uint8_t out[8];
    EXPECT_FALSE(Q71_ReadPartsOfPages(0, 8, 0, 0, 1, out));
    EXPECT_EQ(LastFailure().kind, TScsiFailure::Kind::Refused);
    EXPECT_TRUE(device.Commands().empty());

    std::vector<std::uint8_t> bytes(65535);
    ASSERT_TRUE(Q71_ReadPartsOfPages(0, 65535, 7, 1, 0, bytes.data())) << LastFailure().Describe();
    ASSERT_EQ(device.Commands().size(), 1u);
    EXPECT_EQ(device.Commands()[0].cdb, Q71VendorCdb::ReadParts(0, 65535, 1, 0, 7).Bytes());
}

TEST_F(PassThroughPages, NothingToMoveSendsNothingAndSucceeds)
{
    std::uint8_t buffer[1];
    EXPECT_TRUE(Q71_ReadPages(0, buffer, 0));
    EXPECT_TRUE(Q71_WritePages(0, buffer, 0));
    EXPECT_TRUE(Q71_ReadPartsOfPages(0, 0, 0, 16, 1, buffer));
    EXPECT_TRUE(device.Commands().empty());
}

TEST_F(PassThroughPages, AddressesBeyondThirtyTwoBitsAreRefusedUnsent)
{
    std::vector<std::uint8_t> buffer(2 * kPage);
    EXPECT_FALSE(Q71_ReadPages(0xFFFFFFFF, buffer.data(), 2));
    EXPECT_EQ(LastFailure().kind, TScsiFailure::Kind::Refused);
    EXPECT_FALSE(Q71_WritePages(0xFFFFFFFF, buffer.data(), 2));
    EXPECT_FALSE(Q71_ReadPartsOfPages(0xFFFFFFF0, 3, 0, 16, 0x10, buffer.data()));
    EXPECT_TRUE(device.Commands().empty());
}

TEST(PassThroughUnidentified, PageFunctionsRefuseWithoutARecorder)
{
    SimScsiDeviceIo nodes;
    std::vector<std::uint8_t> buffer(kPage);
    EXPECT_FALSE(Q71_ReadPages(0, buffer.data(), 1));
    EXPECT_EQ(LastFailure().kind, TScsiFailure::Kind::NoDevice);
    EXPECT_FALSE(Q71_WritePages(0, buffer.data(), 1));
    EXPECT_FALSE(Q71_ReadPartsOfPages(0, 1, 0, 16, 1, buffer.data()));
    EXPECT_FALSE(Q71_SendI2C(buffer.data(), 6));
    EXPECT_EQ(nodes.OpenCount(), 0u);
}

namespace {

struct StopCase {
    const char* name;
    std::function<bool(std::uint8_t*)> transfer;
};

void PrintTo(const StopCase& c, std::ostream* os)
{
    *os << c.name;
}

class PassThroughTransferStops : public PassThroughPages, public ::testing::WithParamInterface<StopCase> {};

// Each moves four commands' worth: 100 pages or parts of 2048 bytes.
const StopCase kStopCases[] = {
    {"read pages", [](std::uint8_t* buffer) { return Q71_ReadPages(0, buffer, 100); }},
    {"write pages", [](std::uint8_t* buffer) { return Q71_WritePages(0, buffer, 100); }},
    {"read parts", [](std::uint8_t* buffer) { return Q71_ReadPartsOfPages(0, 100, 0, 2048, 1, buffer); }},
};

}  // namespace

TEST_P(PassThroughTransferStops, AtItsFirstFailedCommand)
{
    std::vector<std::uint8_t> buffer(100 * kPage);
    ASSERT_TRUE(GetParam().transfer(buffer.data()));
    EXPECT_EQ(device.Commands().size(), 4u);

    for (std::uint32_t failing = 1; failing <= 4; ++failing) {
        device.ClearLog();
        device.CheckCondition(failing, 0x03, 0x11);
        EXPECT_FALSE(GetParam().transfer(buffer.data()));
        EXPECT_EQ(device.Commands().size(), failing);
        EXPECT_EQ(LastFailure().kind, TScsiFailure::Kind::Status);
        EXPECT_EQ(LastFailure().SenseKey(), 0x03);
    }
    device.ClearLog();
    device.TimeOut(2);
    EXPECT_FALSE(GetParam().transfer(buffer.data()));
    EXPECT_EQ(device.Commands().size(), 2u);
    EXPECT_TRUE(LastFailure().IsTimeout());
}

INSTANTIATE_TEST_SUITE_P(EveryTransfer, PassThroughTransferStops, ::testing::ValuesIn(kStopCases), PrintedParamName());

TEST_F(PassThroughPages, WeakBlockReadsBackOtherThanWritten)
{
    device.WeakBlock(2);
    const auto data = PagePattern(1);
    std::vector<std::uint8_t> back(kPage);
    for (const std::uint32_t page : {64u, 128u}) {
        ASSERT_TRUE(Q71_WritePages(page, data.data(), 1));
        ASSERT_TRUE(Q71_ReadPages(page, back.data(), 1));
        EXPECT_EQ(back == data, page != 128) << "page " << page;
    }
}
