#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "core/links/Link.h"
#include "core/protocol/Crc16.h"
#include "core/protocol/RecXchange.h"
#include "core/protocol/RecorderCommands.h"
#include "core/protocol/RecorderFrame.h"

TEST(RecorderFrame, EmptyPayloadIsSixBytes)
{
    const auto frame = BuildRecorderFrame(cmdGetRtc, nullptr, 0);
    ASSERT_EQ(frame.size(), 6u);
    const std::uint8_t head[4] = {0x5A, 0x5A, 1, 0};
    const std::uint16_t crc = Crc16Update(head, 4, 0);
    EXPECT_EQ(frame, (std::vector<std::uint8_t>{0x5A, 0x5A, 1, 0, std::uint8_t(crc), std::uint8_t(crc >> 8)}));
}

TEST(RecorderFrame, LongPayloadSaturatesTheLengthByteAndKeepsEveryByte)
{
    std::vector<std::uint8_t> payload(2052);
    std::iota(payload.begin(), payload.end(), std::uint8_t{0});
    const auto frame = BuildRecorderFrame(cmdWritePage, payload.data(), payload.size());
    ASSERT_EQ(frame.size(), 2058u);
    EXPECT_EQ(frame[2], 16);
    EXPECT_EQ(frame[3], 255);
    EXPECT_TRUE(std::equal(payload.begin(), payload.end(), frame.begin() + 4));
    const std::uint16_t crc = Crc16Update(frame.data(), 2056, 0);
    EXPECT_EQ(frame[2056], crc & 0xFF);
    EXPECT_EQ(frame[2057], crc >> 8);
}

TEST(RecorderFrame, LengthByteBelowSaturation)
{
    const std::uint8_t payload[255] = {};
    EXPECT_EQ(BuildRecorderFrame(5, payload, 8)[3], 8);
    EXPECT_EQ(BuildRecorderFrame(5, payload, 255)[3], 255);
}

TEST(RecorderFrame, DecodeTakesTheLengthFromTheCommandNotTheFrame)
{
    std::vector<std::uint8_t> reply(4 + 2112);
    std::iota(reply.begin(), reply.end(), std::uint8_t{3});
    const auto frame = BuildRecorderFrame(cmdGetPartsOfPages, reply.data(), reply.size());
    std::vector<std::uint8_t> out(reply.size());
    ASSERT_TRUE(DecodeRecorderFrame(frame.data(), reply.size(), out.data()));
    EXPECT_EQ(out, reply);
}

TEST(RecorderFrame, DecodeRejectsABadCrcAndLeavesTheBufferAlone)
{
    const std::uint8_t payload[4] = {1, 2, 3, 4};
    auto frame = BuildRecorderFrame(cmdGetRtc, payload, 4);
    std::uint8_t out[4] = {9, 9, 9, 9};
    for (std::size_t i = 0; i < frame.size(); ++i) {
        auto damaged = frame;
        damaged[i] ^= 0x10;
        EXPECT_FALSE(DecodeRecorderFrame(damaged.data(), 4, out)) << "byte " << i;
    }
    EXPECT_EQ(out[0], 9);
}

TEST(RecorderFrame, ARequestAndAReplyAsWrittenOnTheWire)
{
    // CRC-16/XMODEM of 5A 5A 01 00 and of 5A 5A 07 02 EA 0B, worked out apart from the code.
    EXPECT_EQ(BuildRecorderFrame(cmdGetRtc, nullptr, 0),
              (std::vector<std::uint8_t>{0x5A, 0x5A, 0x01, 0x00, 0xAE, 0xB7}));
    const std::uint8_t reply[] = {0x5A, 0x5A, 0x07, 0x02, 0xEA, 0x0B, 0x55, 0xD4};
    std::uint8_t volts[2] = {};
    ASSERT_TRUE(DecodeRecorderReply(reply, cmdGetVolt, 2, volts));
    EXPECT_EQ(GetU16(volts), 3050);
}

