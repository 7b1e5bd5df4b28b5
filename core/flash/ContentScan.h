#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "core/flash/BlockHeader.h"
#include "core/flash/ScanContext.h"

class TBlockList;
class TSoundFileList;
class TDriveFileList;

// The lists a scan rebuilds from scratch.
struct TContentLists {
    TBlockList& FreeBlocks;
    TSoundFileList& SoundFiles;
    TDriveFileList& DriveFiles;
};

// Turns the flash into the lists: reads every block header (256 blocks a
// command), sorts the data blocks into free blocks, recordings and
// flash-drive files, then assembles each recording and file. Runs to its
// end; it does not look at an abort flag.
class TContentScan {
public:
    using Progress = std::function<void(std::uint8_t percent)>;

    explicit TContentScan(TScanContext context) : m_context(std::move(context)) {}

    // A link failure raises TERecXchange after dropping every record that
    // was not fully assembled, so no list holds a half-built entry.
    void Run(const TContentLists& lists, const Progress& progress);

    // After this program wrote the first count blocks of the free list
    // (one upload): reads their headers back and files them as Run would,
    // assembling the new item and placing it where Run would list it. So
    // the lists equal a full scan's as long as nothing else changed the
    // flash. False, with the lists untouched, when the blocks belong to an
    // item already listed. A link failure raises TERecXchange; the lists
    // must then be scanned anew.
    bool AddWritten(const TContentLists& lists, std::size_t count);

    std::uint64_t TotalBytes() const { return m_context.Geometry.TotalBytes(); }
    std::uint64_t FreeBytes() const { return m_freeBytes; }

private:
    void ReadHeaders(std::vector<TBlockHeader>& headers, const Progress& progress) const;
    void SortBlocks(const std::vector<TBlockHeader>& headers, const TContentLists& lists) const;
    void SortBlock(std::uint32_t block, const TBlockHeader& header, const TContentLists& lists) const;
    void Assemble(const TContentLists& lists, const Progress& progress) const;

    TScanContext m_context;
    std::uint64_t m_freeBytes = 0;
};
