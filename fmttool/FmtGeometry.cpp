#include "fmttool/FmtGeometry.h"

#include <limits>

namespace {

// The smallest sector a FAT boot sector fits in.
constexpr std::uint32_t kMinSectorSize = 512;

}  // namespace

std::optional<TFmtGeometry> FmtGeometryOf(const FlashParams& params, std::uint32_t sectorSize, std::string& why)
{
    TFmtGeometry g;
    g.pageSize = params.pageSize;
    g.pagesPerBlock = params.pagesPerBlock;
    g.sectorSize = sectorSize;
    if (g.pageSize == 0 || g.pagesPerBlock == 0) {
        why = "no page size or no pages per block";
        return std::nullopt;
    }
    if (sectorSize < kMinSectorSize || TFmtGeometry::kClusterBytes % sectorSize != 0 || g.pageSize % sectorSize != 0) {
        why = "sector size " + std::to_string(sectorSize) + " is below 512 or does not divide 8192 and the page size " +
              std::to_string(g.pageSize);
        return std::nullopt;
    }
    if (g.BlockBytes() % TFmtGeometry::kClusterBytes != 0) {
        why = "a block of " + std::to_string(g.BlockBytes()) + " bytes is not a whole number of 8192-byte clusters";
        return std::nullopt;
    }
    g.blocks = TFmtGeometry::kAreaBytes / g.pageSize / g.pagesPerBlock;
    if (g.blocks < 2) {
        why = "the 4 MiB area holds fewer than two blocks";
        return std::nullopt;
    }
    g.sectorsPerBlock = g.pageSize / sectorSize * g.pagesPerBlock;
    if (std::uint64_t{g.blocks} * g.sectorsPerBlock > std::numeric_limits<std::uint16_t>::max()) {
        why = "more than 65535 sectors";
        return std::nullopt;
    }
    return g;
}
