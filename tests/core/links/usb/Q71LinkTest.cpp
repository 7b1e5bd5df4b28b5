#include <gtest/gtest.h>

#include <QFile>
#include <numeric>
#include <vector>

#include "core/links/LinkGeometry.h"
#include "core/links/usb/Q71Library.h"
#include "core/links/usb/Q71Link.h"
#include "core/links/usb/Q71LocalCommand.h"
#include "core/protocol/DebugLog.h"
#include "core/protocol/RecXchange.h"
#include "core/protocol/RecorderCommands.h"
#include "tests/support/InProcessQ71Library.h"
#include "tests/support/SimMailboxDevice.h"
#include "tests/support/SimMailboxFileIo.h"
#include "tests/support/SimRecorder.h"
#include "tests/support/TempDir.h"

namespace {

constexpr std::uint32_t kPage = 2048;

SimGeometry Recorder8192()
{
    SimGeometry geometry;
    geometry.chips = 1;
    geometry.blocksPerChip = 8192;
    geometry.pagesPerBlock = 64;
    geometry.pageSize = kPage;
    geometry.spareBytes = 64;
    return geometry;
}

std::vector<std::uint8_t> PagePattern(std::uint32_t page)
{
    std::vector<std::uint8_t> data(kPage);
    for (std::uint32_t i = 0; i < kPage; ++i)
        data[i] = static_cast<std::uint8_t>(page * 5 + i * 3);
    return data;
}

std::vector<std::uint8_t> PartsRequest(std::uint32_t pageAddr, std::uint16_t offset, std::uint16_t count,
                                       std::uint16_t addrInc, std::uint16_t cycles)
{
    PartsOfPagesRequest request;
    request.pageAddr = pageAddr;
    request.offset = offset;
    request.count = count;
    request.addrInc = addrInc;
    request.cycles = cycles;
    std::vector<std::uint8_t> bytes(PartsOfPagesRequest::kSize);
    request.Serialize(bytes.data());
    return bytes;
}

// A recorder of 1 x 8192 blocks x 64 pages that counts 2048 blocks of its
// own, behind the device library running in-process.
class Q71LinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetLinkGeometry();
        ResetQ71Link();
        SetQ71Library(InProcessQ71Library());
        recorder.SetReportedBlockCount(2048);
        files.AddCandidate("/media/rec/service.dat", &device);
    }
    // GET_VOLT raises "I/O Error" with its code and leaves the caller's reply
    // buffer as it was.
    static void ExpectVoltageReadFailsUntouched()
    {
        std::uint8_t reply[2] = {0xAB, 0xCD};
        try {
            Q71Execute(cmdGetVolt, nullptr, 0, reply, sizeof reply, 300);
            ADD_FAILURE() << "no exception";
        } catch (const TERecXchange& e) {
            EXPECT_EQ(e.Text, QStringLiteral("I/O Error"));
            EXPECT_EQ(e.Code, cmdGetVolt);
        }
        EXPECT_EQ(reply[0], 0xAB);
        EXPECT_EQ(reply[1], 0xCD);
    }

    void TearDown() override
    {
        ResetQ71Library();
        ResetQ71Link();
        ResetLinkGeometry();
        ResetDebugLog();
    }

    void Probe()
    {
        ASSERT_TRUE(Q71Probe());
        device.ClearLog();
    }

    std::vector<std::uint8_t> Execute(std::uint8_t code, const std::vector<std::uint8_t>& request,
                                      std::uint32_t replyLength)
    {
        std::vector<std::uint8_t> reply(replyLength);
        Q71Execute(code, request.data(), static_cast<std::uint32_t>(request.size()), reply.data(), replyLength, 300);
        return reply;
    }

    SimRecorder recorder{Recorder8192(), SimPageStride::PageOnly};
    SimMailboxDevice device{&recorder, 2048};
    SimMailboxFileIo files;
};

}  // namespace

