#pragma once

#include <cstdint>

#include "tests/support/SimNand.h"

// The flash the scan harness fills from its input, and the seed generator
// writes for: small pages so a few blocks fit a short input.
namespace scan_fuzz {

constexpr std::uint32_t kBlocks = 12;
constexpr std::uint16_t kPagesPerBlock = 4;
constexpr std::uint16_t kPageSize = 512;
constexpr std::uint8_t kSpareBytes = 16;
constexpr std::uint16_t kFirstDataBlock = 1;

inline SimGeometry Geometry()
{
    SimGeometry g;
    g.chips = 1;
    g.blocksPerChip = kBlocks;
    g.pagesPerBlock = kPagesPerBlock;
    g.pageSize = kPageSize;
    g.spareBytes = kSpareBytes;
    return g;
}

// After the first byte, the input is a run of records, each {u8 page, u16 offset, u16 length,
// bytes}: the bytes go to that raw page (index modulo the pages) from that
// offset, cut at the page's end.
constexpr std::size_t kRecordHeader = 5;

}  // namespace scan_fuzz
