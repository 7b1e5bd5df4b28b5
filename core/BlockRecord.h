#pragma once

#include <cstdint>

// One flash block of a recording, a flash-drive file or the free list. The
// scan adds the header and call data it keeps per block.
struct TBlockRecord {
    std::uint16_t Block = 0;  // block number
};
