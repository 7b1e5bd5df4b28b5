#pragma once

// The flash parameter block and the mailbox command numbers, shared by the
// device library, the formatting tool and the program's device-library link.
// No Qt here: the library and the formatting tool use plain C++.

#include <array>
#include <cstdint>

// Command numbers of the "DRCB" mailbox sector (0..4 are also the formatting
// tool's vendor command numbers).
enum TQ71Command : std::uint8_t {
    q71Identify = 0,
    q71WritePages = 1,
    q71SendI2C = 2,
    q71ReceiveI2C = 3,
    q71ReadPages = 4,
    q71EraseBlock = 5,
};

// The 12-byte flash parameter block the device sends in answer to identify;
// little-endian, serialised field by field.
struct FlashParams {
    static constexpr std::size_t kSize = 12;

    std::uint8_t chips = 0;
    std::array<std::uint8_t, 5> flashId{};
    std::uint16_t blocksPerChip = 0;
    std::uint8_t pagesPerBlock = 0;
    std::uint16_t pageSize = 0;
    std::uint8_t spareSize = 0;

    static FlashParams Parse(const std::uint8_t* in)
    {
        FlashParams p;
        p.chips = in[0];
        for (std::size_t i = 0; i < p.flashId.size(); ++i)
            p.flashId[i] = in[1 + i];
        p.blocksPerChip = static_cast<std::uint16_t>(in[6] | in[7] << 8);
        p.pagesPerBlock = in[8];
        p.pageSize = static_cast<std::uint16_t>(in[9] | in[10] << 8);
        p.spareSize = in[11];
        return p;
    }

    void Serialize(std::uint8_t* out) const
    {
        out[0] = chips;
        for (std::size_t i = 0; i < flashId.size(); ++i)
            out[1 + i] = flashId[i];
        out[6] = static_cast<std::uint8_t>(blocksPerChip);
        out[7] = static_cast<std::uint8_t>(blocksPerChip >> 8);
        out[8] = pagesPerBlock;
        out[9] = static_cast<std::uint8_t>(pageSize);
        out[10] = static_cast<std::uint8_t>(pageSize >> 8);
        out[11] = spareSize;
    }

    bool operator==(const FlashParams&) const = default;
};
