// The image the run loads: built on the PC, with the bad blocks found by
// writing and reading every block but the last, which holds "service.dat".
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <strings.h>

#include "fmttool/Fat12Table.h"
#include "fmttool/FmtToolRun.h"
#include "fmttool/PassThrough.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kServiceFile = "service.dat";
constexpr const char* kServiceShortName = "SERVICE.DAT";
constexpr std::uint8_t kServiceFirst = 0x55;
constexpr std::uint8_t kServiceLast = 0xAA;
constexpr std::uint8_t kBadBlockFill = 0x33;

}  // namespace

bool TFmtToolRun::BuildImage()
{
    TFat12BootSector boot;
    if (Fat12BuildBootSector(boot, m_geometry.sectorSize, m_geometry.TotalSectors()) != fat12Ok) {
        Print("Error: Flash geometry not supported: no FAT12 volume of %u sectors.\n", m_geometry.TotalSectors());
        return false;
    }
    errno = 0;
    if (Fat12CreateImage(m_image.string(), boot) != fat12Ok) {
        PrintSystemError(errno ? errno : EIO);
        return false;
    }
    TFat12Image image;
    errno = 0;
    if (image.Fat12OpenImage(m_image.string()) != fat12Ok) {
        PrintSystemError(errno ? errno : EIO);
        return false;
    }
    m_firstDataSector = image.BootSector().FirstDataSector();

    // The last block's clusters are kept from the folder's contents: they are
    // the mailbox's, and contents that do not fit beside it fail as disk full.
    const std::uint32_t entries = image.FatEntries();
    const std::uint32_t firstLast = entries - m_geometry.ClustersPerBlock();
    for (std::uint32_t cluster = firstLast; cluster < entries; ++cluster)
        image.SetFatEntry(cluster, BadClusterMark);

    if (!TestBlocks(image))
        return false;
    Print("\n");
    Print("Building image...\n");
    if (!AddFolder(image))
        return false;

    for (std::uint32_t cluster = firstLast; cluster < entries; ++cluster)
        image.SetFatEntry(cluster, kFat12Free);
    for (std::uint32_t cluster = 2; cluster < firstLast; ++cluster)
        if (image.FatEntry(cluster) == kFat12Free)
            image.SetFatEntry(cluster, BadClusterMark);
    if (!AddServiceFile(image))
        return false;
    if (image.Fat12CloseImage() != fat12Ok) {
        Print("Error: Cannot write the FAT of %s.\n", m_image.filename().c_str());
        return false;
    }
    return FillBadBlocks();
}

bool TFmtToolRun::TestBlocks(TFat12Image& image)
{
    Print("Checking for bad blocks");
    for (std::uint32_t block = 0; block + 1 < m_geometry.blocks; ++block) {
        Print(".");
        bool good = false;
        if (!TestBlock(block, good))
            return false;
        if (good)
            continue;
        if (block == 0) {
            Print("\nBlock 0 is bad. Image loading is imposible.\n");
            return false;
        }
        Print("\nBad block: %d\n", static_cast<int>(block));
        // A bad block under the boot sector, the FATs or the root leaves no volume.
        if (block * m_geometry.sectorsPerBlock < m_firstDataSector) {
            Print("Block %d holds the volume's tables. Image loading is imposible.\n", static_cast<int>(block));
            return false;
        }
        m_badBlocks[block] = 1;
        MarkBadClusters(image, block);
    }
    return true;
}

bool TFmtToolRun::TestBlock(std::uint32_t block, bool& good)
{
    const std::uint32_t first = m_geometry.FirstPage(block);
    const auto pages = static_cast<std::uint16_t>(m_geometry.pagesPerBlock);
    std::vector<std::uint8_t> written(m_geometry.BlockBytes());
    std::vector<std::uint8_t> read(written.size());
    int ioErrors = 0;
    for (int differing = 0; differing < kAttempts;) {
        std::generate(written.begin(), written.end(), [&] { return static_cast<std::uint8_t>(m_random.Next() % 256); });
        bool io = passthrough::Q71_WritePages(first, written.data(), pages);
        if (!io) {
            Print("\nError WritePages(), %d, %d\n", static_cast<int>(first), static_cast<int>(pages));
            PrintLastError();
        } else {
            // Unlike the data, so that bytes a read does not move do not match.
            std::transform(written.begin(), written.end(), read.begin(), [](std::uint8_t b) { return ~b; });
            io = passthrough::Q71_ReadPages(first, read.data(), pages);
            if (!io) {
                Print("\nError ReadPages(), %d, %d\n", static_cast<int>(first), static_cast<int>(pages));
                PrintLastError();
            }
        }
        if (!io) {
            if (++ioErrors >= kIoErrorLimit)
                return false;
            continue;
        }
        if (read == written) {
            good = true;
            return true;
        }
        ++differing;
    }
    good = false;
    return true;
}

