#pragma once

#include <cstddef>
#include <cstdint>

#include "massstorage/Q71Protocol.h"

// The mailbox command sector: "DRCB", the command byte, then its fields
// (little-endian, unaligned). The library builds it; the simulated device
// in the tests parses it.
struct DrcbCommand {
    static constexpr std::size_t kMagicSize = 4;
    // Bytes the longest command uses: send with 255 payload bytes.
    static constexpr std::size_t kMaxUsed = 6 + 255;

    TQ71Command command = q71Identify;
    // Page transfers (1, 4) and erase (5).
    std::uint32_t firstPage = 0;
    std::uint16_t partSize = 0;  // page size for command 1
    std::uint16_t step = 0;
    std::uint16_t offset = 0;
    std::uint16_t count = 0;
    // Link transfers (2, 3); for 2 the bytes follow at payload.
    std::uint8_t length = 0;
    const std::uint8_t* payload = nullptr;

    // Writes the sector's used bytes into out (at least kMaxUsed bytes).
    void Serialize(std::uint8_t* out) const;
    // True when the sector begins with "DRCB"; fills command and fields.
    static bool Parse(const std::uint8_t* sector, std::size_t size, DrcbCommand& out);
};

// True when the bytes begin with "DRCB".
bool HasDrcbMagic(const std::uint8_t* bytes, std::size_t size);
