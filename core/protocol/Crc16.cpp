#include "core/protocol/Crc16.h"

#include <array>

namespace {

using Table = std::array<std::uint16_t, 256>;

// Slice k holds the CRC of byte i followed by k zero bytes; slice 0 is the
// standard table of the polynomial. Eight slices take eight bytes a step.
constexpr std::array<Table, 8> MakeCrc16Slices()
{
    std::array<Table, 8> slices{};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint16_t crc = static_cast<std::uint16_t>(i << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
        slices[0][i] = crc;
    }
    for (std::size_t k = 1; k < slices.size(); ++k)
        for (unsigned i = 0; i < 256; ++i) {
            const std::uint16_t prev = slices[k - 1][i];
            slices[k][i] = static_cast<std::uint16_t>((prev << 8) ^ slices[0][prev >> 8]);
        }
    return slices;
}

constexpr auto kSlices = MakeCrc16Slices();
static_assert(kSlices[0][1] == 0x1021);

}  // namespace

std::uint16_t Crc16Update(const void* data, std::uint32_t length, std::uint16_t initial)
{
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::uint32_t crc = initial;
    while (length >= 8) {
        crc = kSlices[7][bytes[0] ^ (crc >> 8)] ^ kSlices[6][bytes[1] ^ (crc & 0xFF)] ^ kSlices[5][bytes[2]] ^
              kSlices[4][bytes[3]] ^ kSlices[3][bytes[4]] ^ kSlices[2][bytes[5]] ^ kSlices[1][bytes[6]] ^
              kSlices[0][bytes[7]];
        bytes += 8;
        length -= 8;
    }
    while (length-- > 0)
        crc = ((crc << 8) & 0xFFFF) ^ kSlices[0][((crc >> 8) ^ *bytes++) & 0xFF];
    return static_cast<std::uint16_t>(crc);
}