void TFmtToolRun::MarkBadClusters(TFat12Image& image, std::uint32_t block)
{
    const std::uint32_t perCluster = m_geometry.SectorsPerCluster();
    const std::uint32_t first = block * m_geometry.sectorsPerBlock;
    for (std::uint32_t sector = first; sector < first + m_geometry.sectorsPerBlock; ++sector)
        if (sector >= m_firstDataSector)
            image.SetFatEntry((sector - m_firstDataSector) / perCluster + 2, BadClusterMark);
}

bool TFmtToolRun::AddFolder(TFat12Image& image)
{
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(m_imageFiles, error), end; !error && it != end; it.increment(error)) {
        std::error_code kind;
        if (it->is_directory(kind))
            continue;
        const std::string name = it->path().filename().string();
        // The mailbox is made in memory; a PC copy (another copy's, or an
        // old one) is not content.
        if (strcasecmp(name.c_str(), kServiceFile) == 0)
            continue;
        names.push_back(name);
    }
    if (error) {
        PrintSystemError(error.value());
        return false;
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        Print("Adding file: %s\n", name.c_str());
        if (image.Fat12AddFile(name, m_imageFiles) != fat12Ok)
            return false;
    }
    return true;
}

bool TFmtToolRun::AddServiceFile(TFat12Image& image)
{
    const std::uint32_t clusterBytes = m_geometry.SectorsPerCluster() * m_geometry.sectorSize;
    std::vector<std::uint8_t> data(std::size_t{m_geometry.sectorsPerBlock} * m_geometry.sectorSize, 0);
    std::fill_n(data.begin(), clusterBytes, kServiceFirst);
    std::fill(data.end() - clusterBytes, data.end(), kServiceLast);

    TFat12File file;
    const bool made = image.Fat12CreateEntry("", kServiceShortName, std::string(kServiceFile)) == fat12Ok &&
                      image.Fat12OpenFile(kServiceShortName, file) == fat12Ok &&
                      image.Fat12WriteFile(data.data(), 1, data.size(), file) == fat12Ok &&
                      image.Fat12CloseFile(file) == fat12Ok;
    // Anywhere but in the last block the recorder would not find it.
    const std::uint32_t firstLast = image.FatEntries() - m_geometry.ClustersPerBlock();
    if (!made || file.firstCluster != firstLast || file.lastCluster != image.FatEntries() - 1) {
        Print("Error: Cannot create \"%s\" in the last block of the image.\n", kServiceFile);
        return false;
    }
    return true;
}

bool TFmtToolRun::FillBadBlocks()
{
    if (std::find(m_badBlocks.begin(), m_badBlocks.end(), 1) == m_badBlocks.end())
        return true;
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(m_image.c_str(), "r+b"), &std::fclose);
    if (!file) {
        PrintSystemError(errno);
        return false;
    }
    const std::size_t blockBytes = std::size_t{m_geometry.sectorsPerBlock} * m_geometry.sectorSize;
    const std::vector<std::uint8_t> fill(blockBytes, kBadBlockFill);
    for (std::uint32_t block = 0; block < m_geometry.blocks; ++block) {
        if (!m_badBlocks[block])
            continue;
        if (std::fseek(file.get(), static_cast<long>(block * blockBytes), SEEK_SET) != 0 ||
            std::fwrite(fill.data(), 1, fill.size(), file.get()) != fill.size()) {
            PrintSystemError(errno ? errno : EIO);
            return false;
        }
    }
    if (std::fflush(file.get()) != 0) {
        PrintSystemError(errno);
        return false;
    }
    return true;
}
