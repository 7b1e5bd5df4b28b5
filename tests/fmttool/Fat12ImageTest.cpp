#include <gtest/gtest.h>

#include <cstdio>

#include "fmttool/Fat12DirIterator.h"
#include "fmttool/Fat12Table.h"
#include "tests/fmttool/Fat12Fixture.h"

namespace {

class Fat12Image : public Fat12Fixture {};

}  // namespace

TEST_F(Fat12Image, NewFileEntryWithLongNameAndNoClusterUntilWritten)
{
    MakeImage(512, 8192);
    ASSERT_EQ(image.Fat12CreateEntry("", "LONGFI~1.TXT", "Long file name.txt"), fat12Ok);

    const auto listed = Fat12List(image, 1);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].name, "LONGFI~1.TXT");
    EXPECT_EQ(listed[0].longName, "Long file name.txt");
    const TFat12RawEntry& e = listed[0].entry;
    EXPECT_EQ(e[11], kFat12AttrArchive);
    EXPECT_EQ(e[22] | e[23] << 8, Fat12PackTime(Fat12TestTime()));
    EXPECT_EQ(e[24] | e[25] << 8, Fat12PackDate(Fat12TestTime()));
    EXPECT_EQ(Fat12EntryCluster(e), 0);
    EXPECT_EQ(Fat12EntrySize(e), 0u);
    // Two long-name entries, then the short one, from the root's first entry.
    EXPECT_EQ(listed[0].offset, boot.FirstRootSector() * 512u + 64u);
    EXPECT_EQ(image.Fat12FindFreeCluster(), 2);

    // An empty file stays without a cluster.
    TFat12File file;
    ASSERT_EQ(image.Fat12OpenFile("\\LONGFI~1.TXT", file), fat12Ok);
    ASSERT_EQ(image.Fat12WriteFile(nullptr, 1, 0, file), fat12Ok);
    ASSERT_EQ(image.Fat12CloseFile(file), fat12Ok);
    EXPECT_EQ(Fat12EntryCluster(Fat12List(image, 1)[0].entry), 0);
    EXPECT_EQ(image.Fat12FindFreeCluster(), 2);
    CloseAndCheckFats();
}

TEST_F(Fat12Image, AClusterHolds8192BytesTheNextByteTakesANewOne)
{
    MakeImage(2048, 2048);
    const auto data = Fat12Bytes(8193, 7);
    ASSERT_EQ(image.Fat12CreateEntry("", "A.BIN"), fat12Ok);
    TFat12File file;
    ASSERT_EQ(image.Fat12OpenFile("A.BIN", file), fat12Ok);
    ASSERT_EQ(image.Fat12WriteFile(data.data(), 4096, 2, file), fat12Ok);
    EXPECT_TRUE(file.full);
    EXPECT_EQ(Fat12Chain(image, file.firstCluster).size(), 1u);
    ASSERT_EQ(image.Fat12WriteFile(data.data() + 8192, 1, 1, file), fat12Ok);
    EXPECT_EQ(Fat12Chain(image, file.firstCluster), (std::vector<std::uint16_t>{2, 3}));
    ASSERT_EQ(image.Fat12CloseFile(file), fat12Ok);
    EXPECT_EQ(Fat12ReadBack(image, "A.BIN"), data);

    // Opened again, a file of whole clusters goes on in a new one.
    WriteFile("", "B.BIN", Fat12Bytes(8192, 1));
    ASSERT_EQ(image.Fat12OpenFile("B.BIN", file), fat12Ok);
    EXPECT_TRUE(file.full);
    EXPECT_EQ(file.position, 8192u);
    ASSERT_EQ(image.Fat12WriteFile("xyz", 1, 3, file), fat12Ok);
    ASSERT_EQ(image.Fat12CloseFile(file), fat12Ok);
    auto expected = Fat12Bytes(8192, 1);
    expected.insert(expected.end(), {'x', 'y', 'z'});
    EXPECT_EQ(Fat12ReadBack(image, "B.BIN"), expected);
    EXPECT_EQ(Fat12Chain(image, file.firstCluster), (std::vector<std::uint16_t>{4, 5}));
    CloseAndCheckFats();
}

