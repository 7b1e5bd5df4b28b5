#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

// Takes values off the front of a fuzz input; once it runs dry every value
// is zero and every span empty, so a harness never reads past the input.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : m_bytes(data, size) {}

    bool Empty() const { return m_bytes.empty(); }
    std::size_t Left() const { return m_bytes.size(); }

    std::uint8_t U8()
    {
        if (m_bytes.empty())
            return 0;
        const std::uint8_t value = m_bytes.front();
        m_bytes = m_bytes.subspan(1);
        return value;
    }
    std::uint16_t U16() { return static_cast<std::uint16_t>(U8() | U8() << 8); }
    std::uint32_t U32() { return static_cast<std::uint32_t>(U16() | std::uint32_t{U16()} << 16); }

    // Up to count bytes.
    std::span<const std::uint8_t> Bytes(std::size_t count)
    {
        const auto taken = m_bytes.first(std::min(count, m_bytes.size()));
        m_bytes = m_bytes.subspan(taken.size());
        return taken;
    }
    std::span<const std::uint8_t> Rest() { return Bytes(m_bytes.size()); }

private:
    std::span<const std::uint8_t> m_bytes;
};
