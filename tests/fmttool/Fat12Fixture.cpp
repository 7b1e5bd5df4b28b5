#include "tests/fmttool/Fat12Fixture.h"

#include <fstream>
#include <iterator>

#include "fmttool/Fat12DirIterator.h"
#include "fmttool/Fat12Table.h"

SYSTEMTIME Fat12TestTime()
{
    return SYSTEMTIME{.wYear = 2024, .wMonth = 3, .wDay = 15, .wHour = 13, .wMinute = 45, .wSecond = 38};
}

std::vector<Fat12Listed> Fat12List(const TFat12Image& image, std::uint16_t directory)
{
    std::vector<Fat12Listed> listed;
    Fat12DirIterator it(image, directory);
    while (it.Next()) {
        const TFat12RawEntry& e = it.Entry();
        if (e[0] == kFat12EntryEnd)
            break;
        if (e[0] == kFat12EntryDeleted || Fat12IsLongNamePart(e))
            continue;
        listed.push_back({Fat12EntryName(e), it.LongName(), e, it.Offset()});
    }
    EXPECT_FALSE(it.Failed());
    return listed;
}

std::vector<std::uint16_t> Fat12Chain(const TFat12Image& image, std::uint16_t first)
{
    std::vector<std::uint16_t> chain;
    for (std::uint16_t c = first; Fat12IsNextCluster(c, image.FatEntries()) && chain.size() < image.FatEntries();
         c = image.FatEntry(c))
        chain.push_back(c);
    return chain;
}

std::vector<std::uint8_t> Fat12ReadBack(const TFat12Image& image, const std::string& path)
{
    const std::size_t slash = path.rfind('\\');
    const std::uint16_t directory = image.Fat12LookupDirectory(slash == std::string::npos ? "" : path.substr(0, slash));
    const std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    for (const Fat12Listed& item : Fat12List(image, directory)) {
        if (item.name != name)
            continue;
        std::vector<std::uint8_t> data;
        const std::uint32_t clusterBytes = image.BootSector().ClusterBytes();
        std::vector<std::uint8_t> cluster(clusterBytes);
        for (const std::uint16_t c : Fat12Chain(image, Fat12EntryCluster(item.entry))) {
            EXPECT_TRUE(image.ReadAt(image.ClusterOffset(c), cluster.data(), cluster.size()));
            data.insert(data.end(), cluster.begin(), cluster.end());
        }
        EXPECT_GE(data.size(), Fat12EntrySize(item.entry));
        data.resize(Fat12EntrySize(item.entry));
        return data;
    }
    ADD_FAILURE() << "no " << path;
    return {};
}

std::vector<std::uint8_t> Fat12Bytes(std::size_t count, std::uint8_t seed)
{
    std::vector<std::uint8_t> data(count);
    for (std::size_t i = 0; i < count; ++i)
        data[i] = static_cast<std::uint8_t>(seed + i * 31 + (i >> 8));
    return data;
}

void Fat12Fixture::MakeImage(std::uint32_t bytesPerSector, std::uint32_t totalSectors)
{
    ASSERT_EQ(Fat12BuildBootSector(boot, bytesPerSector, totalSectors), fat12Ok);
    ASSERT_EQ(Fat12CreateImage(path, boot), fat12Ok);
    ASSERT_EQ(image.Fat12OpenImage(path), fat12Ok);
}

void Fat12Fixture::CloseAndCheckFats()
{
    ASSERT_EQ(image.Fat12CloseImage(), fat12Ok);
    const std::vector<std::uint8_t> bytes = ImageBytes();
    const std::size_t fatBytes = static_cast<std::size_t>(boot.sectorsPerFat) * boot.bytesPerSector;
    const auto fat1 = bytes.begin() + static_cast<std::ptrdiff_t>(boot.FirstFatSector() * boot.bytesPerSector);
    EXPECT_TRUE(
        std::equal(fat1, fat1 + static_cast<std::ptrdiff_t>(fatBytes), fat1 + static_cast<std::ptrdiff_t>(fatBytes)))
        << "FAT 2 differs from FAT 1";
    EXPECT_EQ(fat1[0], 0xF8);
}

std::vector<std::uint8_t> Fat12Fixture::ImageBytes() const
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Fat12Fixture::WriteFile(const std::string& directory, const std::string& shortName,
                             const std::vector<std::uint8_t>& data, const std::optional<std::string>& longName)
{
    ASSERT_EQ(image.Fat12CreateEntry(directory, shortName, longName), fat12Ok) << shortName;
    TFat12File file;
    ASSERT_EQ(image.Fat12OpenFile(directory + "\\" + shortName, file), fat12Ok);
    ASSERT_EQ(image.Fat12WriteFile(data.data(), 1, data.size(), file), fat12Ok);
    ASSERT_EQ(image.Fat12CloseFile(file), fat12Ok);
}