TEST_F(Fat12Image, NamesCompareWithoutCaseAndDuplicatesAreRefused)
{
    MakeImage(512, 8192);
    ASSERT_EQ(image.Fat12CreateEntry("", "README.TXT", "Read me.txt"), fat12Ok);
    ASSERT_EQ(image.Fat12MakeDirectory("", "DOCS"), fat12Ok);
    EXPECT_EQ(image.Fat12CreateEntry("", "readme.txt"), fat12Exists);
    EXPECT_EQ(image.Fat12CreateEntry("", "OTHER.TXT", "READ ME.TXT"), fat12Exists);
    EXPECT_EQ(image.Fat12CreateEntry("", "OTHER.TXT", "docs"), fat12Exists);
    EXPECT_EQ(image.Fat12MakeDirectory("\\", "Docs"), fat12Exists);
    EXPECT_EQ(image.Fat12MakeDirectory("", "README.TXT"), fat12Exists);
    EXPECT_EQ(image.Fat12LookupDirectory("\\docs"), image.Fat12LookupDirectory("DOCS"));
    TFat12File file;
    EXPECT_EQ(image.Fat12OpenFile("\\ReadMe.Txt", file), fat12Ok);
    EXPECT_EQ(Fat12List(image, 1).size(), 2u);
}

TEST_F(Fat12Image, BadNamesAndMissingDirectoriesAreRefused)
{
    MakeImage(512, 8192);
    EXPECT_EQ(image.Fat12CreateEntry("", ""), fat12CannotCreate);
    EXPECT_EQ(image.Fat12CreateEntry("", "TOOLONGNAME.TXT"), fat12CannotCreate);
    EXPECT_EQ(image.Fat12CreateEntry("", "A.TXT", "a:b.txt"), fat12CannotCreate);
    EXPECT_EQ(image.Fat12CreateEntry("", "A.TXT", "dir\\a.txt"), fat12CannotCreate);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(image.Fat12CreateEntry("", "A.TXT", ""), fat12CannotCreate);
    EXPECT_EQ(image.Fat12CreateEntry("", "A.TXT", std::string(256, 'a')), fat12CannotCreate);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("\ngenerate lfn chain() error: illegal filename length: "), std::string::npos);
    EXPECT_EQ(image.Fat12CreateEntry("\\NOWHERE", "A.TXT"), fat12NotFound);
    EXPECT_EQ(image.Fat12MakeDirectory("\\NOWHERE", "A"), fat12NotFound);
    EXPECT_EQ(image.Fat12MakeDirectory("", ".."), fat12CannotCreate);
    EXPECT_TRUE(Fat12List(image, 1).empty());
    EXPECT_EQ(image.Fat12FindFreeCluster(), 2);
}

