#pragma once

#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

// The flash of a simulated recorder.
struct SimGeometry {
    std::uint8_t chips = 1;
    std::uint32_t blocksPerChip = 64;
    std::uint32_t pagesPerBlock = 128;
    std::uint16_t pageSize = 2048;
    std::uint8_t spareBytes = 64;

    std::uint32_t TotalBlocks() const { return chips * blocksPerChip; }
    std::uint64_t TotalPages() const { return static_cast<std::uint64_t>(TotalBlocks()) * pagesPerBlock; }
    // Bytes a page holds with its spare area.
    std::uint32_t RawPageSize() const { return pageSize + spareBytes; }
};

// A small flash of 2048-byte pages for the job tests.
inline SimGeometry SmallFlashGeometry(std::uint32_t blocksPerChip, std::uint32_t pagesPerBlock)
{
    SimGeometry geometry;
    geometry.blocksPerChip = blocksPerChip;
    geometry.pagesPerBlock = pagesPerBlock;
    return geometry;
}

// A small recorder behind a USB disk: 1 x 64 blocks x 64 pages of 2048 bytes.
inline SimGeometry SmallUsbDiskGeometry()
{
    SimGeometry geometry;
    geometry.pagesPerBlock = 64;
    return geometry;
}

// NAND pages with their spare bytes, stored only when written: erased pages
// read 0xFF, so a flash of several GiB costs only what a test writes.
// Writes replace bytes (no NAND bit-clearing); a page written back to all
// 0xFF is dropped again.
class SimNand {
public:
    explicit SimNand(const SimGeometry& geometry);

    const SimGeometry& Geometry() const { return m_geometry; }
    bool HasPage(std::uint64_t page) const { return page < m_geometry.TotalPages(); }
    bool HasBlock(std::uint64_t block) const { return block < m_geometry.TotalBlocks(); }

    // out.size() bytes from byte offset of the raw page (data, then spare).
    // Throws std::out_of_range outside the flash or the raw page.
    void Read(std::uint64_t page, std::uint32_t offset, std::span<std::uint8_t> out) const;
    void Write(std::uint64_t page, std::uint32_t offset, std::span<const std::uint8_t> data);

    // The whole raw page (page size + spare bytes).
    std::vector<std::uint8_t> ReadPage(std::uint64_t page) const;
    // data is at most one raw page; bytes after it are kept.
    void WritePage(std::uint64_t page, std::span<const std::uint8_t> data) { Write(page, 0, data); }

    void EraseBlock(std::uint64_t block);
    void EraseAll() { m_pages.clear(); }

    // Pages that hold something other than 0xFF.
    std::size_t StoredPageCount() const { return m_pages.size(); }

private:
    void CheckRange(std::uint64_t page, std::uint32_t offset, std::size_t length) const;

    SimGeometry m_geometry;
    std::unordered_map<std::uint64_t, std::vector<std::uint8_t>> m_pages;
};
