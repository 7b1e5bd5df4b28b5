#include "core/protocol/Crc32.h"

#include <zlib.h>

namespace {

constexpr std::array<std::uint32_t, 256> MakeCrc32Table()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t value = i;
        for (int bit = 0; bit < 8; ++bit)
            value = value & 1 ? (value >> 1) ^ 0xEDB88320u : value >> 1;
        table[i] = value;
    }
    return table;
}

constexpr auto kCrc32Table = MakeCrc32Table();

}  // namespace

TCrc32::TCrc32() = default;

const std::array<std::uint32_t, 256>& TCrc32::Table()
{
    return kCrc32Table;
}

// zlib computes the same polynomial several bytes at a time; its running
// value is the complement of our register.
std::uint32_t TCrc32::Update(const void* data, std::uint32_t length)
{
    const uLong zlibValue = crc32(~m_register & 0xFFFFFFFFu, static_cast<const Bytef*>(data), length);
    m_register = ~static_cast<std::uint32_t>(zlibValue);
    return m_register;
}
