#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "fmttool/Fat12Result.h"

// The boot sector of the volumes the builder makes: 8 KiB clusters, two FATs,
// 512 root entries, the data area starting on a cluster boundary.
struct TFat12BootSector {
    static constexpr std::size_t kSize = 512;
    static constexpr std::uint32_t kClusterBytes = 8192;
    static constexpr std::uint16_t kRootEntries = 512;
    static constexpr std::uint32_t kEntrySize = 32;
    // FAT12 holds at most this many data clusters.
    static constexpr std::uint32_t kMaxClusters = 4084;

    std::array<std::uint8_t, 3> jump{0xEB, 0x3C, 0x90};
    std::array<char, 8> oemName{'M', 'S', 'D', 'O', 'S', '5', '.', '0'};
    std::uint16_t bytesPerSector = 0;
    std::uint8_t sectorsPerCluster = 0;
    std::uint16_t reservedSectors = 0;
    std::uint8_t fatCount = 2;
    std::uint16_t rootEntries = kRootEntries;
    std::uint16_t totalSectors = 0;
    std::uint8_t media = 0xF8;
    std::uint16_t sectorsPerFat = 0;
    std::uint16_t sectorsPerTrack = 32;
    std::uint16_t heads = 2;
    std::uint32_t hiddenSectors = 0;
    std::uint32_t totalSectors32 = 0;
    std::uint8_t driveNumber = 0x80;
    std::uint8_t bootSignature = 0x29;
    std::uint32_t serialNumber = 0;
    std::array<char, 11> volumeLabel{' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
    std::array<char, 8> fsType{'F', 'A', 'T', '1', '2', ' ', ' ', ' '};

    std::uint32_t RootSectors() const { return rootEntries / (bytesPerSector / kEntrySize); }
    std::uint32_t FirstFatSector() const { return reservedSectors; }
    std::uint32_t FirstRootSector() const { return reservedSectors + fatCount * sectorsPerFat; }
    std::uint32_t FirstDataSector() const { return FirstRootSector() + RootSectors(); }
    std::uint32_t ClusterBytes() const { return sectorsPerCluster * bytesPerSector; }
    // FAT entries in use: the clusters of the data area + 2.
    std::uint32_t FatEntries() const { return (totalSectors - FirstDataSector()) / sectorsPerCluster + 2; }

    void Serialize(std::uint8_t* out) const;  // kSize bytes
    static TFat12BootSector Parse(const std::uint8_t* in);
    // Whether a parsed sector describes a volume this builder can edit.
    bool IsServed() const;

    bool operator==(const TFat12BootSector&) const = default;
};

// Fills boot for a volume of totalSectors sectors of bytesPerSector bytes.
// Sector sizes that do not divide 8,192 (or are below 512), and volumes too
// small for one cluster or too large for FAT12, are not served ->
// fat12BadArgument, boot untouched.
TFat12Result Fat12BuildBootSector(TFat12BootSector& boot, std::uint32_t bytesPerSector, std::uint32_t totalSectors);

// Writes the empty volume: boot sector, zero reserved sectors, both FATs
// starting F8 FF FF, zero root and data area. Empty path -> fat12EmptyPath;
// the file cannot be written -> fat12NotFound.
TFat12Result Fat12CreateImage(const std::string& path, const TFat12BootSector& boot);
