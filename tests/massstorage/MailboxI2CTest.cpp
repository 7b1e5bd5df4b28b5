#include <gtest/gtest.h>

#include "core/protocol/RecorderFrame.h"
#include "tests/massstorage/MailboxFixture.h"

TEST_F(MailboxFixture, FrameTravelsInTheCommandSectorAndTheAnswerInTheNext)
{
    const auto request = BuildRecorderFrame(7, nullptr, 0);  // supply voltage
    ASSERT_TRUE(q71::SendI2C(request.data(), static_cast<std::uint8_t>(request.size())));
    std::uint8_t reply[8] = {};
    ASSERT_TRUE(q71::ReceiveI2C(reply, 8));

    ASSERT_EQ(device.Commands().size(), 2u);
    EXPECT_EQ(device.Commands()[0].command, q71SendI2C);
    EXPECT_EQ(device.Commands()[0].length, 6);
    EXPECT_EQ(device.Commands()[1].command, q71ReceiveI2C);
    EXPECT_EQ(device.Commands()[1].length, 8);
    std::uint8_t volts[2] = {};
    ASSERT_TRUE(DecodeRecorderFrame(reply, 2, volts));
    EXPECT_EQ(volts[0] | volts[1] << 8, recorder.Voltage());
}

TEST_F(MailboxFixture, ReceiveTakesOnlyTheFirstLengthBytes)
{
    const auto request = BuildRecorderFrame(7, nullptr, 0);
    ASSERT_TRUE(q71::SendI2C(request.data(), 6));
    std::uint8_t reply[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    ASSERT_TRUE(q71::ReceiveI2C(reply, 2));
    EXPECT_EQ(reply[0], 0x5A);
    EXPECT_EQ(reply[1], 0x5A);
    EXPECT_EQ(reply[2], 0xEE);
}

// Nothing to move needs no buffer: both ends still run their exchange.
TEST_F(MailboxFixture, EmptyTransfersNeedNoBuffer)
{
    ASSERT_TRUE(q71::SendI2C(nullptr, 0));
    ASSERT_TRUE(q71::ReceiveI2C(nullptr, 0));

    ASSERT_EQ(device.Commands().size(), 2u);
    EXPECT_EQ(device.Commands()[0].command, q71SendI2C);
    EXPECT_EQ(device.Commands()[0].length, 0);
    EXPECT_EQ(device.Commands()[1].command, q71ReceiveI2C);
    EXPECT_EQ(device.Commands()[1].length, 0);
}

TEST_F(MailboxFixture, FailedReceiveCopiesNothing)
{
    const auto request = BuildRecorderFrame(7, nullptr, 0);
    ASSERT_TRUE(q71::SendI2C(request.data(), 6));
    device.FailTransfer(2);  // the answer sector
    std::uint8_t reply[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_FALSE(q71::ReceiveI2C(reply, 8));
    EXPECT_EQ(reply[0], 1);
    EXPECT_EQ(reply[7], 8);

    device.ShortRead(1);
    EXPECT_FALSE(q71::ReceiveI2C(reply, 8));
    EXPECT_EQ(reply[0], 1);
}
