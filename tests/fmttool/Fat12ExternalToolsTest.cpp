// The images checked by tools that were not written with them: dosfstools'
// fsck.fat and mtools.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "fmttool/Fat12Table.h"
#include "tests/fmttool/ExternalTools.h"
#include "tests/fmttool/Fat12Fixture.h"
#include "tests/support/ParamName.h"

namespace fs = std::filesystem;

namespace {

void PutFile(const fs::path& path, const std::vector<std::uint8_t>& data)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

std::vector<std::uint8_t> ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct SectorSize {
    std::uint32_t bytes;
};

void PrintTo(const SectorSize& s, std::ostream* os)
{
    *os << "sector " << s.bytes;
}

// A 4 MiB volume built from a PC folder, with a file deleted and a cluster
// marked bad on the way.
class Fat12ExternalTools : public Fat12Fixture, public ::testing::WithParamInterface<SectorSize> {
protected:
    void SetUp() override
    {
        PutFile(pc / "readme.txt", Fat12Bytes(100, 1));
        PutFile(pc / "Long file name.txt", Fat12Bytes(8193, 2));
        PutFile(pc / "exact.bin", Fat12Bytes(8192, 3));
        PutFile(pc / "empty.dat", {});
        PutFile(pc / "Docs" / "Sub Folder" / "Grüße.wav", Fat12Bytes(20000, 4));
        PutFile(pc / "Docs" / "Exactly13.txt", Fat12Bytes(300, 5));
        PutFile(pc / "Docs" / "gone.txt", Fat12Bytes(9000, 6));
        const std::uint32_t s = GetParam().bytes;
        MakeImage(s, 4 * 1024 * 1024 / s);
        image.SetFatEntry(image.FatEntries() - 1, BadClusterMark);
        for (const char* name : {"Docs", "Long file name.txt", "empty.dat", "exact.bin", "readme.txt"})
            ASSERT_EQ(image.Fat12AddFile(name, pc), fat12Ok) << name;
        ::testing::internal::CaptureStdout();
        ASSERT_EQ(image.Fat12DeleteEntry("DOCS\\GONE.TXT"), fat12Ok);
        ::testing::internal::GetCapturedStdout();
        CloseAndCheckFats();
    }

    fs::path pc = dir.Path() / "ImageFiles";
};

}  // namespace

TEST_P(Fat12ExternalTools, FsckFindsNoErrorButTheBlankLabel)
{
    const std::string fsck = FindTool("fsck.fat");
    if (fsck.empty())
        GTEST_SKIP() << "fsck.fat (dosfstools) is not installed";
    EXPECT_EQ(FsckComplaints(fsck, path), std::vector<std::string>{});

    // The check has teeth: a short entry deleted without its long-name entries.
    ASSERT_EQ(image.Fat12OpenImage(path), fat12Ok);
    const Fat12Listed readme = Fat12List(image, 1).back();
    ASSERT_EQ(readme.name, "README.TXT");
    const std::uint8_t deleted = kFat12EntryDeleted;
    ASSERT_TRUE(image.WriteAt(readme.offset, &deleted, 1));
    ASSERT_EQ(image.Fat12CloseImage(), fat12Ok);
    const std::vector<std::string> complaints = FsckComplaints(fsck, path);
    ASSERT_FALSE(complaints.empty());
    EXPECT_EQ(complaints[0], "Orphaned long file name part \"readme.txt\"");
}

TEST_P(Fat12ExternalTools, MtoolsListsLongNamesAndExtractsTheBytes)
{
    const std::string mdir = FindTool("mdir");
    const std::string mcopy = FindTool("mcopy");
    const std::string mshowfat = FindTool("mshowfat");
    if (mdir.empty() || mcopy.empty() || mshowfat.empty())
        GTEST_SKIP() << "mtools is not installed";

    const ToolRun listing = RunTool(mdir + " -/ -a -i " + Quoted(path) + " ::");
    ASSERT_EQ(listing.status, 0) << listing.output;
    for (const char* name : {"Long file name.txt", "Grüße.wav", "Exactly13.txt", "readme.txt", "SUBFOL~1"})
        EXPECT_NE(listing.output.find(name), std::string::npos) << name << "\n" << listing.output;
    EXPECT_EQ(listing.output.find("gone.txt"), std::string::npos) << listing.output;

    struct {
        const char* imageName;
        fs::path pcFile;
    } const files[] = {
        {"::/Long file name.txt", pc / "Long file name.txt"},
        {"::/exact.bin", pc / "exact.bin"},
        {"::/empty.dat", pc / "empty.dat"},
        {"::/DOCS/SUBFOL~1/Grüße.wav", pc / "Docs" / "Sub Folder" / "Grüße.wav"},
        {"::/Docs/Exactly13.txt", pc / "Docs" / "Exactly13.txt"},
    };
    int n = 0;
    for (const auto& file : files) {
        const fs::path out = dir.Path() / ("out" + std::to_string(n++));
        const ToolRun copy =
            RunTool(mcopy + " -n -i " + Quoted(path) + " " + Quoted(file.imageName) + " " + Quoted(out.string()));
        EXPECT_EQ(copy.status, 0) << file.imageName << "\n" << copy.output;
        EXPECT_EQ(ReadFile(out), ReadFile(file.pcFile)) << file.imageName;
    }

    const ToolRun fat = RunTool(mshowfat + " -i " + Quoted(path) + " ::/LONGFI~1.TXT");
    ASSERT_EQ(fat.status, 0) << fat.output;
    ASSERT_EQ(image.Fat12OpenImage(path), fat12Ok);
    TFat12File file;
    ASSERT_EQ(image.Fat12OpenFile("LONGFI~1.TXT", file), fat12Ok);
    const std::string chain = "<" + std::to_string(file.firstCluster) + "-" + std::to_string(file.lastCluster) + ">";
    EXPECT_NE(fat.output.find(chain), std::string::npos) << chain << "\n" << fat.output;
}

INSTANTIATE_TEST_SUITE_P(, Fat12ExternalTools, ::testing::Values(SectorSize{512}, SectorSize{2048}, SectorSize{8192}),
                         PrintedParamName());
