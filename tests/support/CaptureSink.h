#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/recorder/CustomFile.h"

// A download sink that keeps every piece it is given, in order, and can
// refuse one write (answer 0 for the n-th, counted from 1).
class CaptureSink : public TCustomFile {
public:
    std::vector<std::vector<std::uint8_t>> Pieces;
    int RefuseWrite = 0;  // 0: never
    int Writes = 0;       // calls, the refused one included

    std::int32_t Read(void*, std::int32_t) override { return 0; }
    std::int32_t Write(const void* buffer, std::int32_t length) override
    {
        ++Writes;
        if (Writes == RefuseWrite)
            return 0;
        const auto* bytes = static_cast<const std::uint8_t*>(buffer);
        Pieces.emplace_back(bytes, bytes + length);
        return length;
    }

    // Everything kept, as 16-bit samples.
    std::vector<std::int16_t> Samples() const
    {
        std::vector<std::int16_t> all;
        for (const auto& piece : Pieces) {
            const std::size_t at = all.size();
            all.resize(at + piece.size() / 2);
            std::memcpy(all.data() + at, piece.data(), piece.size() / 2 * 2);
        }
        return all;
    }
};
