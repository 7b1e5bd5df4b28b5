// The tool's main routine in process: a simulated recorder behind the SCSI
// seam, a scripted console, and the images it leaves checked by fsck.fat
// and mtools.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "fmttool/Fat12Image.h"
#include "fmttool/Fat12Table.h"
#include "tests/fmttool/ExternalTools.h"
#include "tests/fmttool/FmtToolFixture.h"
#include "tests/support/ParamName.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kBanner = "Sorv-mini Q3 formating tool\n\n";
constexpr const char* kDeviceLine = "FC: 1; ID: ";
constexpr const char* kConfirm = "Press 'Y' to load software into device or other key to exit.\n";
constexpr const char* kVerifyOk = "\nVerify OK. Reconnect device to apply changes.\n";
constexpr const char* kPressAnyKey = "Press any key to exit.\n";

std::string Dots(std::size_t count)
{
    return std::string(count, '.');
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

bool AllBytes(const std::vector<std::uint8_t>& bytes, std::size_t from, std::size_t count, std::uint8_t value)
{
    return from + count <= bytes.size() &&
           std::all_of(bytes.begin() + from, bytes.begin() + from + count, [&](std::uint8_t b) { return b == value; });
}

// The clusters mshowfat gives for a file of an image, as "<first-last>".
std::string MshowfatChain(const fs::path& image, const std::string& file)
{
    const std::string mshowfat = FindTool("mshowfat");
    if (mshowfat.empty())
        return "mtools missing";
    return RunTool(mshowfat + " -i " + Quoted(image.string()) + " " + Quoted("::/" + file)).output;
}

}  // namespace

// A full run with the geometry of the recorder's usual flash: 32 blocks of
// 64 sectors, blocks 0 to 30 tested, the last block the mailbox's.
TEST_F(FmtToolFixture, PreparesTheAreaAndLeavesAVolumeOtherToolsRead)
{
    PutFile("readme.txt", FmtBytes(100, 1));
    PutFile("A long file name.bin", FmtBytes(20000, 2));
    console.Keys("y ");
    ASSERT_EQ(RunFmt({"/r"}), kFmtExitOk) << Output();

    const std::string expected_start = std::string(kBanner) + kDeviceLine;
    EXPECT_EQ(Output().rfind(expected_start, 0), 0u) << Output();
    EXPECT_TRUE(Contains(Output(), "; PS: 2048; PPB: 64; BPF: 64; SECT_SIZE: 2048\n\n" + std::string(kConfirm)))
        << Output();
    EXPECT_TRUE(Contains(Output(), "Checking for bad blocks" + Dots(31) +
                                       "\nBuilding image...\n"
                                       "Adding file: A long file name.bin\nAdding file: readme.txt\n"
                                       "Loading image" +
                                       Dots(32) + kVerifyOk + "Reading image" + Dots(32) + "\n" + kPressAnyKey))
        << Output();
    // Every block but the last written by the test, five writes of 32 pages
    // at most per block, and each block once more by the load.
    for (std::uint32_t block = 0; block < 31; ++block)
        EXPECT_EQ(WritesAt(block * 64), 2u) << block;
    EXPECT_EQ(WritesAt(31 * 64), 1u);
    EXPECT_EQ(WritesAt(32 * 64), 0u);

    const fs::path image = Work() / "Q3MSD.img";
    const fs::path dump = Work() / "Q3MSD_Dump.img";
    const std::vector<std::uint8_t> imageBytes = ReadFile(image);
    ASSERT_EQ(imageBytes.size(), 4u * 1024 * 1024);
    EXPECT_TRUE(ReadFile(dump) == imageBytes) << "the read-back differs from the image";
    for (std::uint32_t block = 0; block < 32; ++block)
        ASSERT_TRUE(std::equal(imageBytes.begin() + block * 131072, imageBytes.begin() + (block + 1) * 131072,
                               FlashBlock(block).begin()))
            << "block " << block;

    // "service.dat": one block in the last block's clusters, 0x55 and 0xAA at its ends.
    TFat12Image volume;
    ASSERT_EQ(volume.Fat12OpenImage(image.string()), fat12Ok);
    TFat12File service;
    ASSERT_EQ(volume.Fat12OpenFile("SERVICE.DAT", service), fat12Ok);
    EXPECT_EQ(service.size, 131072u);
    EXPECT_EQ(service.firstCluster, 495);
    EXPECT_EQ(service.lastCluster, 510);
    const std::vector<std::uint8_t> last = FlashBlock(31);
    EXPECT_TRUE(AllBytes(last, 0, 8192, 0x55));
    EXPECT_TRUE(AllBytes(last, 8192, 131072 - 2 * 8192, 0x00));
    EXPECT_TRUE(AllBytes(last, 131072 - 8192, 8192, 0xAA));
    // Only the last block stays free of the bad mark outside the files.
    std::uint32_t free = 0, bad = 0;
    for (std::uint32_t cluster = 2; cluster < volume.FatEntries(); ++cluster) {
        free += volume.FatEntry(cluster) == kFat12Free;
        bad += volume.FatEntry(cluster) == BadClusterMark;
    }
    EXPECT_EQ(free, 0u);
    EXPECT_EQ(bad, 509u - 16 - 1 - 3);  // service.dat, readme.txt, and 20000 bytes in three clusters
    ASSERT_EQ(volume.Fat12CloseImage(), fat12Ok);

    const std::string fsck = FindTool("fsck.fat");
    const std::string mdir = FindTool("mdir");
    if (fsck.empty() || mdir.empty())
        GTEST_SKIP() << "fsck.fat (dosfstools) or mtools is not installed";
    EXPECT_EQ(FsckComplaints(fsck, dump.string()), std::vector<std::string>{});
    const ToolRun listing = RunTool(mdir + " -/ -a -i " + Quoted(dump.string()) + " ::");
    ASSERT_EQ(listing.status, 0) << listing.output;
    for (const char* name : {"service.dat", "readme.txt", "A long file name.bin"})
        EXPECT_TRUE(Contains(listing.output, name)) << name << "\n" << listing.output;
    EXPECT_TRUE(Contains(MshowfatChain(dump, "service.dat"), "<495-510>")) << MshowfatChain(dump, "service.dat");
}

