#pragma once

#include <array>
#include <cstdint>

#include "core/flash/BlockHeader.h"
#include "core/flash/CallInfo.h"

// One flash block of a recording, a flash-drive file or the free list;
// zeroed when made. Page count and call data are kept for recording blocks
// only; the header for recording and flash-drive blocks.
struct TBlockRecord {
    std::uint16_t Block = 0;      // block number
    std::uint16_t PageCount = 0;  // pages per block
    TBlockHeader Header{};        // the voted header
    TCallInfo CallInfo{};         // from byte 64 of the first page when header byte 13 bit 7 is set
};
