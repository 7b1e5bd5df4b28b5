#pragma once

#include <cstdint>

// The flash as the recorder reports it (command 29 and command 78). Page
// size is what command 29 reports: the bytes the page commands address.
struct TFlashGeometry {
    // Block numbers travel and are kept in 16 bits (commands 0 and 18, the
    // scan's records); a larger flash would make blocks alias.
    static constexpr std::uint32_t kMaxBlocks = 0x10000;

    std::uint8_t ChipCount = 0;
    std::uint16_t BlocksPerChip = 0;
    std::uint16_t PagesPerBlock = 0;
    std::uint16_t PageSize = 0;
    std::uint16_t FirstDataBlock = 0;

    std::uint32_t TotalBlocks() const { return std::uint32_t{ChipCount} * BlocksPerChip; }
    std::uint64_t BlockBytes() const { return std::uint64_t{PagesPerBlock} * PageSize; }
    std::uint64_t TotalBytes() const { return TotalBlocks() * BlockBytes(); }
    // What free blocks hold: a block less the header area of its first page.
    std::uint64_t FreeBytes(std::uint64_t freeBlocks) const { return freeBlocks * (BlockBytes() - 64); }
    std::uint64_t FirstPageOf(std::uint32_t block) const { return std::uint64_t{block} * PagesPerBlock; }
};
