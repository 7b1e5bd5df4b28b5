#include "core/links/image/ImageProbe.h"

#include <algorithm>
#include <array>

#include "core/links/LinkGeometry.h"
#include "core/links/image/ImageFile.h"
#include "core/links/image/ImageHeader.h"
#include "core/protocol/RecorderCommands.h"

namespace {

constexpr std::size_t kSearchRead = 16384;
constexpr std::size_t kSearchStep = kSearchRead - ImageMagic.size();
constexpr std::uint64_t kSearchBlocks = 120;
constexpr std::uint64_t kMaxBlocksPerChip = 0xFFFF;  // what command 29 can report

}  // namespace

std::optional<std::uint64_t> FindImageMagic(std::uint64_t limit)
{
    std::array<std::uint8_t, kSearchRead> buffer;
    for (std::uint64_t k = 0; k * kSearchStep <= limit; ++k) {
        const std::size_t got = ReadImageAt(k * kSearchStep, buffer.data(), buffer.size());
        if (got < ImageMagic.size())
            break;
        // Only bytes actually read; offsets from kSearchStep on are searched by the next read.
        const auto end = buffer.begin() + std::min(got, kSearchStep + ImageMagic.size() - 1);
        const auto hit = std::search(buffer.begin(), end, ImageMagic.begin(), ImageMagic.end());
        if (hit != end)
            return k * kSearchStep + static_cast<std::uint64_t>(hit - buffer.begin());
    }
    return std::nullopt;
}

bool ImageProbe()
{
    TLinkGeometry& g = LinkGeometry;
    // A replaced image is a disconnect first; the next probe connects anew.
    if (TakeImageReplaced())
        return false;
    g.dataStart = TLinkGeometry::kNoDataStart;
    if (!ReadImageHeader())
        return false;
    ImageSession session;
    if (!session.IsOpen())
        return false;
    const auto fileSize = ImageFileSize();
    const std::uint16_t stride = GetU16(g.header.data() + image_header::kPageStride);
    const std::uint16_t pages = GetU16(g.header.data() + image_header::kPagesPerBlock);
    if (!fileSize || stride == 0 || pages == 0)
        return false;
    g.pageStride = stride;
    g.pagesPerBlock = pages;
    g.blockStride = static_cast<std::uint32_t>(stride) * pages;
    g.chipCount = 1;

    const auto found = FindImageMagic(kSearchBlocks * g.blockStride);
    if (!found)
        return false;
    const std::uint64_t blocksInFile = (*fileSize - *found) / g.blockStride;
    const std::uint64_t blocks = blocksInFile + GetU32(g.header.data() + image_header::kFirstImageBlock);
    if (blocks > kMaxBlocksPerChip || *found >= TLinkGeometry::kNoDataStart)
        return false;
    g.dataStart = static_cast<std::uint32_t>(*found);
    g.blocksPerChip = static_cast<std::uint32_t>(blocks);
    return true;
}
