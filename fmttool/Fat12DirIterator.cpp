#include "fmttool/Fat12DirIterator.h"

#include <algorithm>

#include "fmttool/Fat12DirEntry.h"
#include "fmttool/Fat12Image.h"
#include "fmttool/Fat12Table.h"

namespace {

// Long-name chains hold at most 20 pieces (255 units).
constexpr int kMaxPieces = 20;

}  // namespace

Fat12DirIterator::Fat12DirIterator(const TFat12Image& image, std::uint16_t directory)
    : m_image(image), m_root(directory == 1), m_cluster(directory)
{
    const TFat12BootSector& boot = image.BootSector();
    const std::size_t unitBytes = m_root ? boot.bytesPerSector : boot.ClusterBytes();
    m_perUnit = unitBytes / TFat12BootSector::kEntrySize;
    m_unit.resize(unitBytes);
    m_index = m_perUnit;  // nothing loaded yet
    if (!m_root && !Fat12IsNextCluster(directory, image.FatEntries()))
        m_failed = m_done = true;
}

bool Fat12DirIterator::Next()
{
    if (m_done)
        return false;
    if (m_index == m_perUnit && !LoadUnit())
        return false;
    std::copy_n(m_unit.begin() + static_cast<std::ptrdiff_t>(m_index * TFat12BootSector::kEntrySize),
                TFat12BootSector::kEntrySize, m_entry.begin());
    m_offset = m_unitOffset + m_index * TFat12BootSector::kEntrySize;
    ++m_index;
    TrackLongName();
    return true;
}

bool Fat12DirIterator::LoadUnit()
{
    const TFat12BootSector& boot = m_image.BootSector();
    if (m_root) {
        if (m_unitsRead == boot.RootSectors()) {
            m_done = true;
            return false;
        }
        m_unitOffset = static_cast<std::uint64_t>(boot.FirstRootSector() + m_unitsRead) * boot.bytesPerSector;
    } else {
        if (m_unitsRead > 0) {
            const std::uint16_t next = m_image.FatEntry(m_cluster);
            if (next >= 0xFF8) {
                m_done = true;
                return false;
            }
            // A broken link, or more clusters than the FAT has: a circle.
            if (!Fat12IsNextCluster(next, m_image.FatEntries()) || m_unitsRead >= m_image.FatEntries()) {
                m_failed = m_done = true;
                return false;
            }
            m_cluster = next;
        }
        m_unitOffset = m_image.ClusterOffset(m_cluster);
    }
    if (!m_image.ReadAt(m_unitOffset, m_unit.data(), m_unit.size())) {
        m_failed = m_done = true;
        return false;
    }
    ++m_unitsRead;
    m_index = 0;
    return true;
}

void Fat12DirIterator::TrackLongName()
{
    m_longName.clear();
    m_longOffsets.clear();
    const std::uint8_t first = m_entry[0];
    if (first == kFat12EntryEnd || first == kFat12EntryDeleted) {
        m_pendingExpected = -1;
        return;
    }
    if (Fat12IsLongNamePart(m_entry)) {
        const int order = first & 0x3F;
        if (first & kFat12LfnLastFlag) {
            m_pendingExpected = order;
            m_pendingChecksum = m_entry[13];
            m_pendingUnits.assign(static_cast<std::size_t>(order) * kFat12LfnUnits, u'\0');
            m_pendingOffsets.clear();
        }
        if (order < 1 || order > kMaxPieces || order != m_pendingExpected || m_entry[13] != m_pendingChecksum) {
            m_pendingExpected = -1;
            return;
        }
        const auto units = LfnEntryUnits(m_entry);
        std::copy(units.begin(), units.end(), m_pendingUnits.begin() + (order - 1) * kFat12LfnUnits);
        m_pendingOffsets.push_back(m_offset);
        --m_pendingExpected;
        return;
    }
    if (m_pendingExpected == 0 && m_pendingChecksum == LfnChecksum(m_entry.data())) {
        std::u16string units = m_pendingUnits;
        units.erase(std::min(units.find(u'\0'), units.size()));
        m_longName = Fat12Utf16ToUtf8(units);
        m_longOffsets = m_pendingOffsets;
    }
    m_pendingExpected = -1;
}
