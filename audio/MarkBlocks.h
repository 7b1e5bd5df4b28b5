#pragma once

#include <array>
#include <cstdint>

// The integrity mark's two byte layouts, little-endian and packed.

#pragma pack(push, 1)
// What mrk_Init is given.
struct TMarkParams {
    char Serial[20];     // recorder serial as 8-bit text, zero-padded
    std::uint8_t Flags;  // bit 0: frame the stream with a start and an end block
    std::uint32_t Time;  // recording time, seconds since 1970 (0: unknown)
    std::uint16_t SamplesPerSec;
    std::uint8_t Channels;       // 2 stereo, anything else mono
    std::uint8_t BitsPerSample;  // not used
    std::uint8_t Codec;          // of the source: 0 none, 1 ADPCM 4-bit, 2 companded, 3 ADPCM 2-bit
    std::uint32_t Reserved;
    std::uint8_t NoPrivateChunk;  // 1: the file has no private chunk
    float Tone1Frequency;
    std::uint16_t Tone1Amplitude;
    float Tone2Frequency;
    std::uint16_t Tone2Amplitude;
    float Tone3Frequency;
    std::uint16_t Tone3Amplitude;
};

// The block that the mark seals into every 512-sample group, and at the
// start and end of a framed stream.
struct TMarkBlock {
    std::uint16_t Magic;  // 0xFFFF
    char Serial[20];
    std::uint32_t Time;
    float Tone1Frequency;
    float Tone2Frequency;
    float Tone3Frequency;
    std::uint32_t BlockCounter;  // completed 512-sample groups
    std::uint32_t ByteCounter;   // bytes handed to mrk_Process so far
    std::uint8_t Codec;
    std::uint8_t NoPrivateChunk;
    std::uint8_t Zero[14];
    std::uint16_t Crc;  // CRC-16 of bytes 0..61
};
#pragma pack(pop)

static_assert(sizeof(TMarkParams) == 53);
static_assert(sizeof(TMarkBlock) == 64);

namespace mark_seal {
constexpr std::uint16_t kCrcInitial = 0xA269;
constexpr std::uint16_t kCrcMask = 0x5555;
constexpr std::size_t kCrcSpan = 62;

using TSealed = std::array<std::uint8_t, sizeof(TMarkBlock)>;

// Stores the block's CRC in it, then gives the scrambled copy.
TSealed Seal(TMarkBlock& block);
using TInverse = std::array<std::uint8_t, 256>;
TInverse InverseScramble();
// Unscrambles a sealed block; true when its CRC holds. out gets the block
// with its CRC field unmasked either way.
bool Unseal(const std::uint8_t* sealed, const TInverse& inverse, TMarkBlock& out);
// The scrambling permutation of the byte values (fixed for good: marked
// files depend on it).
const std::array<std::uint8_t, 256>& ScrambleTable();
}  // namespace mark_seal
