// What happens before the tool writes: the command line, the device path,
// finding the device, the geometry, a mounted disk, and /M.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "fmttool/FmtArguments.h"
#include "fmttool/FmtGeometry.h"
#include "fmttool/MountedDisk.h"
#include "tests/fmttool/FmtToolFixture.h"
#include "tests/support/ParamName.h"

namespace fs = std::filesystem;
using Mode = TFmtArguments::Mode;

namespace {

constexpr const char* kNotConnected = "Device is not connected.\nConnect device to continue or press Esc to exit.\n";

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

struct ArgsCase {
    std::vector<std::string> args;
    Mode mode;
    std::string device;
};

void PrintTo(const ArgsCase& c, std::ostream* os)
{
    *os << (c.args.empty() ? "none" : "");
    for (const auto& arg : c.args)
        *os << arg << " ";
}

class FmtArgumentsTest : public ::testing::TestWithParam<ArgsCase> {};

}  // namespace

TEST_P(FmtArgumentsTest, SwitchesCountOnlyInTheirOwnForm)
{
    const TFmtArguments parsed = ParseFmtArguments(GetParam().args);
    EXPECT_EQ(parsed.mode, GetParam().mode);
    EXPECT_EQ(parsed.devicePath, GetParam().device);
}

INSTANTIATE_TEST_SUITE_P(
    , FmtArgumentsTest,
    ::testing::Values(ArgsCase{{}, Mode::Prepare, ""}, ArgsCase{{"/R"}, Mode::ReadBack, ""},
                      ArgsCase{{"/r"}, Mode::ReadBack, ""}, ArgsCase{{"/m"}, Mode::Multiple, ""},
                      ArgsCase{{"/M", "x"}, Mode::Prepare, ""}, ArgsCase{{"/R", "/M"}, Mode::Prepare, ""},
                      ArgsCase{{"/I"}, Mode::Prepare, ""}, ArgsCase{{"/i", "/dev/sg3"}, Mode::Device, "/dev/sg3"},
                      ArgsCase{{"/I", "/dev/sg3", "x"}, Mode::Prepare, ""}, ArgsCase{{"--help"}, Mode::Prepare, ""},
                      ArgsCase{{"/Rx"}, Mode::Prepare, ""}),
    PrintedParamName());