TEST_F(Fat12Image, DirectoriesHoldDotEntriesAndTheRootIsOneInLookups)
{
    MakeImage(512, 8192);
    ASSERT_EQ(image.Fat12MakeDirectory("", "A"), fat12Ok);
    ASSERT_EQ(image.Fat12MakeDirectory("\\A", "B.DIR"), fat12Ok);
    const std::uint16_t a = image.Fat12LookupDirectory("\\A");
    const std::uint16_t b = image.Fat12LookupDirectory("\\A\\B.DIR");
    EXPECT_EQ(a, 2);
    EXPECT_EQ(b, 3);
    EXPECT_EQ(image.Fat12LookupDirectory(""), 1);
    EXPECT_EQ(image.Fat12LookupDirectory("\\"), 1);
    EXPECT_EQ(image.Fat12LookupDirectory("\\A\\.."), 1);
    EXPECT_EQ(image.Fat12LookupDirectory("\\A\\B.DIR\\.."), a);
    EXPECT_EQ(image.Fat12LookupDirectory("\\A\\B.DIR\\."), b);
    EXPECT_EQ(image.Fat12LookupDirectory("\\B.DIR"), 0);

    const auto inA = Fat12List(image, a);
    ASSERT_EQ(inA.size(), 3u);
    EXPECT_EQ(inA[0].name, ".");
    EXPECT_EQ(Fat12EntryCluster(inA[0].entry), a);
    EXPECT_EQ(inA[1].name, "..");
    EXPECT_EQ(Fat12EntryCluster(inA[1].entry), 0);  // the root
    for (const auto& item : inA) {
        EXPECT_EQ(item.entry[11], kFat12AttrDirectory);
        EXPECT_EQ(item.entry[24] | item.entry[25] << 8, Fat12PackDate(Fat12TestTime()));
        EXPECT_TRUE(item.longName.empty());
    }
    const auto inB = Fat12List(image, b);
    EXPECT_EQ(Fat12EntryCluster(inB[1].entry), a);

    // A file is no directory.
    ASSERT_EQ(image.Fat12CreateEntry("\\A", "F.TXT"), fat12Ok);
    EXPECT_EQ(image.Fat12LookupDirectory("\\A\\F.TXT"), 0);
    EXPECT_EQ(image.Fat12CreateEntry("\\A\\F.TXT", "G.TXT"), fat12NotFound);
    CloseAndCheckFats();
}

TEST_F(Fat12Image, DeleteFreesTheChainAndMarksTheLongNameEntriesToo)
{
    MakeImage(512, 8192);
    WriteFile("", "LONGFI~1.TXT", Fat12Bytes(20000, 3), "Long file name.txt");
    WriteFile("", "KEEP.TXT", Fat12Bytes(10, 4), "keep.txt");
    EXPECT_EQ(image.Fat12FindFreeCluster(), 6);

    ::testing::internal::CaptureStdout();
    EXPECT_EQ(image.Fat12DeleteEntry("\\longfi~1.txt"), fat12Ok);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Deleting file \\longfi~1.txt...\n");
    EXPECT_EQ(image.FatEntry(2), 0);
    EXPECT_EQ(image.FatEntry(3), 0);
    EXPECT_EQ(image.FatEntry(4), 0);
    EXPECT_EQ(image.Fat12FindFreeCluster(), 2);

    // No orphans: every slot before KEEP.TXT's chain reads as deleted.
    const std::vector<std::uint8_t> bytes = ImageBytes();
    const std::size_t root = boot.FirstRootSector() * 512u;
    for (std::size_t slot = 0; slot < 3; ++slot)
        EXPECT_EQ(bytes[root + slot * 32], kFat12EntryDeleted) << slot;
    const auto listed = Fat12List(image, 1);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].longName, "keep.txt");

    // A name of the same length takes the deleted slots again.
    WriteFile("", "OTHERF~1.TXT", Fat12Bytes(5, 5), "Other file n.txt");
    const auto again = Fat12List(image, 1);
    ASSERT_EQ(again.size(), 2u);
    EXPECT_EQ(again[0].name, "OTHERF~1.TXT");
    EXPECT_EQ(again[0].offset, root + 64);
    EXPECT_EQ(again[0].longName, "Other file n.txt");
    EXPECT_EQ(Fat12ReadBack(image, "KEEP.TXT"), Fat12Bytes(10, 4));

    EXPECT_EQ(image.Fat12DeleteEntry("\\MISSING"), fat12NotFound);
    EXPECT_EQ(image.Fat12DeleteEntry(""), fat12EmptyPath);
    CloseAndCheckFats();
}

