#include "Crc16.h"

#include <array>

namespace {

constexpr std::array<std::uint16_t, 256> MakeCrc16Table()
{
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint16_t crc = static_cast<std::uint16_t>(i << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
        table[i] = crc;
    }
    return table;
}

constexpr auto kCrc16Table = MakeCrc16Table();
static_assert(kCrc16Table[1] == 0x1021);

}  // namespace

std::uint16_t Crc16Update(const void* data, std::uint32_t length, std::uint16_t initial)
{
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::uint16_t crc = initial;
    for (std::uint32_t i = 0; i < length; ++i)
        crc = static_cast<std::uint16_t>((crc << 8) ^ kCrc16Table[((crc >> 8) ^ bytes[i]) & 0xFF]);
    return crc;
}
