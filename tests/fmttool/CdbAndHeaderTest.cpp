#include <gtest/gtest.h>

#include <cerrno>
#include <ostream>
#include <string>
#include <vector>

#include "fmttool/LinuxScsiDeviceIo.h"
#include "fmttool/Q71VendorCdb.h"
#include "fmttool/ScsiFailure.h"
#include "fmttool/SgIoRequest.h"
#include "tests/support/ParamName.h"

using namespace passthrough;

namespace {

struct GoldenCdb {
    const char* name;
    TCdb cdb;
    TCdb expected;
};

void PrintTo(const GoldenCdb& golden, std::ostream* os)
{
    *os << golden.name;
}

class CommandBlocks : public ::testing::TestWithParam<GoldenCdb> {};

const GoldenCdb kGoldenCdbs[] = {
    {"inquiry", InquiryCdb(), {0x12, 0, 0, 0, 36}},
    {"read capacity", ReadCapacityCdb(), {0x25}},
    {"read10", Read10Cdb(0x01020304, 0x0506), {0x28, 0, 0x01, 0x02, 0x03, 0x04, 0, 0x05, 0x06}},
    {"identify", Q71VendorCdb::Identify().Bytes(), {0xC8, 0}},
    {"write pages",
     Q71VendorCdb::WritePages(0x11223344, 0x0102).Bytes(),
     {0xC8, 1, 0x11, 0x22, 0x33, 0x44, 0, 0x01, 0x02}},
    {"send", Q71VendorCdb::Send(64).Bytes(), {0xC8, 2, 64}},
    {"receive", Q71VendorCdb::Receive(13).Bytes(), {0xC8, 3, 13}},
    // Count, part size, step, offset: not the mailbox sector's order.
    {"read parts",
     Q71VendorCdb::ReadParts(0xA0B0C0D0, 0x0102, 0x0304, 0x0506, 0x0708).Bytes(),
     {0xC8, 4, 0xA0, 0xB0, 0xC0, 0xD0, 0, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0}},
};

}  // namespace