TEST_F(Fat12Image, DeletedSlotTooShortForAChainIsSkippedNotOverrun)
{
    MakeImage(512, 8192);
    ASSERT_EQ(image.Fat12CreateEntry("", "A.TXT"), fat12Ok);
    ASSERT_EQ(image.Fat12CreateEntry("", "B.TXT"), fat12Ok);
    ASSERT_EQ(image.Fat12DeleteEntry("A.TXT"), fat12Ok);

    // Needs three slots: one deleted slot, then B.TXT, then free ones.
    ASSERT_EQ(image.Fat12CreateEntry("", "C.TXT", "A name of 20 chars.x"), fat12Ok);
    const std::size_t root = boot.FirstRootSector() * 512u;
    auto listed = Fat12List(image, 1);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].name, "B.TXT");
    EXPECT_EQ(listed[0].offset, root + 32);
    EXPECT_EQ(listed[1].name, "C.TXT");
    EXPECT_EQ(listed[1].offset, root + 4 * 32);
    EXPECT_EQ(listed[1].longName, "A name of 20 chars.x");

    // The deleted slot serves an entry without long name.
    ASSERT_EQ(image.Fat12CreateEntry("", "D.TXT"), fat12Ok);
    listed = Fat12List(image, 1);
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[0].name, "D.TXT");
    EXPECT_EQ(listed[0].offset, root);
}

TEST_F(Fat12Image, TheRootHolds512EntriesThenIsFull)
{
    MakeImage(512, 8192);
    for (int i = 0; i < 512; ++i)
        ASSERT_EQ(image.Fat12CreateEntry("", "F" + std::to_string(i)), fat12Ok) << i;
    EXPECT_EQ(image.Fat12CreateEntry("", "ONEMORE"), fat12DiskFull);
    EXPECT_EQ(image.Fat12MakeDirectory("", "DIR"), fat12DiskFull);
    EXPECT_EQ(image.Fat12FindFreeCluster(), 2);  // the directory's cluster was given back

    const auto listed = Fat12List(image, 1);
    ASSERT_EQ(listed.size(), 512u);
    EXPECT_EQ(listed.back().name, "F511");
    EXPECT_EQ(listed.back().offset, (boot.FirstRootSector() + 32) * 512u - 32u);
    TFat12File file;
    EXPECT_EQ(image.Fat12OpenFile("F511", file), fat12Ok);

    // A deleted entry makes room again.
    ASSERT_EQ(image.Fat12DeleteEntry("F100"), fat12Ok);
    EXPECT_EQ(image.Fat12CreateEntry("", "ONEMORE"), fat12Ok);
    EXPECT_EQ(Fat12List(image, 1)[100].name, "ONEMORE");
    CloseAndCheckFats();
}

TEST_F(Fat12Image, ADirectoryGrowsByAClusterWhenItsLastEntryIsTaken)
{
    MakeImage(512, 8192);
    ASSERT_EQ(image.Fat12MakeDirectory("", "D"), fat12Ok);
    const std::uint16_t d = image.Fat12LookupDirectory("D");
    // "." and ".." and 254 more fill the 256 entries of the first cluster.
    for (int i = 0; i < 254; ++i)
        ASSERT_EQ(image.Fat12CreateEntry("D", "F" + std::to_string(i)), fat12Ok) << i;
    EXPECT_EQ(Fat12Chain(image, d).size(), 1u);
    auto listed = Fat12List(image, d);
    ASSERT_EQ(listed.size(), 256u);
    EXPECT_EQ(listed.back().name, "F253");
    EXPECT_EQ(listed.back().offset, image.ClusterOffset(d) + 8192 - 32);
    TFat12File file;
    EXPECT_EQ(image.Fat12OpenFile("D\\F253", file), fat12Ok);

    // A chain of three slots after the end goes to a new cluster.
    ASSERT_EQ(image.Fat12CreateEntry("D", "LONG~1", "twenty-six characters long"), fat12Ok);
    const auto chain = Fat12Chain(image, d);
    ASSERT_EQ(chain.size(), 2u);
    listed = Fat12List(image, d);
    ASSERT_EQ(listed.size(), 257u);
    EXPECT_EQ(listed.back().longName, "twenty-six characters long");
    EXPECT_EQ(listed.back().offset, image.ClusterOffset(chain[1]) + 2 * 32);
    EXPECT_EQ(image.Fat12OpenFile("D\\LONG~1", file), fat12Ok);

    // Deleted slots at the end of one cluster and the start of the next carry a chain across.
    ASSERT_EQ(image.Fat12DeleteEntry("D\\F253"), fat12Ok);
    ASSERT_EQ(image.Fat12DeleteEntry("D\\F252"), fat12Ok);
    ASSERT_EQ(image.Fat12DeleteEntry("D\\LONG~1"), fat12Ok);
    ASSERT_EQ(image.Fat12CreateEntry("D", "ACROSS~1", "a long name that spans two clusters"), fat12Ok);
    listed = Fat12List(image, d);
    EXPECT_EQ(listed.back().name, "ACROSS~1");
    EXPECT_EQ(listed.back().longName, "a long name that spans two clusters");
    EXPECT_EQ(listed.back().offset, image.ClusterOffset(chain[1]) + 32);
    EXPECT_EQ(Fat12Chain(image, d).size(), 2u);
    CloseAndCheckFats();
}