TEST_F(FmtToolFixture, AnyKeyButYAtTheConfirmationWritesNothing)
{
    PutFile("readme.txt", FmtBytes(100, 1));
    console.Keys("n");
    EXPECT_EQ(RunFmt({}), kFmtExitOk);
    EXPECT_EQ(VendorWrites(), 0u);
    EXPECT_FALSE(fs::exists(Work() / "Q3MSD.img"));
    EXPECT_TRUE(Output().ends_with(kConfirm)) << Output();
    // Without a keyboard nobody can say yes.
    console.SetKeyboard(false);
    EXPECT_EQ(RunFmt({"/R"}), kFmtExitOk);
    EXPECT_EQ(VendorWrites(), 0u);
}

TEST_F(FmtToolFixture, AWeakBlockIsMarkedBadInTheFatAndFilledWith0x33)
{
    device.WeakBlock(5);
    console.Keys("y ");
    ASSERT_EQ(RunFmt({"/R"}), kFmtExitOk) << Output();
    EXPECT_TRUE(Contains(Output(), "Checking for bad blocks......\nBad block: 5\n" + Dots(25) + "\n")) << Output();
    EXPECT_TRUE(Contains(Output(), kVerifyOk));
    // Five tries in the test, none in the load.
    EXPECT_EQ(WritesAt(5 * 64), 5u);

    const std::vector<std::uint8_t> image = ReadFile(Work() / "Q3MSD.img");
    const std::vector<std::uint8_t> dump = ReadFile(Work() / "Q3MSD_Dump.img");
    EXPECT_TRUE(AllBytes(image, 5 * 131072, 131072, 0x33));
    EXPECT_TRUE(AllBytes(dump, 5 * 131072, 131072, 0x33));
    EXPECT_FALSE(AllBytes(dump, 4 * 131072, 131072, 0x33));

    // Sectors 320-383 are clusters 79-94 (first data sector 12, 4 sectors a cluster).
    TFat12Image volume;
    ASSERT_EQ(volume.Fat12OpenImage((Work() / "Q3MSD.img").string()), fat12Ok);
    for (std::uint32_t cluster = 79; cluster <= 94; ++cluster)
        EXPECT_EQ(volume.FatEntry(cluster), BadClusterMark) << cluster;
}

