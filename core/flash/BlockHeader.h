#pragma once

#include <array>
#include <cstdint>

// The 20-byte header that every used block carries three times at the
// start of its first page (bytes 0, 20 and 40), little-endian. The CRC-16
// (initial 0xAB) at byte 18 covers bytes 0-17. Recording and flash-drive
// blocks read some bytes differently; both views are here.
struct TBlockHeader {
    static constexpr std::size_t kSize = 20;
    static constexpr std::size_t kCopiesSize = 3 * kSize;  // the copies at the start of a first page
    static constexpr std::size_t kAreaSize = 64;           // header area of a first page
    static constexpr std::uint16_t kCrcInitial = 0xAB;

    // Status bits 7-6 of byte 11.
    static constexpr std::uint8_t kStatusDownloaded = 0x40;
    static constexpr std::uint8_t kStatusUploaded = 0x80;
    static constexpr std::uint8_t kStatusMask = 0xC0;
    static constexpr std::uint8_t kVasMask = 0x3F;
    static constexpr std::uint8_t kCallInfoFlag = 0x80;  // byte 13

    std::array<std::uint8_t, kSize> Bytes{};

    // Every byte 0xFF: an erased block.
    static TBlockHeader Erased();
    // Votes three consecutive copies byte by byte (MajorityOf3).
    static TBlockHeader Vote(const std::uint8_t* copies);

    std::uint16_t Owner() const { return U16(0); }
    std::uint32_t Time() const;
    std::uint16_t Crc() const { return U16(18); }

    // Recording blocks.
    std::uint16_t Sequence() const { return U16(6); }
    std::uint8_t Compress() const { return Bytes[8]; }
    std::uint8_t CompressParam() const { return Bytes[9]; }
    std::uint8_t RateCode() const { return Bytes[10]; }
    std::uint8_t StatusVas() const { return Bytes[11]; }
    std::uint8_t Cyclic() const { return Bytes[12]; }
    std::uint8_t Flags() const { return Bytes[13]; }
    bool HasCallInfo() const { return (Bytes[13] & kCallInfoFlag) != 0; }

    // Flash-drive blocks.
    std::uint32_t DriveFileSize() const;
    std::uint16_t DriveSequence() const { return U16(10); }
    bool IsFolderEntry() const { return Bytes[12] != 0; }

    void SetOwner(std::uint16_t owner) { SetU16(0, owner); }
    void SetTime(std::uint32_t seconds);
    void SetSequence(std::uint16_t sequence) { SetU16(6, sequence); }
    void SetDriveFileSize(std::uint32_t size);
    void SetDriveSequence(std::uint16_t sequence) { SetU16(10, sequence); }

    std::uint16_t ComputeCrc() const;
    void UpdateCrc() { SetU16(18, ComputeCrc()); }
    bool IsCrcValid() const { return Crc() == ComputeCrc(); }
    bool IsAllErased() const;

    // Free for the scan: a valid header with owner 0xFFFF, or an erased one.
    // A half-written block (owner 0xFFFF but other bytes written, bad CRC)
    // is not: nobody erases it before writing into it.
    bool IsFree() const;
    // Valid and owned by a recording or a flash-drive file.
    bool IsOwned() const;

    // Writes the three copies into the first 60 bytes of a first page.
    void WriteCopies(std::uint8_t* page) const;

private:
    std::uint16_t U16(std::size_t at) const { return static_cast<std::uint16_t>(Bytes[at] | Bytes[at + 1] << 8); }
    void SetU16(std::size_t at, std::uint16_t value)
    {
        Bytes[at] = static_cast<std::uint8_t>(value);
        Bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
    }
};
static_assert(sizeof(TBlockHeader) == TBlockHeader::kSize);
