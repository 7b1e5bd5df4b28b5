#include "core/flash/PageWrites.h"

#include <cstring>
#include <stdexcept>
#include <vector>

#include "core/links/ConnectType.h"
#include "core/links/Link.h"
#include "core/protocol/RecorderCommands.h"

namespace {

std::uint16_t BlockNumber(std::uint32_t block)
{
    if (block >= TFlashGeometry::kMaxBlocks)
        throw std::range_error("Block number beyond the command's 16 bits");
    return static_cast<std::uint16_t>(block);
}

}  // namespace

void WritePages(const TFlashGeometry& geometry, const std::uint8_t* data, std::uint32_t firstPage,
                std::uint32_t pageCount)
{
    const std::uint32_t pageSize = geometry.PageSize;
    std::vector<std::uint8_t> request(4 + std::size_t{pageSize});
    std::uint8_t reply[4];
    for (std::uint32_t i = 0; i < pageCount; ++i) {
        const std::uint32_t page = firstPage + i;
        PutU32(request.data(), page);
        RunCommand(cmdBeginWritePage, request.data(), 4, reply, sizeof reply);
        std::memcpy(request.data() + 4, data + std::size_t{i} * pageSize, pageSize);
        RunCommand(cmdWritePage, request.data(), static_cast<std::uint32_t>(request.size()), reply, sizeof reply);
    }
}

void WriteBlock(std::uint32_t connectType, const TFlashGeometry& geometry, std::uint32_t block,
                const std::uint8_t* data)
{
    const std::uint16_t number = BlockNumber(block);
    if (WritesBlockByPages(connectType)) {
        WritePages(geometry, data, static_cast<std::uint32_t>(geometry.FirstPageOf(number)), geometry.PagesPerBlock);
        return;
    }
    const std::size_t bytes = static_cast<std::size_t>(geometry.BlockBytes());
    std::vector<std::uint8_t> request(2 + bytes);
    PutU16(request.data(), number);
    std::memcpy(request.data() + 2, data, bytes);
    RunCommand(cmdWriteBlock, request.data(), static_cast<std::uint32_t>(request.size()), nullptr, 0);
}

bool EraseBlock(std::uint32_t block)
{
    std::uint8_t request[2];
    PutU16(request, BlockNumber(block));
    std::uint8_t reply[2];
    RunCommand(cmdEraseBlock, request, sizeof request, reply, sizeof reply);
    return true;
}
