#include "fmttool/Fat12Table.h"

std::vector<std::uint16_t> Fat12UnpackFat(const std::uint8_t* packed, std::size_t count)
{
    std::vector<std::uint16_t> entries(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = 3 * i / 2;
        const unsigned pair = packed[at] | packed[at + 1] << 8;
        entries[i] = static_cast<std::uint16_t>(i % 2 == 0 ? pair & 0xFFF : pair >> 4);
    }
    return entries;
}

void Fat12PackFat(const std::vector<std::uint16_t>& entries, std::uint8_t* out)
{
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::size_t at = 3 * i / 2;
        const unsigned value = entries[i] & 0xFFF;
        if (i % 2 == 0) {
            out[at] = static_cast<std::uint8_t>(value);
            out[at + 1] = static_cast<std::uint8_t>((out[at + 1] & 0xF0) | value >> 8);
        } else {
            out[at] = static_cast<std::uint8_t>((out[at] & 0x0F) | (value & 0x0F) << 4);
            out[at + 1] = static_cast<std::uint8_t>(value >> 4);
        }
    }
}