TEST_F(Q71LinkTest, ProbeGroupsFourPhysicalBlocksIntoOneRecorderBlock)
{
    ASSERT_TRUE(Q71Probe());
    EXPECT_EQ(Q71LinkState().BlockGroupFactor, 4);
    EXPECT_EQ(Q71LinkState().DeviceText, QStringLiteral("ECDA109544"));
    EXPECT_EQ(LinkGeometry.chipCount, 1);
    EXPECT_EQ(LinkGeometry.blocksPerChip, 8192u);
    EXPECT_EQ(LinkGeometry.pagesPerBlock, 64u);
    EXPECT_EQ(LinkGeometry.pageSize, kPage);
    EXPECT_EQ(LinkGeometry.spareSize, 64);
    EXPECT_EQ(LinkGeometry.pageStride, kPage) << "no spare bytes over this link";
    EXPECT_EQ(LinkGeometry.blockStride, 64u * kPage);
    EXPECT_EQ(recorder.CommandCount(cmdGetBlockCount), 1u);

    const auto reply = Execute(cmdGetFlashParam, {}, 7);
    EXPECT_EQ(reply[0], 1);
    EXPECT_EQ(GetU16(&reply[1]), 256) << "pages per recorder block";
    EXPECT_EQ(GetU16(&reply[3]), 2048) << "recorder blocks";
    EXPECT_EQ(GetU16(&reply[5]), kPage);
}

TEST(Q71BlockGroupFactor, ValidFactorsOnlyWithTheDefaultCountAsFallback)
{
    struct Case {
        std::uint32_t totalBlocks;
        std::optional<std::uint16_t> reply;  // none: command 73 failed
        std::uint8_t factor;                 // 0: no valid factor
    };
    const Case cases[] = {
        {8192, 2048, 4},
        {8192, std::nullopt, 4},
        {1024, std::nullopt, 1},  // fewer blocks than the default count
        {8192, 0, 4},             // no division by zero
        {8192, 16384, 4},         // a ratio of 0 would address page 0
        {8192, 16, 4},            // 512 does not fit 8 bits
        {8160, 32, 255},
        {255u * 65535u, 1, 0},  // no answer fits, nor does the fallback
        {600000, std::nullopt, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.totalBlocks << " / " << (c.reply ? int(*c.reply) : -1));
        EXPECT_EQ(BlockGroupFactorFor(c.totalBlocks, c.reply ? &*c.reply : nullptr), c.factor);
    }
}

TEST_F(Q71LinkTest, UnansweredBlockCountFallsBackAndNoValidFactorFailsTheProbe)
{
    device.LeaveUnanswered(cmdGetBlockCount);
    ASSERT_TRUE(Q71Probe());
    EXPECT_EQ(Q71LinkState().BlockGroupFactor, 4);

    SimGeometry huge = Recorder8192();
    huge.chips = 255;
    huge.blocksPerChip = 65535;
    huge.pagesPerBlock = 1;
    SimRecorder big(huge, SimPageStride::PageOnly);
    big.SetReportedBlockCount(1);
    SimMailboxDevice bigDevice(&big, 2048);
    SimMailboxFileIo bigFiles;
    bigFiles.AddCandidate("/media/big/service.dat", &bigDevice);
    EXPECT_FALSE(Q71Probe());
}

TEST_F(Q71LinkTest, ProbeFailsWithoutADevice)
{
    device.Unplug();
    EXPECT_FALSE(Q71Probe());
}

TEST_F(Q71LinkTest, PartsAtOffsetZeroAreReadAsWholeSectorsOfParts)
{
    for (std::uint32_t p = 100; p < 106; ++p)
        recorder.WritePage(p, PagePattern(p));
    Probe();
    const auto reply = Execute(cmdGetPartsOfPages, PartsRequest(100, 0, 20, 2, 3), 60);

    ASSERT_EQ(device.Commands().size(), 1u);
    EXPECT_EQ(device.Commands()[0].partSize, 512) << "3 x 512 is the first multiple of 512";
    EXPECT_EQ(device.Commands()[0].step, 2);
    for (std::uint32_t i = 0; i < 3; ++i)
        EXPECT_TRUE(std::equal(reply.begin() + i * 20, reply.begin() + (i + 1) * 20, PagePattern(100 + 2 * i).begin()))
            << "cycle " << i;
}

TEST_F(Q71LinkTest, PartsOverThePageEndJoinTheTailAndTheNextPagesHead)
{
    for (std::uint32_t p = 200; p < 210; ++p)
        recorder.WritePage(p, PagePattern(p));
    Probe();
    const auto reply = Execute(cmdGetPartsOfPages, PartsRequest(200, kPage - 8, 20, 3, 3), 60);

    ASSERT_EQ(device.Commands().size(), 2u);
    EXPECT_EQ(device.Commands()[0].firstPage, 200u);
    EXPECT_EQ(device.Commands()[0].offset, kPage - 8);
    EXPECT_EQ(device.Commands()[1].firstPage, 201u);
    EXPECT_EQ(device.Commands()[1].offset, 0);
    for (std::uint32_t i = 0; i < 3; ++i) {
        const auto page = PagePattern(200 + 3 * i), next = PagePattern(201 + 3 * i);
        EXPECT_TRUE(std::equal(reply.begin() + i * 20, reply.begin() + i * 20 + 8, page.end() - 8)) << "cycle " << i;
        EXPECT_TRUE(std::equal(reply.begin() + i * 20 + 8, reply.begin() + (i + 1) * 20, next.begin()))
            << "cycle " << i;
    }
}