TEST_P(CommandBlocks, AreTheGoldenSixteenBytes)
{
    EXPECT_EQ(GetParam().cdb, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(EveryCommand, CommandBlocks, ::testing::ValuesIn(kGoldenCdbs), PrintedParamName());

TEST(CommandBlocks, RecorderIdentityIsTheThirtySixInquiryBytes)
{
    const std::string expected("\x00\x80\x05\x02\x20\x00\x80\x00"
                               "Tarv \0  "
                               "Mass Storage \0  "
                               "\0\0\0\0",
                               36);
    EXPECT_EQ(std::string(Q71InquiryAnswer.begin(), Q71InquiryAnswer.end()), expected);
}

TEST(CommandBlocks, SectorSizeIsTheSecondBigEndianWordOfReadCapacity)
{
    const std::uint8_t answer[8] = {0x00, 0x00, 0x7F, 0xFF, 0x00, 0x00, 0x08, 0x00};
    EXPECT_EQ(BlockLengthOf(answer), 2048u);
}

namespace {

struct HeaderCase {
    const char* name;
    TCdb cdb;
    TDataDirection direction;
    std::uint32_t length;
    int sgDirection;
};

void PrintTo(const HeaderCase& c, std::ostream* os)
{
    *os << c.name;
}

class SgIoHeaders : public ::testing::TestWithParam<HeaderCase> {};

const HeaderCase kHeaderCases[] = {
    {"inquiry", InquiryCdb(), TDataDirection::In, 36, SG_DXFER_FROM_DEV},
    {"read capacity", ReadCapacityCdb(), TDataDirection::In, 8, SG_DXFER_FROM_DEV},
    {"read10", Read10Cdb(64, 32), TDataDirection::In, 65536, SG_DXFER_FROM_DEV},
    {"identify", Q71VendorCdb::Identify().Bytes(), TDataDirection::In, 12, SG_DXFER_FROM_DEV},
    {"write pages", Q71VendorCdb::WritePages(0, 32).Bytes(), TDataDirection::Out, 65536, SG_DXFER_TO_DEV},
    {"send", Q71VendorCdb::Send(6).Bytes(), TDataDirection::Out, 6, SG_DXFER_TO_DEV},
    {"receive", Q71VendorCdb::Receive(8).Bytes(), TDataDirection::In, 8, SG_DXFER_FROM_DEV},
    {"read parts", Q71VendorCdb::ReadParts(0, 3, 20, 1, 0).Bytes(), TDataDirection::In, 60, SG_DXFER_FROM_DEV},
    {"send nothing", Q71VendorCdb::Send(0).Bytes(), TDataDirection::Out, 0, SG_DXFER_NONE},
};

}  // namespace

TEST_P(SgIoHeaders, CarryTheCommandDataSenseAndTwoSecondTimeOut)
{
    const HeaderCase& c = GetParam();
    std::vector<std::uint8_t> data(c.length + 1);
    std::uint8_t sense[kSenseLength];
    TScsiRequest request{c.cdb, c.direction, data.data(), c.length};

    const sg_io_hdr header = BuildSgIoHeader(request, sense);

    EXPECT_EQ(header.interface_id, 'S');
    EXPECT_EQ(header.dxfer_direction, c.sgDirection);
    EXPECT_EQ(header.cmd_len, 16);
    EXPECT_EQ(header.cmdp, request.cdb.data());
    EXPECT_EQ(header.mx_sb_len, 24);
    EXPECT_EQ(header.sbp, sense);
    EXPECT_EQ(header.dxfer_len, c.length);
    EXPECT_EQ(header.dxferp, c.length ? static_cast<void*>(data.data()) : nullptr);
    EXPECT_EQ(header.timeout, 2000u);
    EXPECT_EQ(header.iovec_count, 0);
    EXPECT_EQ(header.flags, 0u);
}

INSTANTIATE_TEST_SUITE_P(EveryCommand, SgIoHeaders, ::testing::ValuesIn(kHeaderCases), PrintedParamName());

namespace {

struct JudgeCase {
    const char* name;
    std::uint8_t status;
    std::uint16_t host;
    std::uint16_t driver;
    int resid;
    TScsiFailure::Kind kind;
};

void PrintTo(const JudgeCase& c, std::ostream* os)
{
    *os << c.name;
}

class SgIoResults : public ::testing::TestWithParam<JudgeCase> {};

const JudgeCase kJudgeCases[] = {
    {"good", 0, 0, 0, 0, TScsiFailure::Kind::None},
    {"check condition", 2, 0, 8, 0, TScsiFailure::Kind::Status},
    {"busy", 8, 0, 0, 0, TScsiFailure::Kind::Status},
    {"host time out", 0, 3, 0, 0, TScsiFailure::Kind::Transport},
    {"driver error", 0, 0, 6, 0, TScsiFailure::Kind::Transport},
    {"residue", 0, 0, 0, 10, TScsiFailure::Kind::ShortTransfer},
};

}  // namespace

TEST_P(SgIoResults, SucceedOnlyWithAllStatusZeroAndNoResidue)
{
    const JudgeCase& c = GetParam();
    std::uint8_t sense[kSenseLength] = {0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x24, 0x01};
    sg_io_hdr header{};
    header.status = c.status;
    header.host_status = c.host;
    header.driver_status = c.driver;
    header.resid = c.resid;
    header.sbp = sense;
    header.mx_sb_len = kSenseLength;
    header.sb_len_wr = c.status ? 18 : 0;

    const TScsiFailure failure = JudgeSgIo(header);

    EXPECT_EQ(failure.kind, c.kind);
    EXPECT_EQ(failure.Describe().find("Success"), std::string::npos) << failure.Describe();
}

INSTANTIATE_TEST_SUITE_P(Statuses, SgIoResults, ::testing::ValuesIn(kJudgeCases), PrintedParamName());

TEST(ScsiFailureText, NamesStatusSenseAndTimeOut)
{
    TScsiFailure check;
    check.kind = TScsiFailure::Kind::Status;
    check.path = "/dev/sg2";
    check.status = 2;
    check.sense = {0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x24, 0x01};
    EXPECT_EQ(check.Describe(), "/dev/sg2: SCSI status 0x02 (check condition), sense key 0x05, ASC 0x24, ASCQ 0x01");

    TScsiFailure descriptor = check;
    descriptor.sense = {0x72, 0x03, 0x11, 0x00};
    EXPECT_EQ(descriptor.SenseKey(), 3);
    EXPECT_EQ(descriptor.AdditionalSenseCode(), 0x11);

    TScsiFailure timeOut;
    timeOut.kind = TScsiFailure::Kind::Transport;
    timeOut.hostStatus = 3;
    EXPECT_TRUE(timeOut.IsTimeout());
    EXPECT_EQ(timeOut.Describe(), "the device did not answer within 2 seconds");
}

TEST(SgNodes, AreListedInNumericOrderAndNothingElse)
{
    const std::vector<std::string> names = {"sg10", "sda", "sg2", "sg", "sgx", "sg0", "sda1", "sg1a", "tty0"};
    EXPECT_EQ(SgNodeNames(names), (std::vector<std::string>{"sg0", "sg2", "sg10"}));
}

TEST(LinuxScsiDeviceIo, MissingNodeOpensWithItsErrno)
{
    TLinuxScsiDeviceIo io;
    EXPECT_EQ(io.Open("/nonexistent/sg0"), -ENOENT);
}