// A reply counts only with the marker and the code of the command it answers.
TEST(RecorderFrame, AReplyNeedsTheMarkerAndTheCommandsCode)
{
    const std::uint8_t payload[2] = {0xEA, 0x0B};
    const auto good = BuildRecorderFrame(cmdGetVolt, payload, 2);
    auto withCrc = [](std::vector<std::uint8_t> frame) {
        const std::uint16_t crc = Crc16Update(frame.data(), 6, 0);
        frame[6] = static_cast<std::uint8_t>(crc);
        frame[7] = static_cast<std::uint8_t>(crc >> 8);
        return frame;
    };
    struct Case {
        const char* name;
        std::vector<std::uint8_t> frame;
        bool accepted;
    };
    auto changed = [&](std::size_t at, std::uint8_t value) {
        auto frame = good;
        frame[at] = value;
        return withCrc(frame);
    };
    const Case cases[] = {
        {"the reply", good, true},
        {"all zeros (nothing was answered)", std::vector<std::uint8_t>(8, 0), false},
        {"first marker byte", changed(0, 0xA5), false},
        {"second marker byte", changed(1, 0x00), false},
        {"another command's code", changed(2, cmdGetRtc), false},
        {"length byte (never trusted)", changed(3, 0x09), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::uint8_t out[2] = {0x11, 0x22};
        EXPECT_EQ(DecodeRecorderReply(c.frame.data(), cmdGetVolt, 2, out), c.accepted);
        EXPECT_EQ(out[0], c.accepted ? 0xEA : 0x11);
        EXPECT_EQ(out[1], c.accepted ? 0x0B : 0x22);
    }
}

TEST(RecorderCommands, TableLengthsAndTimeouts)
{
    const PayloadGeometry image{2112, 128};
    struct Case {
        std::uint8_t code;
        std::uint32_t request, reply, timeout, attempts;
    };
    const Case cases[] = {
        {cmdWriteBlock, 2 + 128 * 2112, 0, 5000, 5},
        {cmdGetRtc, 0, 4, 5000, 5},
        {cmdSetRtc, 4, 4, 5000, 5},
        {cmdGetProfile, 1, 8, 5000, 5},
        {cmdSetProfile, 8, 8, 5000, 5},
        {cmdGetVolt, 0, 2, 5000, 5},
        {cmdSetVas, 12, 12, 5000, 5},
        {cmdBeginWritePage, 4, 4, 5000, 5},
        {cmdWritePage, 4 + 2112, 4, 5000, 5},
        {cmdEraseBlock, 2, 2, 5000, 5},
        {cmdGetFwVer, 0, 13, 5000, 5},
        {cmdGetProdParam, 0, 8, 5000, 5},
        {cmdGetFlashParam, 0, 7, 5000, 5},
        {cmdGetAdapterId, 0, 27, 300, 5},
        {cmdSetOnceTimer, 9, 9, 5000, 5},
        {cmdSetPassword, 7, 7, 5000, 5},
        {cmdCheckPassword, 7, 1, 5000, 5},
        {cmdSetDefault, 0, 0, 300, 1},
        {cmdSetAon, 26, 26, 5000, 5},
        {cmdGetBlockCount, 0, 2, 5000, 5},
        {cmdGetFirstRecBlock, 0, 2, 5000, 5},
        {cmdSetDefNoFlashErase, 0, 0, 5000, 5},
        {cmdSetExtDevice, 1, 1, 5000, 5},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CommandRequestLength(c.code, image), c.request) << int(c.code);
        EXPECT_EQ(CommandReplyLength(c.code, image, nullptr, 0), c.reply) << int(c.code);
        EXPECT_EQ(CommandTimeoutMs(c.code), c.timeout) << int(c.code);
        EXPECT_EQ(CommandAttempts(c.code), c.attempts) << int(c.code);
    }
    // Command 42 reads with no payload and stores with the 8 battery bytes.
    EXPECT_EQ(CommandRequestLength(cmdBatteryLevels, image, false), 0u);
    EXPECT_EQ(CommandRequestLength(cmdBatteryLevels, image, true), 8u);
    EXPECT_EQ(FindRecorderCommand(3), nullptr);
    EXPECT_FALSE(CommandRequestLength(3, image).has_value());
}