TEST_F(Q71LinkTest, PartsEndingAtThePageEndTakeOneCall)
{
    for (std::uint32_t p = 0; p < 3; ++p)
        recorder.WritePage(p, PagePattern(p));
    Probe();
    const auto reply = Execute(cmdGetPartsOfPages, PartsRequest(0, 0, kPage, 1, 3), 3 * kPage);
    ASSERT_EQ(device.Commands().size(), 1u);
    EXPECT_EQ(device.Commands()[0].partSize, kPage);
    EXPECT_TRUE(std::equal(reply.begin() + kPage, reply.begin() + 2 * kPage, PagePattern(1).begin()));
}

TEST(Q71PartRounding, SmallestMultipleOf512OverTheCycles)
{
    EXPECT_EQ(RoundPartForCycles(20, 3), 512u);
    EXPECT_EQ(RoundPartForCycles(20, 256), 20u);
    EXPECT_EQ(RoundPartForCycles(21, 256), 22u);
    EXPECT_EQ(RoundPartForCycles(8, 2), 256u);
    EXPECT_EQ(RoundPartForCycles(0, 3), 0u);
}

TEST_F(Q71LinkTest, BlockWriteCoversTheGroupInRunsOf128Pages)
{
    Probe();
    const std::uint32_t pages = 256;
    std::vector<std::uint8_t> request(2 + pages * kPage);
    PutU16(request.data(), 3);
    for (std::uint32_t p = 0; p < pages; ++p)
        std::copy_n(PagePattern(p).begin(), kPage, request.begin() + 2 + p * kPage);
    Execute(cmdWriteBlock, request, 0);

    // Two runs of 128 pages, each four exchanges of 32 pages.
    ASSERT_EQ(device.Commands().size(), 8u);
    EXPECT_EQ(device.Commands()[0].firstPage, 3u * 256);
    EXPECT_EQ(device.Commands()[4].firstPage, 3u * 256 + 128);
    for (std::uint32_t p = 0; p < pages; p += 51) {
        const auto stored = recorder.ReadPage(3 * 256 + p);
        EXPECT_TRUE(std::equal(stored.begin(), stored.begin() + kPage, PagePattern(p).begin())) << "page " << p;
    }
}

TEST_F(Q71LinkTest, EraseWritePageAndBeginWritePage)
{
    Probe();
    std::vector<std::uint8_t> block(2);
    PutU16(block.data(), 5);
    EXPECT_EQ(Execute(cmdEraseBlock, block, 2), block);
    ASSERT_EQ(device.Commands().size(), 4u);
    for (std::uint32_t i = 0; i < 4; ++i)
        EXPECT_EQ(device.Commands()[i].firstPage, 5u * 256 + i * 64);

    device.ClearLog();
    std::vector<std::uint8_t> begin(4);
    PutU32(begin.data(), 70000);
    EXPECT_EQ(Execute(cmdBeginWritePage, begin, 4), begin);
    EXPECT_TRUE(device.Commands().empty());

    std::vector<std::uint8_t> write(4 + kPage);
    PutU32(write.data(), 70000);
    std::copy_n(PagePattern(9).begin(), kPage, write.begin() + 4);
    EXPECT_EQ(Execute(cmdWritePage, write, 4), begin);
    const auto stored = recorder.ReadPage(70000);
    EXPECT_TRUE(std::equal(stored.begin(), stored.begin() + kPage, PagePattern(9).begin()));
}

TEST_F(Q71LinkTest, FrameCommandsTravelOverTheByteChannel)
{
    Probe();
    const auto reply = Execute(cmdGetVolt, {}, 2);
    EXPECT_EQ(GetU16(reply.data()), recorder.Voltage());
    EXPECT_EQ(device.Commands().size(), 2u);
}

