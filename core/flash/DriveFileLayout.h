#pragma once

#include <cstdint>

#include "core/flash/FlashGeometry.h"

// How a flash-drive file sits in its blocks. A page of P bytes is K = P / 256
// chunks; its first D = 253 x K bytes are data, followed by a 3-byte ECC for
// each chunk in chunk order (the rest of a larger page, the spare, unused).
// The first block's first page holds the headers and the name; the data
// begin on its page 1, and on every further block after the header area.
namespace drive_layout {

inline constexpr std::uint32_t kChunkBytes = 256;
inline constexpr std::uint32_t kChunkData = 253;
inline constexpr std::uint32_t kEccBytes = 3;
inline constexpr std::uint32_t kHeaderArea = 64;
inline constexpr std::uint16_t kOwnerBit = 0x8000;
inline constexpr std::uint16_t kFirstNumber = 1;
inline constexpr std::uint16_t kLastNumber = 0x7FFE;        // 0x7FFF would make owner 0xFFFF, a free block
inline constexpr std::uint64_t kMaxFileSize = 0xFFFFFFFFu;  // the header's u32 size

inline std::uint32_t Chunks(std::uint32_t pageSize)
{
    return pageSize / kChunkBytes;
}
inline std::uint32_t PageData(std::uint32_t pageSize)
{
    return Chunks(pageSize) * kChunkData;
}
// Where chunk c's ECC is stored in a page.
inline std::uint32_t EccOffset(std::uint32_t pageSize, std::uint32_t chunk)
{
    return PageData(pageSize) + kEccBytes * chunk;
}
// File bytes a block after the first holds.
inline std::uint64_t BlockData(const TFlashGeometry& g)
{
    return std::uint64_t{PageData(g.PageSize)} * g.PagesPerBlock - kHeaderArea;
}
// Blocks a file of size bytes takes (a folder entry: one, for its name).
inline std::uint64_t BlocksNeeded(const TFlashGeometry& g, std::uint64_t size)
{
    const std::uint64_t perBlock = BlockData(g);
    if (perBlock == 0)
        return 0;
    return (PageData(g.PageSize) + size - kHeaderArea + perBlock - 1) / perBlock;
}
// The largest file that fits free blocks: the first block loses its page 0
// to the name, each one its header area.
inline std::uint64_t FileBytesThatFit(const TFlashGeometry& g, std::uint64_t freeBlocks)
{
    if (freeBlocks == 0 || PageData(g.PageSize) < kHeaderArea || g.PagesPerBlock == 0)
        return 0;
    return freeBlocks * BlockData(g) - (PageData(g.PageSize) - kHeaderArea);
}
// UTF-16 units a stored name may have before its terminating zero.
inline std::uint32_t MaxNameUnits(std::uint32_t pageSize)
{
    const std::uint32_t d = PageData(pageSize);
    return d > kHeaderArea + 1 ? (d - kHeaderArea) / 2 - 1 : 0;
}

}  // namespace drive_layout
