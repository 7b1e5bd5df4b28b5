#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "massstorage/Q71Protocol.h"

// The flash area the tool prepares: the first 4 MiB from block 0, as a
// volume of the device's sectors, one flash block being t consecutive
// sectors.
struct TFmtGeometry {
    static constexpr std::uint32_t kAreaBytes = 4 * 1024 * 1024;
    static constexpr std::uint32_t kClusterBytes = 8192;

    std::uint32_t pageSize = 0;
    std::uint32_t pagesPerBlock = 0;
    std::uint32_t sectorSize = 0;
    std::uint32_t blocks = 0;           // n
    std::uint32_t sectorsPerBlock = 0;  // t

    std::uint32_t BlockBytes() const { return pageSize * pagesPerBlock; }
    std::uint32_t SectorsPerCluster() const { return kClusterBytes / sectorSize; }
    std::uint32_t ClustersPerBlock() const { return sectorsPerBlock / SectorsPerCluster(); }
    std::uint32_t TotalSectors() const { return blocks * sectorsPerBlock; }
    std::uint32_t FirstPage(std::uint32_t block) const { return block * pagesPerBlock; }
};

// The area's geometry, or why the tool cannot work with it: at least two
// blocks (block 0 and the mailbox block), a sector of 512 bytes or more that
// divides the cluster and the page, blocks of whole clusters, and a sector
// count that fits the boot sector's 16-bit field.
std::optional<TFmtGeometry> FmtGeometryOf(const FlashParams& params, std::uint32_t sectorSize, std::string& why);
