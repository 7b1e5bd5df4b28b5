#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fmttool/Fat12LongName.h"

class TFat12Image;

// Walks every entry of one directory: the root sector by sector up to its
// 512 entries, another directory cluster by cluster along its chain; the
// last entry of the last cluster included. A chain that leaves the FAT or
// runs in a circle ends the walk as failed.
class Fat12DirIterator {
public:
    // directory: its first cluster, 1 for the root.
    Fat12DirIterator(const TFat12Image& image, std::uint16_t directory);

    // Moves to the next entry; false after the last one or on a failure.
    bool Next();
    bool Failed() const { return m_failed; }

    const TFat12RawEntry& Entry() const { return m_entry; }
    // Where the entry lies in the image.
    std::uint64_t Offset() const { return m_offset; }
    // The cluster that holds the entry (0 in the root).
    std::uint16_t Cluster() const { return m_root ? 0 : m_cluster; }

    // For a short entry with an intact long-name chain right before it: the
    // long name, and where the chain's entries lie; empty otherwise.
    const std::string& LongName() const { return m_longName; }
    const std::vector<std::uint64_t>& LongNameOffsets() const { return m_longOffsets; }

private:
    bool LoadUnit();
    void TrackLongName();

    const TFat12Image& m_image;
    bool m_root;
    bool m_failed = false;
    bool m_done = false;
    std::uint32_t m_unitsRead = 0;  // sectors of the root, or clusters of the chain
    std::uint16_t m_cluster = 0;
    std::vector<std::uint8_t> m_unit;
    std::uint64_t m_unitOffset = 0;
    std::size_t m_index = 0;
    std::size_t m_perUnit = 0;

    TFat12RawEntry m_entry{};
    std::uint64_t m_offset = 0;
    std::string m_longName;
    std::vector<std::uint64_t> m_longOffsets;

    // The chain being read: the pieces seen so far, counting down to 1.
    std::u16string m_pendingUnits;
    std::vector<std::uint64_t> m_pendingOffsets;
    int m_pendingExpected = -1;  // next order number, 0 when complete, -1 when none
    std::uint8_t m_pendingChecksum = 0;
};