// A file long enough to reach past a bad block: none of its clusters lies
// in the block, and each holds its own bytes after the load.
TEST_F(FmtToolFixture, AFileAroundAWeakBlockKeepsOutOfItsClusters)
{
    const std::vector<std::uint8_t> content = FmtBytes(1000000, 7);
    PutFile("big.bin", content);
    device.WeakBlock(5);
    console.Keys("y ");
    ASSERT_EQ(RunFmt({"/R"}), kFmtExitOk) << Output();
    ASSERT_TRUE(Contains(Output(), "Bad block: 5\n")) << Output();
    ASSERT_TRUE(Contains(Output(), kVerifyOk)) << Output();

    // Block 5 is sectors 320-383, clusters 79-94 (first data sector 12, 4 sectors a cluster).
    constexpr std::uint32_t kClusterBytes = 4 * 2048;
    const std::vector<std::uint8_t> dump = ReadFile(Work() / "Q3MSD_Dump.img");
    TFat12Image volume;
    ASSERT_EQ(volume.Fat12OpenImage((Work() / "Q3MSD_Dump.img").string()), fat12Ok);
    TFat12File file;
    ASSERT_EQ(volume.Fat12OpenFile("BIG.BIN", file), fat12Ok);
    EXPECT_EQ(file.size, content.size());
    std::size_t done = 0;
    for (std::uint32_t cluster = file.firstCluster; done < content.size(); cluster = volume.FatEntry(cluster)) {
        ASSERT_GE(cluster, 2u) << "the chain ends at " << done << " bytes";
        ASSERT_LT(cluster, 0xFF0u) << "the chain ends at " << done << " bytes";
        EXPECT_TRUE(cluster < 79 || cluster > 94) << "cluster " << cluster << " lies in the bad block";
        const std::size_t count = std::min<std::size_t>(kClusterBytes, content.size() - done);
        const std::size_t at = (12 + (cluster - 2) * 4) * 2048;
        EXPECT_TRUE(std::equal(content.begin() + done, content.begin() + done + count, dump.begin() + at))
            << "cluster " << cluster;
        done += count;
    }
    for (std::uint32_t cluster = 79; cluster <= 94; ++cluster)
        EXPECT_EQ(volume.FatEntry(cluster), BadClusterMark) << cluster;
    ASSERT_EQ(volume.Fat12CloseImage(), fat12Ok);
}

TEST_F(FmtToolFixture, AWeakBlock0EndsTheRun)
{
    device.WeakBlock(0);
    console.Keys("y ");
    EXPECT_EQ(RunFmt({}), kFmtExitFailed);
    EXPECT_TRUE(Output().ends_with("Checking for bad blocks.\nBlock 0 is bad. Image loading is imposible.\n" +
                                   std::string(kPressAnyKey)))
        << Output();
    EXPECT_EQ(WritesAt(64), 0u);
}

TEST_F(FmtToolFixture, ABlockThatFailsFourTimesThenMatchesIsGood)
{
    device.WeakBlock(7, 4);
    console.Keys("y ");
    EXPECT_EQ(RunFmt({}), kFmtExitOk) << Output();
    EXPECT_FALSE(Contains(Output(), "Bad block")) << Output();
    EXPECT_EQ(WritesAt(7 * 64), 5u + 1u);
}

// The last block is not tested: a weak one shows first in the load.
TEST_F(FmtToolFixture, AVerifyFailurePrintsItsTextAndFails)
{
    device.WeakBlock(31);
    console.Keys("y ");
    EXPECT_EQ(RunFmt({}), kFmtExitFailed);
    EXPECT_TRUE(Output().ends_with("Loading image" + Dots(32) + "\nVERIFY ERROR!!!\n " + kPressAnyKey)) << Output();
    EXPECT_EQ(WritesAt(31 * 64), 5u);
    EXPECT_FALSE(fs::exists(Work() / "Q3MSD.img"));
}

