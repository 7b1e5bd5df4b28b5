#pragma once

#include <cstdint>

// One page of a recording in play order. The scan adds its timing fields.
struct TSoundPage {
    std::uint32_t Page = 0;  // page address
};
