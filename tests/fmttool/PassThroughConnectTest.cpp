#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/fmttool/PassThroughFixture.h"
#include "tests/support/ParamName.h"

using namespace passthrough;

namespace {

constexpr std::uint8_t kVendor = 0xC8;

// Disks on /dev/sg0, /dev/sg1, ... in the order added.
class DiskSet {
public:
    SimScsiDevice& AddRecorder(std::uint32_t sectorSize = 2048)
    {
        recorders.push_back(std::make_unique<SimRecorder>(PassThroughTestGeometry(), SimPageStride::PageOnly));
        return AddDisk(recorders.back().get(), sectorSize);
    }

    // A disk that is not a recorder.
    SimScsiDevice& AddForeign() { return AddDisk(nullptr, 512); }

    SimScsiDevice& AddDisk(SimRecorder* recorder, std::uint32_t sectorSize)
    {
        devices.push_back(std::make_unique<SimScsiDevice>(recorder, sectorSize));
        nodes.AddNode(Path(nodeCount++), devices.back().get());
        return *devices.back();
    }

    // A node whose device went away after the listing.
    void AddVanished() { nodes.AddNode(Path(nodeCount++), nullptr); }

    static std::string Path(std::size_t index) { return "/dev/sg" + std::to_string(index); }

    std::vector<std::unique_ptr<SimRecorder>> recorders;
    std::vector<std::unique_ptr<SimScsiDevice>> devices;
    SimScsiDeviceIo nodes;
    std::size_t nodeCount = 0;
};

class PassThroughConnect : public ::testing::Test {
protected:
    DiskSet disks;
};

}  // namespace

TEST_F(PassThroughConnect, SectorSizeIs512AndParametersZeroUntilAnIdentifySucceeds)
{
    EXPECT_EQ(Q71_GetSectorSize(), 512u);
    EXPECT_EQ(Q71_GetFlashParams(), FlashParams{});

    disks.AddRecorder(2048).CheckCondition(3, 0x05, 0x20);  // READ CAPACITY
    std::optional<std::string> path;
    EXPECT_FALSE(Q71_IsConnected(path));
    EXPECT_EQ(Q71_GetSectorSize(), 512u);
    EXPECT_EQ(Q71_GetFlashParams(), FlashParams{});

    ASSERT_TRUE(Q71_IsConnected(path)) << LastFailure().Describe();
    EXPECT_EQ(Q71_GetSectorSize(), 2048u);
    EXPECT_EQ(Q71_GetFlashParams().pageSize, 2048);
    EXPECT_EQ(Q71_GetFlashParams().pagesPerBlock, 64);
}

TEST(PassThroughForeignDisk, WithOneInquiryByteDifferentIsSkippedAndGetsNoVendorCommand)
{
    for (std::size_t at = 0; at < kInquiryLength; ++at) {
        SCOPED_TRACE("INQUIRY byte " + std::to_string(at));
        DiskSet disks;
        // A recorder in all but its identity: it would answer 0xC8.
        SimScsiDevice& foreign = disks.AddRecorder();
        std::vector<std::uint8_t> answer(Q71InquiryAnswer.begin(), Q71InquiryAnswer.end());
        answer[at] ^= 0x01;
        foreign.SetInquiryAnswer(answer);
        disks.AddRecorder();

        EXPECT_EQ(Q71_GetDevices(), std::vector<std::string>{DiskSet::Path(1)});
        std::optional<std::string> path;
        EXPECT_TRUE(Q71_IsConnected(path));
        EXPECT_EQ(path, DiskSet::Path(1));
        path = DiskSet::Path(0);
        EXPECT_FALSE(Q71_IsConnected(path));
        EXPECT_EQ(LastFailure().kind, TScsiFailure::Kind::NotRecorder);

        EXPECT_EQ(foreign.CommandCount(kVendor), 0u);
        EXPECT_EQ(foreign.CommandCount(0x12), 3u);
    }
}

