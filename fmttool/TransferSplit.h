#pragma once

#include <algorithm>
#include <cstdint>

namespace passthrough {

// A command moves at most this many bytes.
inline constexpr std::uint32_t kMaxTransferBytes = 0x10000;

// Items of itemSize bytes (not 0) one command moves: 64 KiB of them, and no
// more than its 16-bit count holds.
inline std::uint32_t ItemsPerCommand(std::uint32_t itemSize)
{
    return std::min<std::uint32_t>(kMaxTransferBytes / itemSize, 0xFFFF);
}

// Cuts total items into commands of at most perCommand items and calls
// send(done, items) for each, done being the items sent before; stops at the
// first command that fails, since what follows would land in the wrong
// place or go unnoticed.
template <class Send> bool SendInCommands(std::uint64_t total, std::uint32_t perCommand, Send&& send)
{
    for (std::uint64_t done = 0; done < total;) {
        const auto items = static_cast<std::uint32_t>(std::min<std::uint64_t>(total - done, perCommand));
        if (!send(done, items))
            return false;
        done += items;
    }
    return true;
}

}  // namespace passthrough
