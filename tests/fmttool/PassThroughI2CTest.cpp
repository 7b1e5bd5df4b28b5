#include <gtest/gtest.h>

#include <vector>

#include "core/protocol/RecorderFrame.h"
#include "fmttool/Q71VendorCdb.h"
#include "tests/fmttool/PassThroughFixture.h"

using namespace passthrough;

namespace {

class PassThroughLink : public PassThroughFixture {
protected:
    void SetUp() override { Connect(); }
};

}  // namespace

TEST_F(PassThroughLink, FrameGoesOutWithTheSendAndTheAnswerComesWithTheReceive)
{
    const auto request = BuildRecorderFrame(7, nullptr, 0);  // supply voltage
    ASSERT_TRUE(Q71_SendI2C(request.data(), static_cast<std::uint8_t>(request.size())));
    std::uint8_t reply[8] = {};
    ASSERT_TRUE(Q71_ReceiveI2C(reply, 8));

    ASSERT_EQ(device.Commands().size(), 2u);
    EXPECT_EQ(device.Commands()[0].cdb, Q71VendorCdb::Send(6).Bytes());
    EXPECT_EQ(device.Commands()[0].length, 6u);
    EXPECT_EQ(device.Commands()[1].cdb, Q71VendorCdb::Receive(8).Bytes());
    std::uint8_t volts[2] = {};
    ASSERT_TRUE(DecodeRecorderFrame(reply, 2, volts));
    EXPECT_EQ(volts[0] | volts[1] << 8, recorder.Voltage());
}

TEST_F(PassThroughLink, MoreThanSixtyFourBytesAreRefusedUnsent)
{
    std::vector<std::uint8_t> bytes(65, 0x5A);
    EXPECT_FALSE(Q71_SendI2C(bytes.data(), 65));
    EXPECT_EQ(LastFailure().kind, TScsiFailure::Kind::Refused);
    EXPECT_FALSE(Q71_ReceiveI2C(bytes.data(), 65));
    EXPECT_TRUE(device.Commands().empty());

    EXPECT_TRUE(Q71_SendI2C(bytes.data(), 64));
    ASSERT_EQ(device.Commands().size(), 1u);
    EXPECT_EQ(device.Commands()[0].cdb, Q71VendorCdb::Send(64).Bytes());
    EXPECT_EQ(device.Commands()[0].length, 64u);
}