TEST_F(PassThroughConnect, GetDevicesListsEveryRecorderInOrderPastForeignBusyAndVanishedNodes)
{
    disks.AddRecorder();
    SimScsiDevice& foreign = disks.AddForeign();
    disks.AddRecorder().FailOpen(EBUSY);
    disks.AddVanished();
    SimScsiDevice& last = disks.AddRecorder(512);

    const auto found = Q71_GetDevices();

    EXPECT_EQ(found, (std::vector<std::string>{"/dev/sg0", "/dev/sg4"}));
    EXPECT_FALSE(LastFailure().Failed());
    EXPECT_EQ(foreign.CommandCount(kVendor), 0u);
    // What is kept belongs to one device: the last one identified.
    EXPECT_EQ(Q71_GetSectorSize(), 512u);
    std::uint8_t page[2048];
    ASSERT_TRUE(Q71_ReadPages(0, page, 1));
    EXPECT_EQ(last.CommandCount(0x28), 1u);
}

TEST_F(PassThroughConnect, WithoutPathScansAndKeepsTheFirstRecordersPathForLaterCalls)
{
    SimScsiDevice& foreign = disks.AddForeign();
    SimScsiDevice& first = disks.AddRecorder();
    SimScsiDevice& second = disks.AddRecorder();

    std::optional<std::string> path;
    ASSERT_TRUE(Q71_IsConnected(path)) << LastFailure().Describe();
    EXPECT_EQ(path, "/dev/sg1");
    EXPECT_EQ(foreign.CommandCount(kVendor), 0u);
    EXPECT_TRUE(second.Commands().empty());
    // INQUIRY, identify and READ CAPACITY, each opening the device anew.
    EXPECT_EQ(first.Commands().size(), 3u);
    EXPECT_EQ(disks.nodes.OpenCount(), 4u);

    foreign.ClearLog();
    first.ClearLog();
    ASSERT_TRUE(Q71_IsConnected(path));
    EXPECT_EQ(path, "/dev/sg1");
    EXPECT_EQ(first.Commands().size(), 3u);
    EXPECT_TRUE(foreign.Commands().empty());
    EXPECT_TRUE(second.Commands().empty());

    // The device leaves: the stored path is tested again, and no other taken.
    first.FailOpen(ENODEV);
    EXPECT_FALSE(Q71_IsConnected(path));
    EXPECT_EQ(path, "/dev/sg1");
    EXPECT_TRUE(second.Commands().empty());
}

TEST_F(PassThroughConnect, WithPathTestsThatDeviceOnly)
{
    SimScsiDevice& first = disks.AddRecorder();
    SimScsiDevice& foreign = disks.AddForeign();

    std::optional<std::string> path = "/dev/sg1";
    EXPECT_FALSE(Q71_IsConnected(path));
    EXPECT_EQ(path, "/dev/sg1");
    EXPECT_EQ(LastFailure().kind, TScsiFailure::Kind::NotRecorder);
    EXPECT_EQ(foreign.Commands().size(), 1u);
    EXPECT_TRUE(first.Commands().empty());

    path = "/dev/sg9";
    EXPECT_FALSE(Q71_IsConnected(path));
    EXPECT_EQ(LastFailure().error, ENOENT);

    path = "";
    EXPECT_FALSE(Q71_IsConnected(path));
    EXPECT_EQ(LastFailure().kind, TScsiFailure::Kind::Refused);
    EXPECT_TRUE(first.Commands().empty());
}

namespace {

struct GeometryCase {
    const char* name;
    std::uint32_t sectorSize;
    std::uint16_t pageSize;
};

void PrintTo(const GeometryCase& c, std::ostream* os)
{
    *os << c.name;
}

class PassThroughGeometry : public ::testing::TestWithParam<GeometryCase> {};

const GeometryCase kBadGeometries[] = {
    {"sector above page", 4096, 2048},
    {"sector not dividing 8192", 3072, 6144},
    {"page not whole sectors", 1024, 2560 + 256},
    {"page size 0", 512, 0},
    {"sector size 0", 0, 2048},
};

}  // namespace

