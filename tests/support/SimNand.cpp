#include "tests/support/SimNand.h"

#include <algorithm>
#include <stdexcept>
#include <string>

SimNand::SimNand(const SimGeometry& geometry) : m_geometry(geometry) {}

void SimNand::CheckRange(std::uint64_t page, std::uint32_t offset, std::size_t length) const
{
    if (!HasPage(page))
        throw std::out_of_range("no page " + std::to_string(page) + " in the simulated flash");
    if (offset > m_geometry.RawPageSize() || length > m_geometry.RawPageSize() - offset)
        throw std::out_of_range("access beyond the end of page " + std::to_string(page));
}

void SimNand::Read(std::uint64_t page, std::uint32_t offset, std::span<std::uint8_t> out) const
{
    CheckRange(page, offset, out.size());
    const auto it = m_pages.find(page);
    if (it == m_pages.end())
        std::fill(out.begin(), out.end(), std::uint8_t{0xFF});
    else
        std::copy_n(it->second.begin() + offset, out.size(), out.begin());
}

void SimNand::Write(std::uint64_t page, std::uint32_t offset, std::span<const std::uint8_t> data)
{
    CheckRange(page, offset, data.size());
    auto it = m_pages.find(page);
    if (it == m_pages.end()) {
        if (std::all_of(data.begin(), data.end(), [](std::uint8_t b) { return b == 0xFF; }))
            return;
        it = m_pages.emplace(page, std::vector<std::uint8_t>(m_geometry.RawPageSize(), 0xFF)).first;
    }
    std::copy(data.begin(), data.end(), it->second.begin() + offset);
    if (std::all_of(it->second.begin(), it->second.end(), [](std::uint8_t b) { return b == 0xFF; }))
        m_pages.erase(it);
}

std::vector<std::uint8_t> SimNand::ReadPage(std::uint64_t page) const
{
    std::vector<std::uint8_t> out(m_geometry.RawPageSize());
    Read(page, 0, out);
    return out;
}

void SimNand::EraseBlock(std::uint64_t block)
{
    if (!HasBlock(block))
        throw std::out_of_range("no block " + std::to_string(block) + " in the simulated flash");
    const std::uint64_t first = block * m_geometry.pagesPerBlock;
    for (std::uint64_t page = first; page < first + m_geometry.pagesPerBlock; ++page)
        m_pages.erase(page);
}