TEST(RecorderCommands, SettingsComeInPairsWithOneReplyLength)
{
    for (std::uint8_t read : {4, 9, 31, 36, 39, 50, 53, 56, 67, 82, 85}) {
        const std::uint8_t store = read + 1;
        ASSERT_NE(FindRecorderCommand(store), nullptr) << int(store);
        EXPECT_EQ(CommandReplyLength(read, {}, nullptr, 0), CommandReplyLength(store, {}, nullptr, 0)) << int(read);
        EXPECT_EQ(CommandRequestLength(store, {}), CommandReplyLength(store, {}, nullptr, 0)) << int(store);
    }
}

TEST(RecorderCommands, PartsOfPagesReplyIsCountTimesCycles)
{
    const PartsOfPagesRequest request{0x12345678, 2048, 20, 64, 256};
    std::uint8_t bytes[12];
    request.Serialize(bytes);
    EXPECT_EQ(bytes[0], 0x78);
    EXPECT_EQ(bytes[3], 0x12);
    EXPECT_EQ(CommandReplyLength(cmdGetPartsOfPages, {}, bytes, 12), 20u * 256);
    EXPECT_FALSE(CommandReplyLength(cmdGetPartsOfPages, {}, bytes, 11).has_value());
    const auto parsed = PartsOfPagesRequest::Parse(bytes);
    EXPECT_EQ(parsed.pageAddr, request.pageAddr);
    EXPECT_EQ(parsed.offset, 2048);
    EXPECT_EQ(parsed.addrInc, 64);
}

TEST(RecorderCommands, WriteBlockAndEraseShareOneTraceName)
{
    EXPECT_STREQ(FindRecorderCommand(cmdWriteBlock)->traceName, "(WRITE_BLOCK) ");
    EXPECT_STREQ(FindRecorderCommand(cmdEraseBlock)->traceName, "(WRITE_BLOCK) ");
}

TEST(Link, WithoutALinkTheProbeFailsAndCommandsRaise)
{
    ResetLink();
    EXPECT_FALSE(LinkProbe());
    try {
        RunCommand(cmdGetVolt, nullptr, 0, nullptr, 0);
        FAIL() << "no exception";
    } catch (const TERecXchange& error) {
        EXPECT_EQ(error.Text, QStringLiteral("I/O Error"));
        EXPECT_EQ(error.Code, 7);
        EXPECT_EQ(error.Extra, 0);
        EXPECT_STREQ(error.what(), "I/O Error");
    }
}

namespace {
std::uint32_t g_seenTimeout = 0;
void RecordTimeout(std::uint8_t, const void*, std::uint32_t, void*, std::uint32_t, std::uint32_t timeout)
{
    g_seenTimeout = timeout;
}
}  // namespace

TEST(Link, RunCommandPassesTheCommandsTimeout)
{
    SetLink(nullptr, RecordTimeout);
    RunCommand(cmdGetPartsOfPages, nullptr, 0, nullptr, 0);
    EXPECT_EQ(g_seenTimeout, 5000u);
    RunCommand(cmdSetDefault, nullptr, 0, nullptr, 0);
    EXPECT_EQ(g_seenTimeout, 300u);
    RunCommand(cmdGetAdapterId, nullptr, 0, nullptr, 0);
    EXPECT_EQ(g_seenTimeout, 300u);
    ResetLink();
}

TEST(RecXchange, TextIsLimited)
{
    const TERecXchange error(QString(400, QLatin1Char('x')), 1, 2);
    EXPECT_EQ(error.Text.size(), TERecXchange::kMaxTextLength);
}
