#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "fmttool/Fat12BootSector.h"
#include "tests/support/ParamName.h"
#include "tests/support/TempDir.h"

namespace {

struct GeometryCase {
    std::uint32_t bytesPerSector;
    std::uint32_t totalSectors;
    std::uint32_t clusterSectors, rootSectors, fatSectors, reserved, firstData, fatEntries;
};

void PrintTo(const GeometryCase& c, std::ostream* os)
{
    *os << "s" << c.bytesPerSector << " N" << c.totalSectors;
}

class Fat12Geometry : public ::testing::TestWithParam<GeometryCase> {};

std::vector<std::uint8_t> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST_P(Fat12Geometry, MatchesTheTable)
{
    const GeometryCase& c = GetParam();
    TFat12BootSector boot;
    ASSERT_EQ(Fat12BuildBootSector(boot, c.bytesPerSector, c.totalSectors), fat12Ok);
    EXPECT_EQ(boot.sectorsPerCluster, c.clusterSectors);
    EXPECT_EQ(boot.RootSectors(), c.rootSectors);
    EXPECT_EQ(boot.sectorsPerFat, c.fatSectors);
    EXPECT_EQ(boot.reservedSectors, c.reserved);
    EXPECT_EQ(boot.FirstDataSector(), c.firstData);
    EXPECT_EQ(boot.FatEntries(), c.fatEntries);
    EXPECT_EQ(boot.FirstDataSector() % boot.sectorsPerCluster, 0u);
    EXPECT_TRUE(boot.IsServed());
}

// 4 MiB at every sector size; the last row is a size where the FAT-size
// estimate gives one sector for 342 entries (513 bytes).
INSTANTIATE_TEST_SUITE_P(
    , Fat12Geometry,
    ::testing::Values(GeometryCase{512, 8192, 16, 32, 2, 12, 48, 511}, GeometryCase{1024, 4096, 8, 16, 1, 6, 24, 511},
                      GeometryCase{2048, 2048, 4, 8, 1, 2, 12, 511}, GeometryCase{4096, 1024, 2, 4, 1, 2, 8, 510},
                      GeometryCase{8192, 512, 1, 2, 1, 2, 6, 508}, GeometryCase{512, 5488, 16, 32, 2, 12, 48, 342}),
    PrintedParamName());

TEST(Fat12BootSector, SizesNotServedAreRefusedAndLeaveTheRecord)
{
    struct {
        std::uint32_t s, n;
    } const cases[] = {{256, 16384}, {3000, 2000}, {16384, 256}, {512, 0}, {512, 40}, {512, 70000}, {8192, 5000}};
    for (const auto& c : cases) {
        TFat12BootSector boot;
        boot.totalSectors = 1234;
        EXPECT_EQ(Fat12BuildBootSector(boot, c.s, c.n), fat12BadArgument) << c.s << " " << c.n;
        EXPECT_EQ(boot.totalSectors, 1234) << c.s << " " << c.n;
    }
}

TEST(Fat12BootSector, EveryByteOfTheSector)
{
    TFat12BootSector boot;
    ASSERT_EQ(Fat12BuildBootSector(boot, 512, 8192), fat12Ok);
    std::vector<std::uint8_t> bytes(512, 0xCC);
    boot.Serialize(bytes.data());

    std::vector<std::uint8_t> expected(512, 0);
    const std::vector<std::uint8_t> head = {
        0xEB, 0x3C, 0x90, 'M', 'S', 'D', 'O',  'S',  '5',  '.', '0',  // jump, OEM name
        0x00, 0x02, 16,   12,  0,   2,   0x00, 0x02,                  // s, c, R, FATs, root entries
        0x00, 0x20, 0xF8, 2,   0,   32,  0,    2,    0,               // N, media, f, sectors per track, heads
        0,    0,    0,    0,   0,   0,   0,    0,    0x80, 0,   0x29,
        0,    0,    0,    0,                                          // hidden, N32, drive, signature, serial
        ' ',  ' ',  ' ',  ' ', ' ', ' ', ' ',  ' ',  ' ',  ' ', ' ',  // label
        'F',  'A',  'T',  '1', '2', ' ', ' ',  ' '};
    std::copy(head.begin(), head.end(), expected.begin());
    expected[510] = 0x55;
    expected[511] = 0xAA;
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(TFat12BootSector::Parse(bytes.data()), boot);
}

TEST(Fat12BootSector, EmptyImageLayoutWithLargeSectors)
{
    TempDir dir;
    TFat12BootSector boot;
    ASSERT_EQ(Fat12BuildBootSector(boot, 2048, 2048), fat12Ok);
    EXPECT_EQ(Fat12CreateImage("", boot), fat12EmptyPath);
    ASSERT_EQ(Fat12CreateImage(dir.File("a.img"), boot), fat12Ok);

    const std::vector<std::uint8_t> image = ReadAll(dir.File("a.img"));
    ASSERT_EQ(image.size(), 2048u * 2048u);
    std::vector<std::uint8_t> expected(image.size(), 0);
    boot.Serialize(expected.data());
    for (const std::size_t fat : {2 * 2048, 3 * 2048}) {
        expected[fat] = 0xF8;
        expected[fat + 1] = 0xFF;
        expected[fat + 2] = 0xFF;
    }
    EXPECT_EQ(image[510], 0x55);
    EXPECT_EQ(image[511], 0xAA);
    EXPECT_TRUE(image == expected);
}