TEST_F(FmtToolFixture, ADeviceGoneDuringTheTestEndsTheRun)
{
    int dots = 0;
    console.onWrite = [&](const std::string& text) {
        if (text == "." && ++dots == 3)
            device.FailOpen(ENOENT);
    };
    console.Keys("y ");
    EXPECT_EQ(RunFmt({}), kFmtExitFailed);
    EXPECT_TRUE(Contains(Output(), "...\nError WritePages(), 128, 64\nError message: /dev/sg3: No such file or "
                                   "directory\n"))
        << Output();
    EXPECT_FALSE(Contains(Output(), "Loading image"));
    EXPECT_TRUE(Output().ends_with(kPressAnyKey));
    EXPECT_LE(nodes.OpenCount(), 31u * 4 + 20);
}

TEST_F(FmtToolFixture, AnEmptyFolderStillGetsTheMailbox)
{
    console.Keys("y ");
    ASSERT_EQ(RunFmt({"/R"}), kFmtExitOk) << Output();
    EXPECT_TRUE(Contains(Output(), "Building image...\nLoading image")) << Output();
    const fs::path dump = Work() / "Q3MSD_Dump.img";
    TFat12Image volume;
    ASSERT_EQ(volume.Fat12OpenImage(dump.string()), fat12Ok);
    TFat12File service;
    ASSERT_EQ(volume.Fat12OpenFile("SERVICE.DAT", service), fat12Ok);
    EXPECT_EQ(service.firstCluster, 495);
    EXPECT_EQ(service.size, 131072u);
    ASSERT_EQ(volume.Fat12CloseImage(), fat12Ok);
    if (FindTool("mshowfat").empty())
        GTEST_SKIP() << "mtools is not installed";
    EXPECT_TRUE(Contains(MshowfatChain(dump, "service.dat"), "<495-510>")) << MshowfatChain(dump, "service.dat");
}

// Another copy's mailbox, or an old one, in the shared folder is no content.
TEST_F(FmtToolFixture, AServiceFileInTheFolderIsNotAdded)
{
    PutFile("Service.DAT", std::vector<std::uint8_t>(500, 0x99));
    PutFile("data.bin", FmtBytes(10, 3));
    console.Keys("y ");
    ASSERT_EQ(RunFmt({"/R"}), kFmtExitOk) << Output();
    EXPECT_FALSE(Contains(Output(), "Adding file: Service.DAT")) << Output();
    EXPECT_TRUE(Contains(Output(), "Adding file: data.bin")) << Output();
    const std::vector<std::uint8_t> last = FlashBlock(31);
    EXPECT_TRUE(AllBytes(last, 0, 8192, 0x55));
    EXPECT_TRUE(fs::exists(ImageFiles() / "Service.DAT"));
}

struct Contents {
    std::size_t bytes;
    bool fits;
};

void PrintTo(const Contents& c, std::ostream* os)
{
    *os << c.bytes << (c.fits ? " fits" : " too big");
}

class FmtToolContents : public FmtToolTestBase, public ::testing::TestWithParam<Contents> {};

// 509 clusters, 16 of them the mailbox's: 493 x 8192 bytes are left.
TEST_P(FmtToolContents, ContentsNeverTakeTheMailboxBlock)
{
    PutFile("big.bin", FmtBytes(GetParam().bytes, 9));
    console.Keys("y ");
    const int code = RunFmt({"/R"});
    if (!GetParam().fits) {
        EXPECT_EQ(code, kFmtExitFailed);
        EXPECT_TRUE(Output().ends_with("Adding file: big.bin\n" + std::string(kPressAnyKey))) << Output();
        EXPECT_FALSE(Contains(Output(), "Loading image"));
        return;
    }
    ASSERT_EQ(code, kFmtExitOk) << Output();
    TFat12Image volume;
    ASSERT_EQ(volume.Fat12OpenImage((Work() / "Q3MSD_Dump.img").string()), fat12Ok);
    TFat12File service;
    ASSERT_EQ(volume.Fat12OpenFile("SERVICE.DAT", service), fat12Ok);
    EXPECT_EQ(service.firstCluster, 495);
}

INSTANTIATE_TEST_SUITE_P(, FmtToolContents,
                         ::testing::Values(Contents{493 * 8192, true}, Contents{493 * 8192 + 1, false}),
                         PrintedParamName());

