#pragma once

#include <QString>
#include <array>
#include <cstdint>

// The flash geometry and image file state that the image link and the
// device-library link set and use. One process-wide instance.
struct TLinkGeometry {
    static constexpr std::uint32_t kNoDataStart = 0xFFFFFFFF;
    static constexpr int kClosed = -1;
    static constexpr std::size_t kHeaderSize = 512;

    std::uint8_t chipCount = 2;
    std::uint32_t pagesPerBlock = 128;
    std::uint32_t blocksPerChip = 64;
    std::uint16_t pageSize = 2048;  // data bytes
    std::uint8_t spareSize = 64;
    std::uint16_t pageStride = 2112;         // bytes a page occupies in a payload or in the file
    std::uint32_t blockStride = 270336;      // page stride x pages per block
    std::uint32_t dataStart = kNoDataStart;  // file offset of the first image block's first page
    QString imagePath;
    int imageHandle = kClosed;  // file descriptor of the open image
    // The image file's device and inode, taken at its first open after it
    // was attached; another file at the path is another recorder.
    bool imageKnown = false;
    std::uint64_t imageDevice = 0;
    std::uint64_t imageInode = 0;
    bool imageReplaced = false;        // seen; the probe fails once, then takes the new file
    bool imageReplacedNotice = false;  // seen; the recorder object tells the user
    std::array<std::uint8_t, kHeaderSize> header{};

    std::uint32_t TotalBlocks() const { return static_cast<std::uint32_t>(chipCount) * blocksPerChip; }
};

extern TLinkGeometry LinkGeometry;

// Back to the start-up values; closes an open image (tests).
void ResetLinkGeometry();

// The default geometry of an image file: 2 chips x 64 blocks x 128 pages
// of 2048 + 64 bytes, data start one page stride in. Path, handle and
// header are left alone.
void SetDefaultImageGeometry(TLinkGeometry& geometry);
