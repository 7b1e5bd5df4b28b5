#include "core/protocol/NandEcc.h"

#include <array>
#include <bit>

namespace {

// Per byte value: its six column parities CP0..CP5 in bits 0..5, and in
// bit 6 whether it has an odd number of one bits.
constexpr std::array<std::uint8_t, 256> MakeColumnTable()
{
    std::array<std::uint8_t, 256> table{};
    for (unsigned v = 0; v < 256; ++v) {
        auto parity = [v](unsigned mask) { return static_cast<unsigned>(std::popcount(v & mask) & 1); };
        const unsigned cp = parity(0x55) | parity(0xAA) << 1 | parity(0x33) << 2 | parity(0xCC) << 3 |
                            parity(0x0F) << 4 | parity(0xF0) << 5 | parity(0xFF) << 6;
        table[v] = static_cast<std::uint8_t>(cp);
    }
    return table;
}

constexpr auto kColumnTable = MakeColumnTable();

// Interleaves L (odd bit positions) and L' (even positions) from four bits
// each, highest first: L bit 3, L' bit 3, ..., L bit 0, L' bit 0.
std::uint8_t Interleave(unsigned line, unsigned lineInverse)
{
    unsigned out = 0;
    for (int bit = 3; bit >= 0; --bit)
        out = out << 2 | ((line >> bit) & 1) << 1 | ((lineInverse >> bit) & 1);
    return static_cast<std::uint8_t>(out);
}

}  // namespace

void NandEccCalculate(std::uint8_t ecc[3], const void* data256)
{
    const auto* data = static_cast<const std::uint8_t*>(data256);
    unsigned column = 0;
    unsigned line = 0;
    unsigned lineInverse = 0;
    for (unsigned i = 0; i < 256; ++i) {
        const std::uint8_t entry = kColumnTable[data[i]];
        column ^= entry;
        if (entry & 0x40) {
            line ^= i;
            lineInverse ^= 255 - i;
        }
    }
    ecc[0] = static_cast<std::uint8_t>(~Interleave(line & 0x0F, lineInverse & 0x0F));
    ecc[1] = static_cast<std::uint8_t>(~Interleave(line >> 4, lineInverse >> 4));
    ecc[2] = static_cast<std::uint8_t>((~column & 0x3F) << 2 | 0x03);
}

int NandEccCorrect(const std::uint8_t eccA[3], const std::uint8_t eccB[3], const std::uint8_t* data256,
                   std::uint32_t* index, std::uint8_t* value)
{
    const std::uint32_t x = static_cast<std::uint32_t>(eccA[0] ^ eccB[0]) |
                            static_cast<std::uint32_t>(eccA[1] ^ eccB[1]) << 8 |
                            static_cast<std::uint32_t>(eccA[2] ^ eccB[2]) << 16;
    const int ones = std::popcount(x);
    if (ones == 0)
        return NandEccNoError;
    if (ones == 1)
        return NandEccEccError;

    const auto sideParity = [](const std::uint8_t* ecc) { return (ecc[0] ^ (ecc[0] >> 1)) & 1; };
    if (ones != 11 || sideParity(eccA) == sideParity(eccB))
        return NandEccUncorrectable;

    std::uint32_t byteIndex = 0;
    for (int bit = 15; bit >= 1; bit -= 2)
        byteIndex = byteIndex << 1 | ((x >> bit) & 1);
    const unsigned bitNumber = ((x >> 23) & 1) * 4 + ((x >> 21) & 1) * 2 + ((x >> 19) & 1);
    if (index)
        *index = byteIndex;
    if (value)
        *value = static_cast<std::uint8_t>(data256[byteIndex] ^ (1u << bitNumber));
    return NandEccDataCorrected;
}