// An unanswered command reads its reply sector as zeros, whose CRC from 0
// is 0: only the marker and code tell it from an answer, so this link checks
// them besides the CRC (the adapter link, where silence is a time-out,
// checks length and CRC only).
TEST_F(Q71LinkTest, ASilentOrDamagedReplyRaisesAndLeavesTheBufferAlone)
{
    Probe();
    for (SimFaultKind fault : {SimFaultKind::Silence, SimFaultKind::BadCrc, SimFaultKind::ShortReply}) {
        SCOPED_TRACE(static_cast<int>(fault));
        recorder.InjectFault({fault, 0, 1, cmdGetVolt});
        ExpectVoltageReadFailsUntouched();
        EXPECT_EQ(GetU16(Execute(cmdGetVolt, {}, 2).data()), recorder.Voltage()) << "the next command is answered";
    }
}

// A receive the library reports failed is no answer, whatever its buffer
// holds: here the reply itself, whole and with a good CRC.
TEST_F(Q71LinkTest, AFailedReceiveRaisesThoughTheBufferHoldsAGoodReply)
{
    Probe();
    SetQ71Library(InProcessQ71LibraryFailingReceives());
    ExpectVoltageReadFailsUntouched();
    SetQ71Library(InProcessQ71Library());
    EXPECT_EQ(GetU16(Execute(cmdGetVolt, {}, 2).data()), recorder.Voltage()) << "the next command is answered";
}

// A failed page function is a failed command: an unplug during an upload
// must not count as written, nor a failed read feed garbage to the scan.
TEST_F(Q71LinkTest, FailedLocalCommandsRaiseIoErrorWithAFailedLine)
{
    TempDir dir;
    DebugLogState().FileName = dir.File("debug.log");
    DebugLogState().DebugLevel = 1;
    Probe();

    std::vector<std::uint8_t> block(2 + 256 * kPage);
    std::vector<std::uint8_t> page(4 + kPage);
    std::vector<std::uint8_t> erase(2);
    struct Case {
        std::uint8_t code;
        std::vector<std::uint8_t> request;
        std::uint32_t replyLength;
        std::uint32_t failedTransfer;
    };
    const Case cases[] = {
        {cmdWriteBlock, block, 0, 14},  // data of the second run
        {cmdWritePage, page, 4, 2},
        {cmdEraseBlock, erase, 2, 5},
        {cmdGetPartsOfPages, PartsRequest(0, 0, 20, 1, 3), 60, 2},
    };
    int failures = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.code));
        device.FailTransfer(c.failedTransfer);
        try {
            Execute(c.code, c.request, c.replyLength);
            ADD_FAILURE() << "no exception";
        } catch (const TERecXchange& e) {
            ++failures;
            EXPECT_EQ(e.Text, QStringLiteral("I/O Error"));
            EXPECT_EQ(e.Code, c.code);
            EXPECT_EQ(e.Extra, 0);
        }
        device.FailTransfer(0);
    }
    QFile log(QString::fromStdString(DebugLogState().FileName));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(log.readAll()).count(QStringLiteral("FAILED!!!")), failures);
}

TEST_F(Q71LinkTest, SetDefaultOnADeadChannelRaises)
{
    Probe();
    device.Unplug();
    try {
        Q71Execute(cmdSetDefault, nullptr, 0, nullptr, 0, 300);
        FAIL() << "no exception";
    } catch (const TERecXchange& e) {
        EXPECT_EQ(e.Text, QStringLiteral("I/O Error"));
        EXPECT_EQ(e.Code, cmdSetDefault);
    }
}

TEST_F(Q71LinkTest, FramesThatDoNotFitTheLengthByteAreRefused)
{
    Probe();
    const std::vector<std::uint8_t> longRequest(250);
    EXPECT_THROW(Execute(cmdSetAon, longRequest, 0), TERecXchange);
    EXPECT_THROW(Execute(cmdGetAon, {}, 250), TERecXchange);
    EXPECT_TRUE(device.Commands().empty()) << "nothing cut short was sent";
    // 249 + 6 = 255 still fits.
    EXPECT_NO_THROW(Execute(cmdSetAon, std::vector<std::uint8_t>(249), 0));
}

TEST_F(Q71LinkTest, ShortPendingReplyFailsAndIsDropped)
{
    Probe();
    std::vector<std::uint8_t> begin(4);
    EXPECT_THROW(Execute(cmdBeginWritePage, begin, 8), TERecXchange);
    EXPECT_EQ(Q71LinkState().Pending.Size(), 0u);
    EXPECT_THROW(Execute(cmdWritePage, begin, 4), TERecXchange) << "request shorter than a page";
}
