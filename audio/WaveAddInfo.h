#pragma once

#include "platform/SystemTime.h"

#include <QString>

#include <array>
#include <cstdint>

// The private chunk of our wave files. Its version is told by its size
// alone; any other size is version 0 (no information).
//   1 (46)  CRC u32 @0, serial 8-bit[21] @4, model 8-bit[21] @25
//   2 (62)  as 1, SYSTEMTIME @46
//   3 (104) CRC u32 @0, serial UTF-16[21] @4, model UTF-16[21] @46, SYSTEMTIME @88
//   4 (168) as 3, final mark block [64] @104
//   5 (170) as 4, codec of the source recording u16 @168
// Versions 4 and 5 store the CRC masked: NOT(R XOR 0x55555555).
namespace waveaddinfo {

inline constexpr std::int32_t kVersion5Size = 170;
inline constexpr std::size_t kCrcAt = 0;
inline constexpr std::size_t kSerialAt = 4;
inline constexpr std::size_t kModelAt = 46;
inline constexpr std::size_t kTimeAt = 88;
inline constexpr std::size_t kMarkAt = 104;
inline constexpr std::size_t kCodecAt = 168;
inline constexpr std::size_t kTextRoom = 21;  // characters, the terminator included
inline constexpr std::size_t kMarkBlockSize = 64;

int VersionOfSize(std::int64_t size);
// The masked form is its own inverse.
constexpr std::uint32_t MaskCrc(std::uint32_t crc)
{
    return ~(crc ^ 0x55555555u);
}

}  // namespace waveaddinfo

// What a private chunk tells, whatever its version.
struct TWaveAddInfo {
    int Version = 0;
    std::uint32_t Crc = 0;  // the CRC-32 register, unmasked
    QString SerialNumber;
    QString ModelName;
    SYSTEMTIME Time{};                                             // versions 2 to 5
    std::array<std::uint8_t, waveaddinfo::kMarkBlockSize> Mark{};  // versions 4 and 5
    std::uint16_t Codec = 0;                                       // version 5
};

using TWaveAddInfoV5 = std::array<std::uint8_t, waveaddinfo::kVersion5Size>;

// Reads a private chunk of any version; null or a size of no version gives
// version 0. Text fields end at their terminator or their room.
TWaveAddInfo ReadWaveAddInfo(const std::uint8_t* data, std::int64_t length);
// A version-5 chunk: the CRC masked, texts cut to their room with zeros
// behind the terminator.
TWaveAddInfoV5 BuildWaveAddInfo(const TWaveAddInfo& info);