TEST_P(PassThroughGeometry, FailsTheIdentifyAndKeepsThePrevious)
{
    DiskSet disks;
    disks.AddRecorder(2048);
    SimScsiDevice& odd = disks.AddRecorder(GetParam().sectorSize);
    auto params = disks.recorders[1]->FlashParams();
    params[9] = static_cast<std::uint8_t>(GetParam().pageSize);
    params[10] = static_cast<std::uint8_t>(GetParam().pageSize >> 8);
    odd.SetIdentifyAnswer(params);
    std::optional<std::string> path = "/dev/sg0";
    ASSERT_TRUE(Q71_IsConnected(path));
    const FlashParams kept = Q71_GetFlashParams();

    path = "/dev/sg1";
    EXPECT_FALSE(Q71_IsConnected(path));

    EXPECT_EQ(LastFailure().kind, TScsiFailure::Kind::Geometry) << LastFailure().Describe();
    EXPECT_EQ(Q71_GetFlashParams(), kept);
    EXPECT_EQ(Q71_GetSectorSize(), 2048u);
    std::uint8_t page[2048];
    ASSERT_TRUE(Q71_ReadPages(0, page, 1));
    EXPECT_EQ(disks.devices[0]->CommandCount(0x28), 1u);
    EXPECT_EQ(odd.CommandCount(0x28), 0u);
}

INSTANTIATE_TEST_SUITE_P(Bad, PassThroughGeometry, ::testing::ValuesIn(kBadGeometries), PrintedParamName());

TEST_F(PassThroughConnect, MissingPermissionIsReportedAsSuchNotAsNoRecorder)
{
    disks.AddForeign();
    disks.AddRecorder().FailOpen(EACCES);
    std::optional<std::string> path;
    EXPECT_FALSE(Q71_IsConnected(path));
    EXPECT_FALSE(path);
    EXPECT_TRUE(LastFailure().IsPermission());
    EXPECT_EQ(LastFailure().path, "/dev/sg1");
    EXPECT_NE(LastFailure().Describe().find("Permission denied"), std::string::npos) << LastFailure().Describe();

    // Without the raw-I/O capability the kernel refuses the vendor command.
    disks.devices[1]->FailOpen(0);
    disks.devices[1]->DenyRawIo();
    EXPECT_TRUE(Q71_GetDevices().empty());
    EXPECT_TRUE(LastFailure().IsPermission());
    EXPECT_EQ(LastFailure().error, EPERM);
}

TEST_F(PassThroughConnect, ScanWithoutRecorderNamesABusyDeviceOrNoneFound)
{
    std::optional<std::string> path;
    EXPECT_FALSE(Q71_IsConnected(path));
    EXPECT_EQ(LastFailure().kind, TScsiFailure::Kind::NoDevice);
    EXPECT_EQ(LastFailure().Describe(), "no recorder found");

    disks.AddForeign();
    EXPECT_TRUE(Q71_GetDevices().empty());
    EXPECT_EQ(LastFailure().kind, TScsiFailure::Kind::NoDevice);

    disks.AddRecorder().FailOpen(EBUSY);
    EXPECT_FALSE(Q71_IsConnected(path));
    EXPECT_EQ(LastFailure().error, EBUSY);
}

TEST_F(PassThroughConnect, CheckConditionAndTimeOutReachTheToolWithStatusAndSense)
{
    SimScsiDevice& disk = disks.AddRecorder();
    std::optional<std::string> path = "/dev/sg0";

    disk.CheckCondition(2, 0x05, 0x24, 0x00);  // the identify
    EXPECT_FALSE(Q71_IsConnected(path));
    const TScsiFailure& failure = LastFailure();
    EXPECT_EQ(failure.kind, TScsiFailure::Kind::Status);
    EXPECT_EQ(failure.status, 0x02);
    EXPECT_EQ(failure.SenseKey(), 0x05);
    EXPECT_EQ(failure.AdditionalSenseCode(), 0x24);
    EXPECT_EQ(failure.Describe(), "/dev/sg0: SCSI status 0x02 (check condition), sense key 0x05, ASC 0x24, ASCQ 0x00");

    disk.TimeOut(1);
    EXPECT_FALSE(Q71_IsConnected(path));
    EXPECT_TRUE(LastFailure().IsTimeout());
    EXPECT_EQ(LastFailure().Describe(), "/dev/sg0: the device did not answer within 2 seconds");

    // A short identity answer is no identity.
    disk.ShortTransfer(1, 4);
    EXPECT_FALSE(Q71_IsConnected(path));
    EXPECT_EQ(LastFailure().kind, TScsiFailure::Kind::ShortTransfer);
    EXPECT_EQ(disk.CommandCount(kVendor), 1u);

    ASSERT_TRUE(Q71_IsConnected(path));
    EXPECT_FALSE(LastFailure().Failed());
}