TEST_F(Fat12Image, DeletingADirectoryDeletesWhatItHolds)
{
    MakeImage(512, 8192);
    ASSERT_EQ(image.Fat12MakeDirectory("", "TOP"), fat12Ok);
    ASSERT_EQ(image.Fat12MakeDirectory("TOP", "SUB"), fat12Ok);
    WriteFile("TOP\\SUB", "A.TXT", Fat12Bytes(9000, 1), "a.txt");
    WriteFile("TOP", "B.TXT", Fat12Bytes(100, 2));
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(image.Fat12DeleteEntry("TOP"), fat12Ok);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "Deleting file TOP...\nDeleting file TOP\\SUB...\nDeleting file TOP\\SUB\\A.TXT...\n"
              "Deleting file TOP\\B.TXT...\n");
    EXPECT_TRUE(Fat12List(image, 1).empty());
    for (std::uint32_t c = 2; c < image.FatEntries(); ++c)
        ASSERT_EQ(image.FatEntry(c), 0) << c;
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(image.Fat12DeleteEntry("TOP\\.."), fat12NotFound);
    ::testing::internal::GetCapturedStdout();
    CloseAndCheckFats();
}

TEST_F(Fat12Image, AFullDiskGives5AndKeepsWhatWasWritten)
{
    MakeImage(8192, 512);  // 506 clusters
    const std::uint32_t clusters = image.FatEntries() - 2;
    ASSERT_EQ(clusters, 506u);
    ASSERT_EQ(image.Fat12CreateEntry("", "BIG.BIN"), fat12Ok);
    TFat12File file;
    ASSERT_EQ(image.Fat12OpenFile("BIG.BIN", file), fat12Ok);
    const auto data = Fat12Bytes(clusters * 8192u, 9);
    ASSERT_EQ(image.Fat12WriteFile(data.data(), 8192, clusters, file), fat12Ok);
    EXPECT_EQ(image.Fat12FindFreeCluster(), 0);
    EXPECT_EQ(image.Fat12WriteFile("!", 1, 1, file), fat12DiskFull);
    ASSERT_EQ(image.Fat12CloseFile(file), fat12Ok);
    EXPECT_EQ(Fat12ReadBack(image, "BIG.BIN"), data);

    // A new directory, or a subdirectory that must grow, finds no cluster either.
    EXPECT_EQ(image.Fat12MakeDirectory("", "D"), fat12DiskFull);
    ASSERT_EQ(image.Fat12DeleteEntry("BIG.BIN"), fat12Ok);
    ASSERT_EQ(image.Fat12MakeDirectory("", "D"), fat12Ok);
    ASSERT_EQ(image.Fat12CreateEntry("", "FILL"), fat12Ok);
    ASSERT_EQ(image.Fat12OpenFile("FILL", file), fat12Ok);
    ASSERT_EQ(image.Fat12WriteFile(data.data(), 8192, clusters - 1, file), fat12Ok);
    ASSERT_EQ(image.Fat12CloseFile(file), fat12Ok);
    for (int i = 0; i < 254; ++i)
        ASSERT_EQ(image.Fat12CreateEntry("D", "F" + std::to_string(i)), fat12Ok) << i;
    EXPECT_EQ(image.Fat12CreateEntry("D", "ONEMORE"), fat12DiskFull);
    EXPECT_EQ(Fat12Chain(image, image.Fat12LookupDirectory("D")).size(), 1u);
    CloseAndCheckFats();
}

