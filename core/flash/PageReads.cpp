#include "core/flash/PageReads.h"

#include <stdexcept>
#include <vector>

#include "core/flash/FlashLayout.h"
#include "core/links/Link.h"
#include "core/protocol/RecorderCommands.h"

namespace {

std::uint32_t PageAddress(std::uint64_t page)
{
    if (page > 0xFFFFFFFFu)
        throw std::range_error("Page address beyond the command's 32 bits");
    return static_cast<std::uint32_t>(page);
}

}  // namespace

void ReadPageParts(std::uint8_t* reply, std::uint32_t pageAddr, std::uint16_t offset, std::uint16_t count,
                   std::uint16_t addrInc, std::uint16_t cycles)
{
    std::uint8_t request[PartsOfPagesRequest::kSize];
    PartsOfPagesRequest{pageAddr, offset, count, addrInc, cycles}.Serialize(request);
    RunCommand(cmdGetPartsOfPages, request, sizeof request, reply, std::uint32_t{count} * cycles);
}

void ReadBlock(const TFlashGeometry& geometry, std::uint8_t* buffer, std::uint32_t block)
{
    ReadPageParts(buffer, PageAddress(geometry.FirstPageOf(block)), 0, geometry.PageSize, 1, geometry.PagesPerBlock);
}

void ReadPagePart(std::uint32_t page, std::uint16_t count, std::uint8_t* buffer)
{
    ReadPageParts(buffer, page, 0, count, 1, 1);
}

void ReadBlockHeaders(const TFlashGeometry& geometry, TBlockHeader* out, std::uint32_t first, std::uint16_t count)
{
    if (count > kHeadersPerRead)
        throw std::invalid_argument("Too many block headers for one read");
    constexpr std::uint16_t kArea = TBlockHeader::kAreaSize;
    std::vector<std::uint8_t> areas(std::size_t{count} * kArea);
    ReadPageParts(areas.data(), PageAddress(geometry.FirstPageOf(first)), 0, kArea, geometry.PagesPerBlock, count);
    for (std::size_t i = 0; i < count; ++i)
        out[i] = TBlockHeader::Vote(areas.data() + i * kArea);
}

void ReadPageStatusWords(const TFlashGeometry& geometry, std::uint32_t block, std::uint8_t* out)
{
    const auto offset = static_cast<std::uint16_t>(flash_layout::PageStatusOffset(geometry.PageSize));
    ReadPageParts(out, PageAddress(geometry.FirstPageOf(block)), offset, flash_layout::kPageStatusSize, 1,
                  geometry.PagesPerBlock);
}
