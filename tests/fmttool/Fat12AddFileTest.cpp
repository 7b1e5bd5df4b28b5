#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/fmttool/Fat12Fixture.h"

namespace fs = std::filesystem;

namespace {

void PutFile(const fs::path& path, const std::vector<std::uint8_t>& data)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

// A PC folder of files and folders with long names.
class Fat12AddFile : public Fat12Fixture {
protected:
    void SetUp() override
    {
        PutFile(pc / "readme.txt", Fat12Bytes(100, 1));
        PutFile(pc / "Long file name.txt", Fat12Bytes(8193, 2));
        PutFile(pc / "empty.dat", {});
        PutFile(pc / "Docs" / "Sub Folder" / "Grüße.wav", Fat12Bytes(20000, 3));
        PutFile(pc / "Docs" / "notes.txt", Fat12Bytes(8192, 4));
        PutFile(pc / "Long folder A" / "x.txt", Fat12Bytes(1, 5));
        PutFile(pc / "Long folder B" / "x.txt", Fat12Bytes(2, 6));
        fs::create_directories(pc / "Empty folder");
    }

    // Adds every entry of the folder, as the tool does.
    TFat12Result AddAll()
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(pc))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        for (const std::string& name : names)
            if (const TFat12Result result = image.Fat12AddFile(name, pc); result != fat12Ok)
                return result;
        return fat12Ok;
    }

    fs::path pc = dir.Path() / "ImageFiles";
};

std::string LongNameOf(const TFat12Image& image, std::uint16_t directory, const std::string& shortName)
{
    for (const Fat12Listed& item : Fat12List(image, directory))
        if (item.name == shortName)
            return item.longName;
    return "(none)";
}

}  // namespace

TEST_F(Fat12AddFile, AFolderWithEverythingBelowItShortNamesAndLastComponentLongNames)
{
    MakeImage(512, 8192);
    ASSERT_EQ(AddAll(), fat12Ok);

    const std::uint16_t docs = image.Fat12LookupDirectory("DOCS");
    const std::uint16_t sub = image.Fat12LookupDirectory("DOCS\\SUBFOL~1");
    ASSERT_NE(docs, 0);
    ASSERT_NE(sub, 0);
    EXPECT_EQ(LongNameOf(image, sub, "GR__E~1.WAV"), "Grüße.wav");
    EXPECT_EQ(LongNameOf(image, docs, "NOTES.TXT"), "notes.txt");
    EXPECT_EQ(LongNameOf(image, docs, "SUBFOL~1"), "");  // directories carry no long name
    EXPECT_EQ(LongNameOf(image, 1, "LONGFI~1.TXT"), "Long file name.txt");
    EXPECT_EQ(LongNameOf(image, 1, "README.TXT"), "readme.txt");
    EXPECT_EQ(Fat12ReadBack(image, "DOCS\\SUBFOL~1\\GR__E~1.WAV"), Fat12Bytes(20000, 3));
    EXPECT_EQ(Fat12ReadBack(image, "DOCS\\NOTES.TXT"), Fat12Bytes(8192, 4));
    EXPECT_EQ(Fat12ReadBack(image, "LONGFI~1.TXT"), Fat12Bytes(8193, 2));
    EXPECT_EQ(Fat12ReadBack(image, "LONGFO~1\\X.TXT"), Fat12Bytes(1, 5));
    EXPECT_EQ(Fat12ReadBack(image, "LONGFO~2\\X.TXT"), Fat12Bytes(2, 6));
    EXPECT_NE(image.Fat12LookupDirectory("EMPTYF~1"), 0);

    // The empty file has no cluster.
    for (const Fat12Listed& item : Fat12List(image, 1)) {
        if (item.name == "EMPTY.DAT") {
            EXPECT_EQ(Fat12EntryCluster(item.entry), 0);
        }
    }
    CloseAndCheckFats();
}

TEST_F(Fat12AddFile, FilesOfOneFolderAddedOneByOneShareItsDirectories)
{
    MakeImage(2048, 2048);
    ASSERT_EQ(image.Fat12AddFile("Docs/Sub Folder/Grüße.wav", pc), fat12Ok);
    ASSERT_EQ(image.Fat12AddFile("Docs/notes.txt", pc), fat12Ok);
    ASSERT_EQ(image.Fat12AddFile("./Docs/Sub Folder", pc), fat12Exists);  // the file is there already
    const auto root = Fat12List(image, 1);
    ASSERT_EQ(root.size(), 1u);
    EXPECT_EQ(root[0].name, "DOCS");
    EXPECT_EQ(Fat12List(image, image.Fat12LookupDirectory("DOCS")).size(), 4u);
}

TEST_F(Fat12AddFile, PathsThatNameNothingInTheFolder)
{
    MakeImage(512, 8192);
    EXPECT_EQ(image.Fat12AddFile("", pc), fat12EmptyPath);
    EXPECT_EQ(image.Fat12AddFile("missing.txt", pc), fat12EmptyPath);
    EXPECT_EQ(image.Fat12AddFile((pc / "readme.txt").string(), pc), fat12EmptyPath);
    EXPECT_EQ(image.Fat12AddFile("../ImageFiles/readme.txt", pc), fat12EmptyPath);
    EXPECT_TRUE(Fat12List(image, 1).empty());
}

TEST_F(Fat12AddFile, ANameALongNameCannotHoldIsRefused)
{
    PutFile(pc / "a:b.txt", Fat12Bytes(10, 1));
    MakeImage(512, 8192);
    EXPECT_EQ(image.Fat12AddFile("a:b.txt", pc), fat12CannotCreate);
    EXPECT_TRUE(Fat12List(image, 1).empty());
    EXPECT_EQ(image.Fat12FindFreeCluster(), 2);
}

TEST_F(Fat12AddFile, LinksToFoldersAreNeverFollowed)
{
    const fs::path outside = dir.Path() / "outside";
    PutFile(outside / "secret.txt", Fat12Bytes(5, 1));
    fs::create_directory_symlink(pc, pc / "Docs" / "loop");
    fs::create_directory_symlink(outside, pc / "outside link");
    fs::create_symlink(pc / "readme.txt", pc / "Docs" / "readme link.txt");

    MakeImage(512, 8192);
    ASSERT_EQ(AddAll(), fat12Ok);
    const std::uint16_t docs = image.Fat12LookupDirectory("DOCS");
    std::vector<std::string> names;
    for (const Fat12Listed& item : Fat12List(image, docs))
        names.push_back(item.longName.empty() ? item.name : item.longName);
    // A link to a file adds the file it names.
    EXPECT_EQ(names, (std::vector<std::string>{".", "..", "SUBFOL~1", "notes.txt", "readme link.txt"}));
    for (const Fat12Listed& item : Fat12List(image, 1))
        EXPECT_NE(item.name.rfind("OUTSID", 0), 0u) << item.name;
    EXPECT_EQ(image.Fat12AddFile("outside link", pc), fat12Ok);
    CloseAndCheckFats();
}

TEST_F(Fat12AddFile, AFileLargerThanTheDiskSaysSo)
{
    PutFile(pc / "huge.bin", Fat12Bytes(507 * 8192, 1));
    MakeImage(8192, 512);  // 506 clusters
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(image.Fat12AddFile("huge.bin", pc), fat12DiskFull);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Not enough free space...\n");
    EXPECT_EQ(image.Fat12FindFreeCluster(), 0);
    // What fitted is kept and the entry tells its size.
    EXPECT_EQ(Fat12EntrySize(Fat12List(image, 1)[0].entry), 506u * 8192u);
    CloseAndCheckFats();
}
