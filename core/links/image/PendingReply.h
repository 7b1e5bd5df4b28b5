#pragma once

#include <cstdint>
#include <span>
#include <vector>

// The answer a local executor leaves for the caller: made by one command,
// fetched once. The buffer is kept between commands, so large replies
// cost no allocation.
class PendingReply {
public:
    void Clear() { m_length = 0; }
    // A reply of `length` bytes for the caller to fill (contents undefined).
    std::span<std::uint8_t> Make(std::size_t length);
    void Set(std::span<const std::uint8_t> bytes);
    std::size_t Size() const { return m_length; }

    // Copies `length` bytes and clears the reply; false (nothing copied)
    // when fewer bytes are pending.
    bool Fetch(void* out, std::size_t length);

private:
    std::vector<std::uint8_t> m_buffer;
    std::size_t m_length = 0;
};