TEST(FmtNames, DevicePathsAndImageNames)
{
    struct {
        const char* path;
        std::optional<std::string> digits;
    } const cases[] = {
        {"/dev/sg3", "3"},
        {"/dev/sg0", "0"},
        {"/dev/sg12", "12"},
        {"/dev/sg12345678901", "12345678901"},
        {"/dev/sg123456789012", std::nullopt},
        {"/dev/sg", std::nullopt},
        {"/dev/sgx", std::nullopt},
        {"/dev/sda", std::nullopt},
        {"/dev/sg1/../sda", std::nullopt},
        {"/dev/sg1 ", std::nullopt},
        {"../Q3MSD%s", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SgNodeDigits(c.path), c.digits) << c.path;
    EXPECT_EQ(FmtImageName(std::nullopt), "Q3MSD.img");
    EXPECT_EQ(FmtImageName("3"), "Q3MSD3.img");
    EXPECT_EQ(FmtImageName("0"), "Q3MSD0.img");
    EXPECT_EQ(FmtDumpName("Q3MSD3.img"), "Q3MSD3_Dump.img");
}

TEST(FmtGeometryTest, OnlyAreasTheVolumeCanHoldAreServed)
{
    struct {
        std::uint16_t pageSize;
        std::uint8_t pagesPerBlock;
        std::uint32_t sectorSize;
        std::uint32_t blocks;  // 0: refused
        std::uint32_t sectorsPerBlock;
    } const cases[] = {
        {2048, 64, 2048, 32, 64},  {2048, 64, 512, 32, 256},  {512, 32, 512, 256, 32},
        {4096, 128, 4096, 8, 128}, {2048, 64, 1024, 32, 128}, {2048, 64, 4096, 0, 0},  // sector larger than the page
        {2048, 64, 3000, 0, 0},                                                        // does not divide 8192
        {2048, 64, 0, 0, 0},       {0, 64, 2048, 0, 0},       {2048, 0, 2048, 0, 0},
        {512, 8, 512, 0, 0},        // 4 KiB blocks: less than a cluster
        {16384, 255, 512, 0, 0},    // one block of 4 MiB
        {8192, 128, 512, 4, 2048},  // blocks of 1 MiB
    };
    for (const auto& c : cases) {
        FlashParams params;
        params.pageSize = c.pageSize;
        params.pagesPerBlock = c.pagesPerBlock;
        std::string why;
        const auto geometry = FmtGeometryOf(params, c.sectorSize, why);
        const std::string label =
            std::to_string(c.pageSize) + "x" + std::to_string(c.pagesPerBlock) + "/" + std::to_string(c.sectorSize);
        if (c.blocks == 0) {
            EXPECT_FALSE(geometry) << label;
            EXPECT_FALSE(why.empty()) << label;
            continue;
        }
        ASSERT_TRUE(geometry) << label << ": " << why;
        EXPECT_EQ(geometry->blocks, c.blocks) << label;
        EXPECT_EQ(geometry->sectorsPerBlock, c.sectorsPerBlock) << label;
        EXPECT_EQ(geometry->TotalSectors() * c.sectorSize, 4u * 1024 * 1024) << label;
    }
    // 32-byte sectors would make 131072 sectors, past the 16-bit field.
    FlashParams params;
    params.pageSize = 2048;
    params.pagesPerBlock = 64;
    std::string why;
    EXPECT_FALSE(FmtGeometryOf(params, 32, why));
}

TEST_F(FmtToolFixture, TheDeviceLineShowsTheFlashParameters)
{
    std::array<std::uint8_t, 12> answer{};
    FlashParams params;
    params.chips = 2;
    params.flashId = {0xEC, 0xD3, 0x10, 0x05, 0xA6};
    params.blocksPerChip = 4096;
    params.pagesPerBlock = 64;
    params.pageSize = 2048;
    params.Serialize(answer.data());
    device.SetIdentifyAnswer(answer);
    console.Keys("n");
    EXPECT_EQ(RunFmt({}), kFmtExitOk);
    EXPECT_TRUE(Contains(Output(), "FC: 2; ID: ECD3105A6; PS: 2048; PPB: 64; BPF: 4096; SECT_SIZE: 2048\n\n"))
        << Output();
}

TEST_F(FmtToolFixture, AGeometryTheVolumeCannotHoldEndsTheRun)
{
    std::array<std::uint8_t, 12> answer{};
    FlashParams params;
    params.chips = 1;
    params.pagesPerBlock = 2;  // blocks of 4 KiB: less than a cluster
    params.pageSize = 2048;
    params.Serialize(answer.data());
    device.SetIdentifyAnswer(answer);
    EXPECT_EQ(RunFmt({}), kFmtExitFailed);
    EXPECT_TRUE(Contains(Output(), "FC: 1; ID: 00000; PS: 2048; PPB: 2; BPF: 0; SECT_SIZE: 2048\n\n"
                                   "Error: Flash geometry not supported: a block of 4096 bytes is not a whole "
                                   "number of 8192-byte clusters.\nPress any key"))
        << Output();
    EXPECT_EQ(VendorWrites(), 0u);
}

TEST_F(FmtToolFixture, DeviceOptionTakesOnlySgNodesAndNamesTheImageAfterIt)
{
    EXPECT_EQ(RunFmt({"/I", "../x%n"}), kFmtExitFailed);
    EXPECT_TRUE(Contains(Output(), "Error: \"../x%n\" is not a SCSI generic device (/dev/sg<N>).\nPress any key"))
        << Output();
    EXPECT_TRUE(device.Commands().empty());

    // No confirmation with /I; the image carries the device's number.
    bool imageThere = false;
    console.onWrite = [&](const std::string& text) {
        if (text == "Loading image")
            imageThere = fs::exists(Work() / "Q3MSD3.img");
    };
    EXPECT_EQ(RunFmt({"/I", "/dev/sg3"}), kFmtExitOk) << Output();
    EXPECT_TRUE(imageThere);
    EXPECT_FALSE(Contains(Output(), "Press 'Y'"));
    EXPECT_FALSE(fs::exists(Work() / "Q3MSD3.img"));
}

TEST_F(FmtToolFixture, AMissingFolderEndsTheRunBeforeAnyWrite)
{
    fs::remove(ImageFiles());
    console.Keys("y ");
    EXPECT_EQ(RunFmt({}), kFmtExitFailed);
    EXPECT_TRUE(Output().ends_with("Error: Folder \"ImageFiles\" not found.\nPress any key to exit.\n")) << Output();
    EXPECT_EQ(VendorWrites(), 0u);
}

// The poll scans every SCSI device: a quarter of a second at least between
// scans, other keys ignored, Esc ends it.
TEST_F(FmtToolFixture, WithoutADeviceItPollsUntilEscape)
{
    SimScsiDeviceIo empty;  // no node at all
    console.Keys("ab");
    console.Key(TFmtConsole::kEscape);
    EXPECT_EQ(RunFmt({}), kFmtExitFailed);
    EXPECT_EQ(Output(), "Sorv-mini Q3 formating tool\n\n" + std::string(kNotConnected) + "Press any key to exit.\n");
    ASSERT_GE(console.Reads().size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_GE(console.Reads()[i].value_or(std::chrono::hours(1)), std::chrono::milliseconds(250)) << i;
}

TEST_F(FmtToolFixture, TheDeviceFoundWhilePollingIsUsed)
{
    SimScsiDeviceIo late;
    int reads = 0;
    console.onRead = [&](auto) {
        if (++reads == 3)
            late.AddNode("/dev/sg7", &device);
    };
    console.Keys("xx");                // ignored while polling
    console.Key(TFmtConsole::kNoKey);  // a pause without a key
    console.Keys("n");
    EXPECT_EQ(RunFmt({}), kFmtExitOk);
    EXPECT_TRUE(Contains(Output(), std::string(kNotConnected) + "FC: 1;")) << Output();
}

TEST_F(FmtToolFixture, WithoutAKeyboardItDoesNotWaitForTheDevice)
{
    SimScsiDeviceIo empty;
    console.SetKeyboard(false);
    EXPECT_EQ(RunFmt({"/I", "/dev/sg3"}), kFmtExitFailed);
    EXPECT_EQ(Output(), "Sorv-mini Q3 formating tool\n\n" + std::string(kNotConnected) + "Press any key to exit.\n");
    EXPECT_EQ(console.Reads().size(), 1u);
}

TEST_F(FmtToolFixture, AMountedDiskIsRefused)
{
    const fs::path sys = system.sysRoot;
    fs::create_directories(sys / "class/scsi_generic/sg3/device/block/sdc");
    fs::create_directories(sys / "class/block/sdc/sdc1");
    fs::create_directories(sys / "class/block/sdc/queue");
    std::ofstream(sys / "class/block/sdc/sdc1/partition") << "1\n";
    std::ofstream(system.mountTable) << "proc /proc proc rw 0 0\n"
                                        "/dev/sdb1 /media/other vfat rw 0 0\n"
                                        "/dev/sdc1 /media/my\\040rec vfat rw 0 0\n";
    EXPECT_EQ(SgDiskNames("/dev/sg3", sys), (std::vector<std::string>{"sdc", "sdc1"}));
    console.Keys("y ");
    EXPECT_EQ(RunFmt({}), kFmtExitFailed);
    EXPECT_TRUE(Contains(Output(), "Error: The device's disk is mounted at /media/my rec. Unmount it and try "
                                   "again.\nPress any key"))
        << Output();
    EXPECT_EQ(VendorWrites(), 0u);

    // The whole disk mounted counts too; another disk does not.
    EXPECT_EQ(MountPointsOf({"sdc", "sdc1"}, "/dev/sdc /mnt/whole vfat rw 0 0\n/dev/sdcd1 /x vfat rw 0 0\n"),
              std::vector<std::string>{"/mnt/whole"});
    EXPECT_TRUE(MountPointsOf({}, "/dev/sdc1 /x vfat rw 0 0\n").empty());
}

TEST_F(FmtToolFixture, LowerCaseMStartsOneCopyPerDevice)
{
    SimRecorder second{recorder.Geometry(), SimPageStride::PageOnly};
    SimScsiDevice other{&second, 2048};
    SimScsiDevice foreign{nullptr, 512};
    nodes.AddNode("/dev/sg4", &foreign);
    nodes.AddNode("/dev/sg12", &other);
    console.Keys(" ");
    EXPECT_EQ(RunFmt({"/m"}), kFmtExitOk);
    EXPECT_EQ(Output(), "Sorv-mini Q3 formating tool\n\nFound 2 device(s)\n/dev/sg3\n/dev/sg12\n\n"
                        "/dev/sg3: done (see Q3MSD3.log)\n/dev/sg12: done (see Q3MSD12.log)\n"
                        "Press any key to exit.\n");
    ASSERT_EQ(launcher.started.size(), 2u);
    EXPECT_EQ(launcher.started[0].devicePath, "/dev/sg3");
    EXPECT_EQ(launcher.started[0].log, Work() / "Q3MSD3.log");
    EXPECT_EQ(launcher.started[1].devicePath, "/dev/sg12");
    EXPECT_EQ(VendorWrites(), 0u);

    // A copy that failed makes the whole run fail.
    launcher.started.clear();
    launcher.exitCode = kFmtExitFailed;
    EXPECT_EQ(RunFmt({"/M"}), kFmtExitFailed);
    EXPECT_TRUE(Contains(Output(), "/dev/sg3: FAILED (see Q3MSD3.log)\n"));
}

TEST_F(FmtToolFixture, MultipleWithNoDeviceFails)
{
    SimScsiDeviceIo empty;
    EXPECT_EQ(RunFmt({"/M"}), kFmtExitFailed);
    EXPECT_EQ(Output(), "Sorv-mini Q3 formating tool\n\nFound 0 device(s)\n\nPress any key to exit.\n");
    EXPECT_TRUE(launcher.started.empty());
}
