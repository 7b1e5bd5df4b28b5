#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The FAT in memory: one 16-bit value per cluster number, unpacked from and
// packed into the FAT12 layout (entry i in the 16 bits at byte 3i/2, the low
// 12 bits for even i, the high 12 bits for odd i).
inline constexpr std::uint16_t kFat12Free = 0;
inline constexpr std::uint16_t kFat12EndOfChain = 0xFFF;
inline constexpr std::uint16_t BadClusterMark = 0xFF7;

// Bytes that count entries take in the packed layout.
inline constexpr std::size_t Fat12PackedBytes(std::size_t count)
{
    return (3 * count + 1) / 2;
}

// The first count entries of a packed FAT of Fat12PackedBytes(count) or more bytes.
std::vector<std::uint16_t> Fat12UnpackFat(const std::uint8_t* packed, std::size_t count);
// Packs the entries into out, which the caller zeroed and sized to hold
// them; bytes past the last entry stay as they are.
void Fat12PackFat(const std::vector<std::uint16_t>& entries, std::uint8_t* out);

// Whether a FAT value continues a chain to another cluster of a FAT of
// count entries (not free, bad, end of chain, or out of range).
inline bool Fat12IsNextCluster(std::uint16_t value, std::size_t count)
{
    return value >= 2 && value < count && value < BadClusterMark;
}