// Other geometries: 512-byte sectors, and small blocks of which the first
// two hold the volume's tables.
class FmtToolGeometry : public FmtToolTestBase, public ::testing::TestWithParam<FmtFlash> {
public:
    FmtToolGeometry() : FmtToolTestBase(GetParam()) {}
};

TEST_P(FmtToolGeometry, ReadBackHoldsTheWholeAreaAndTheMailboxFillsTheLastBlock)
{
    PutFile("readme.txt", FmtBytes(100, 1));
    console.Keys("y ");
    ASSERT_EQ(RunFmt({"/R"}), kFmtExitOk) << Output();
    const FmtFlash f = GetParam();
    const std::vector<std::uint8_t> dump = ReadFile(Work() / "Q3MSD_Dump.img");
    ASSERT_EQ(dump.size(), std::uint64_t{f.Blocks()} * f.SectorsPerBlock() * f.sectorSize);
    const std::size_t last = dump.size() - f.BlockBytes();
    EXPECT_TRUE(AllBytes(dump, last, 8192, 0x55));
    EXPECT_TRUE(AllBytes(dump, dump.size() - 8192, 8192, 0xAA));
    EXPECT_TRUE(Contains(Output(), "Checking for bad blocks" + Dots(f.Blocks() - 1) + "\n"));
    const std::string fsck = FindTool("fsck.fat");
    if (fsck.empty())
        GTEST_SKIP() << "fsck.fat (dosfstools) is not installed";
    EXPECT_EQ(FsckComplaints(fsck, (Work() / "Q3MSD_Dump.img").string()), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(, FmtToolGeometry,
                         ::testing::Values(FmtFlash{2048, 64, 2048}, FmtFlash{2048, 64, 512}, FmtFlash{512, 32, 512}),
                         PrintedParamName());

TEST(FmtToolTables, ABadBlockUnderTheTablesEndsTheRun)
{
    FmtToolTestBase run({512, 32, 512});  // 16 KiB blocks; the data area starts at sector 48
    run.device.WeakBlock(1);
    run.console.Keys("y ");
    EXPECT_EQ(run.RunFmt({}), kFmtExitFailed);
    EXPECT_TRUE(Contains(run.Output(), "\nBad block: 1\nBlock 1 holds the volume's tables. Image loading is "
                                       "imposible.\n" +
                                           std::string(kPressAnyKey)))
        << run.Output();
    EXPECT_FALSE(Contains(run.Output(), "Loading image"));
}

// Block 0 in the load: two writes of 32 pages, then two reads of 32 sectors.
TEST_F(FmtToolFixture, AReadThatMovesNothingIsNotTakenForTheData)
{
    console.onWrite = [&](const std::string& text) {
        if (text == "Loading image")
            device.SilentlyDropData(3);
    };
    console.Keys("y ");
    EXPECT_EQ(RunFmt({}), kFmtExitOk) << Output();
    EXPECT_FALSE(Contains(Output(), "Error")) << Output();
    // The first read left the buffer as it was, so the block was written again.
    EXPECT_EQ(WritesAt(0), 1u + 2u);
    EXPECT_EQ(WritesAt(64), 1u + 1u);
}

TEST_F(FmtToolFixture, AReadWithBytesMissingEndsTheLoad)
{
    console.onWrite = [&](const std::string& text) {
        if (text == "Loading image")
            device.ShortTransfer(3, 2048);
    };
    console.Keys("y ");
    EXPECT_EQ(RunFmt({}), kFmtExitFailed);
    EXPECT_TRUE(Output().ends_with("Loading image.\nError ReadPages(), 0, 64\nError message: /dev/sg3: 2048 bytes "
                                   "of the data phase did not move\n\nVERIFY ERROR!!!\n " +
                                   std::string(kPressAnyKey)))
        << Output();
}

// The test's read-back is checked the same way.
TEST_F(FmtToolFixture, ATestReadThatMovesNothingCostsAnAttempt)
{
    device.SilentlyDropData(3 + 3);  // connect: INQUIRY, identify, READ CAPACITY; then block 0
    console.Keys("y ");
    EXPECT_EQ(RunFmt({}), kFmtExitOk) << Output();
    EXPECT_EQ(WritesAt(0), 2u + 1u);
}
