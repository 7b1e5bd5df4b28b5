#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Writes small image files (.qdm) for tests: a header with a valid CRC,
// zeros up to the data start, then erased blocks with the given owner
// fields and pages, and the magic at the data start.
class ImageBuilder {
public:
    ImageBuilder& Geometry(std::uint16_t pageSize, std::uint8_t spareBytes, std::uint16_t pagesPerBlock);
    ImageBuilder& Blocks(std::uint32_t blocksInFile);
    ImageBuilder& FirstImageBlock(std::uint32_t block);  // F: the first block the file holds
    ImageBuilder& FirstDataBlock(std::uint16_t block);
    ImageBuilder& DataStart(std::uint64_t offset);
    ImageBuilder& Firmware(std::uint8_t major, std::uint8_t minor);
    ImageBuilder& SerialNumber(std::uint32_t serial);
    ImageBuilder& Password(const std::array<std::uint8_t, 7>& password);
    ImageBuilder& HeaderByte(std::size_t offset, std::uint8_t value);
    // Block numbers count from 0 and must be F or above. The magic takes
    // the first 4 bytes of block F's first page.
    ImageBuilder& Owner(std::uint32_t block, std::uint16_t owner);
    ImageBuilder& Page(std::uint32_t block, std::uint32_t page, std::vector<std::uint8_t> bytes);
    ImageBuilder& WithoutMagic();
    // The header's CRC is left wrong.
    ImageBuilder& CorruptCrc();

    std::uint32_t PageStride() const { return m_pageSize + m_spare; }
    std::uint64_t BlockStride() const { return static_cast<std::uint64_t>(PageStride()) * m_pagesPerBlock; }
    std::uint64_t DataStartOffset() const { return m_dataStart ? m_dataStart : PageStride(); }
    std::uint64_t FileSize() const { return DataStartOffset() + m_blocks * BlockStride(); }
    // File offset of page `page` of block `block`.
    std::uint64_t PageOffset(std::uint32_t block, std::uint32_t page) const;

    std::array<std::uint8_t, 512> Header() const;
    std::vector<std::uint8_t> Bytes() const;
    // Throws std::runtime_error when the file cannot be written.
    void Write(const std::string& path) const;

private:
    std::uint16_t m_pageSize = 512;
    std::uint8_t m_spare = 16;
    std::uint16_t m_pagesPerBlock = 4;
    std::uint32_t m_blocks = 8;
    std::uint32_t m_firstImageBlock = 0;
    std::uint64_t m_dataStart = 0;  // 0: one page stride
    bool m_magic = true;
    bool m_corruptCrc = false;
    std::map<std::size_t, std::uint8_t> m_headerBytes;
    std::map<std::pair<std::uint32_t, std::uint32_t>, std::vector<std::uint8_t>> m_pages;
};