TEST_F(Fat12Image, BadClusterMarksStayAndAreNeverAllocated)
{
    MakeImage(2048, 2048);
    image.SetFatEntry(2, BadClusterMark);
    image.SetFatEntry(3, BadClusterMark);
    EXPECT_EQ(image.Fat12FindFreeCluster(), 4);
    WriteFile("", "A.BIN", Fat12Bytes(100, 1));
    EXPECT_EQ(Fat12Chain(image, 4).size(), 1u);
    CloseAndCheckFats();
    ASSERT_EQ(image.Fat12OpenImage(path), fat12Ok);
    EXPECT_EQ(image.FatEntry(2), BadClusterMark);
    EXPECT_EQ(image.FatEntry(4), kFat12EndOfChain);
    EXPECT_EQ(Fat12ReadBack(image, "A.BIN"), Fat12Bytes(100, 1));
}

TEST_F(Fat12Image, FilesThatAreNoImageOfOursAreNotOpened)
{
    MakeImage(512, 8192);
    ASSERT_EQ(image.Fat12CloseImage(), fat12Ok);
    std::vector<std::uint8_t> bytes = ImageBytes();

    const auto write = [&](const std::vector<std::uint8_t>& content) {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(content.data(), 1, content.size(), f);
        std::fclose(f);
        return image.Fat12OpenImage(path);
    };
    EXPECT_EQ(image.Fat12OpenImage(dir.File("missing.img")), fat12NotFound);
    EXPECT_EQ(write({bytes.begin(), bytes.end() - 1}), fat12NotFound);  // cut short
    auto oneFat = bytes;
    oneFat[16] = 1;
    EXPECT_EQ(write(oneFat), fat12NotFound);
    auto noSignature = bytes;
    noSignature[510] = 0;
    EXPECT_EQ(write(noSignature), fat12NotFound);
    auto oddSector = bytes;
    oddSector[11] = 0x00, oddSector[12] = 0x03;
    EXPECT_EQ(write(oddSector), fat12NotFound);
    EXPECT_FALSE(image.IsOpen());
    EXPECT_EQ(image.Fat12CreateEntry("", "A.TXT"), fat12NotFound);
    EXPECT_EQ(write(bytes), fat12Ok);
}

TEST_F(Fat12Image, BrokenDirectoryChainsEndTheWalk)
{
    MakeImage(512, 8192);
    ASSERT_EQ(image.Fat12MakeDirectory("", "D"), fat12Ok);
    ASSERT_EQ(image.Fat12MakeDirectory("", "E"), fat12Ok);
    const std::uint16_t d = image.Fat12LookupDirectory("D");
    image.SetFatEntry(d, d);  // a circle

    Fat12DirIterator it(image, d);
    std::size_t entries = 0;
    while (it.Next())
        ++entries;
    EXPECT_TRUE(it.Failed());
    EXPECT_EQ(entries, 256u * image.FatEntries());
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(image.Fat12DeleteEntry("D"), fat12Ok);
    EXPECT_EQ(image.FatEntry(d), 0);

    // A directory entry whose cluster lies outside the FAT cannot be opened.
    const auto e = Fat12List(image, 1).back();
    ASSERT_EQ(e.name, "E");
    const std::uint8_t outside[2] = {0xF0, 0x0F};
    ASSERT_TRUE(image.WriteAt(e.offset + 26, outside, 2));
    EXPECT_EQ(image.Fat12LookupDirectory("E"), 0);
    EXPECT_EQ(image.Fat12DeleteEntry("E"), fat12CannotOpenDir);
    ::testing::internal::GetCapturedStdout();
}
