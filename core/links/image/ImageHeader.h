#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The 512-byte header sector at the start of an image file (.qdm). The
// settings fields are in RecorderSettingsHeader.h; reserved bytes are kept
// as read.
namespace image_header {

constexpr std::size_t kSize = 512;
constexpr std::size_t kCommand57Frame = 0x000;   // copy of the last frame of command 57
constexpr std::size_t kReservedEnd = 0x121;      // last byte of the reserved area at the start
constexpr std::size_t kFirstDataBlock = 0x12A;   // u16, answer to command 78
constexpr std::size_t kPageStride = 0x12C;       // u16
constexpr std::size_t kPagesPerBlock = 0x12E;    // u16
constexpr std::size_t kFirstImageBlock = 0x130;  // u32, first block stored in the file
constexpr std::size_t kPassword = 0x199;         // 7 bytes, 7 x 0xFF = none
constexpr std::size_t kPasswordSize = 7;
constexpr std::size_t kWriteMark = 0x1BE;  // 0xFF on every write
constexpr std::size_t kFirmwareMajor = 0x1C9;
constexpr std::size_t kFirmwareMinor = 0x1CA;
constexpr std::size_t kSerialNumber = 0x1D1;  // u32
constexpr std::size_t kCrc = 0x1FE;           // u16

// Byte ranges [first, last] covered by the header CRC, in order.
struct ByteRange {
    std::size_t first;
    std::size_t last;
};
constexpr std::array<ByteRange, 3> kCrcRanges{{{0x000, 0x121}, {0x12A, 0x1C0}, {0x1C9, 0x1E0}}};
constexpr std::uint16_t kCrcInitial = 0x11EE;

}  // namespace image_header

// The marker at the data start: EE 7F CD FE.
constexpr std::array<std::uint8_t, 4> ImageMagic{0xEE, 0x7F, 0xCD, 0xFE};

// The CRC-16 of the header's covered ranges (initial 0x11EE).
std::uint16_t ImageHeaderCrc(const std::uint8_t* header);
// The stored CRC matches.
bool ImageHeaderValid(const std::uint8_t* header);
