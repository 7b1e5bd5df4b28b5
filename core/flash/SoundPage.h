#pragma once

#include <cstdint>

// One page of a recording in play order.
struct TSoundPage {
    double PlayTime = 0;             // seconds since 1970 on the play clock
    std::uint32_t RecorderTime = 0;  // seconds since 1970 on the recorder clock, truncated
    std::uint32_t Page = 0;          // page address
    std::uint8_t Break = 0;          // 1 = break page, 0 = normal sound page
};
