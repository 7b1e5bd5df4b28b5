#include "core/flash/ContentScan.h"

#include <algorithm>
#include <vector>

#include "core/flash/BlockList.h"
#include "core/flash/DriveFileAssembly.h"
#include "core/flash/DriveFileList.h"
#include "core/flash/FlashLayout.h"
#include "core/flash/PageReads.h"
#include "core/flash/SoundFileAssembly.h"
#include "core/flash/SoundFileList.h"
#include "core/protocol/DebugLog.h"

namespace {

constexpr std::uint16_t kCallInfoRead = TCallInfo::kOffset + TCallInfo::kSize;

std::uint8_t Percent(std::uint64_t done, std::uint64_t total)
{
    return total ? static_cast<std::uint8_t>(100.0 / static_cast<double>(total) * static_cast<double>(done)) : 0;
}

void LogInvalidHeader(std::uint32_t block, const TBlockHeader& header)
{
    if (!DebugLogOn())
        return;
    DebugLog(QStringLiteral("ERROR: Block %1 is not empty, but has invalid header.").arg(block));
    QString bytes = QStringLiteral("    ");
    for (std::uint8_t b : header.Bytes)
        bytes += QStringLiteral("%1 ").arg(b, 2, 16, QChar(u'0')).toUpper();
    DebugLog(bytes);
}

// The item with that number; a new one is appended when there is none.
template <class List, class Item> Item& FindOrAdd(List& list, std::uint16_t number)
{
    const int index = list.IndexOfNumber(number);
    if (index >= 0)
        return *list.Item(index);
    auto item = std::make_unique<Item>();
    item->Number = number;
    return *list.Add(std::move(item));
}

}  // namespace

void TContentScan::Run(const TContentLists& lists, const Progress& progress)
{
    const TFlashGeometry& g = m_context.Geometry;
    std::vector<TBlockHeader> headers(g.TotalBlocks());
    lists.FreeBlocks.Clear();
    lists.SoundFiles.Clear();
    lists.DriveFiles.Clear();
    m_freeBytes = 0;
    DebugLog(QStringLiteral("Reading block headers..."));

    try {
        ReadHeaders(headers, progress);
        SortBlocks(headers, lists);
    } catch (...) {
        // Blocks are sorted but nothing is assembled yet.
        lists.SoundFiles.Clear();
        lists.DriveFiles.Clear();
        m_freeBytes = g.FreeBytes(static_cast<std::uint64_t>(lists.FreeBlocks.Count()));
        throw;
    }
    m_freeBytes = g.FreeBytes(static_cast<std::uint64_t>(lists.FreeBlocks.Count()));
    Assemble(lists, progress);
}

void TContentScan::ReadHeaders(std::vector<TBlockHeader>& headers, const Progress& progress) const
{
    const std::uint32_t total = m_context.Geometry.TotalBlocks();
    for (std::uint32_t first = 0; first < total; first += kHeadersPerRead) {
        const auto count = static_cast<std::uint16_t>(std::min<std::uint32_t>(kHeadersPerRead, total - first));
        ReadBlockHeaders(m_context.Geometry, headers.data() + first, first, count);
        progress(Percent(first + count, total));
    }
}

void TContentScan::SortBlocks(const std::vector<TBlockHeader>& headers, const TContentLists& lists) const
{
    const TFlashGeometry& g = m_context.Geometry;
    for (std::uint32_t b = g.FirstDataBlock; b < g.TotalBlocks(); ++b)
        SortBlock(b, headers[b], lists);
}

void TContentScan::SortBlock(std::uint32_t b, const TBlockHeader& h, const TContentLists& lists) const
{
    const TFlashGeometry& g = m_context.Geometry;
    if (!h.IsFree() && !h.IsOwned()) {
        LogInvalidHeader(b, h);
        return;
    }
    auto record = std::make_unique<TBlockRecord>();
    record->Block = static_cast<std::uint16_t>(b);
    const std::uint16_t owner = h.Owner();
    if (h.IsFree()) {
        lists.FreeBlocks.Add(std::move(record));
    } else if (flash_layout::IsRecordingOwner(owner)) {
        TSoundFileInfo& recording = FindOrAdd<TSoundFileList, TSoundFileInfo>(lists.SoundFiles, owner);
        if (DebugLogOn())
            DebugLog(QStringLiteral("Block %1 belongs to sound file %2. Internal number %3")
                         .arg(b)
                         .arg(owner)
                         .arg(h.Sequence()));
        record->Header = h;
        if (h.HasCallInfo()) {
            std::uint8_t first[kCallInfoRead];
            ReadPagePart(static_cast<std::uint32_t>(g.FirstPageOf(b)), kCallInfoRead, first);
            record->CallInfo = TCallInfo::FromBytes(first + TCallInfo::kOffset);
        }
        record->PageCount = g.PagesPerBlock;
        recording.Blocks->Add(std::move(record));
    } else {
        TDriveFileInfo& file =
            FindOrAdd<TDriveFileList, TDriveFileInfo>(lists.DriveFiles, static_cast<std::uint16_t>(owner & 0x7FFF));
        record->Header = h;
        file.Blocks->Add(std::move(record));
    }
}

bool TContentScan::AddWritten(const TContentLists& lists, std::size_t count)
{
    const TFlashGeometry& g = m_context.Geometry;
    count = std::min(count, static_cast<std::size_t>(lists.FreeBlocks.Count()));
    std::vector<TBlockHeader> headers(count);
    for (std::size_t i = 0; i < count; ++i)
        ReadBlockHeaders(g, &headers[i], lists.FreeBlocks.Item(static_cast<int>(i))->Block, 1);
    for (const TBlockHeader& h : headers) {
        if (h.IsFree() || !h.IsOwned())
            continue;
        const std::uint16_t owner = h.Owner();
        const bool listed = flash_layout::IsRecordingOwner(owner)
                                ? lists.SoundFiles.IndexOfNumber(owner) >= 0
                                : lists.DriveFiles.IndexOfNumber(static_cast<std::uint16_t>(owner & 0x7FFF)) >= 0;
        if (listed)
            return false;
    }

    // The written blocks leave the free list (the rest of it stays in
    // ascending order); new items come at the end for now.
    const int soundsBefore = lists.SoundFiles.Count();
    const int drivesBefore = lists.DriveFiles.Count();
    for (std::size_t i = 0, at = 0; i < count; ++i) {
        std::unique_ptr<TBlockRecord> record = lists.FreeBlocks.Take(static_cast<int>(at));
        if (headers[i].IsFree()) {
            lists.FreeBlocks.Insert(static_cast<int>(at++), std::move(record));
            continue;
        }
        SortBlock(record->Block, headers[i], lists);
    }
    m_freeBytes = g.FreeBytes(static_cast<std::uint64_t>(lists.FreeBlocks.Count()));
    for (int i = soundsBefore; i < lists.SoundFiles.Count(); ++i)
        CollectSoundFileInfo(m_context, *lists.SoundFiles.Item(i));
    for (int i = drivesBefore; i < lists.DriveFiles.Count(); ++i)
        CollectDriveFileInfo(m_context, *lists.DriveFiles.Item(i));

    // A scan lists an item when it meets its lowest block.
    const auto place = [](auto& list, int from) {
        const auto lowest = [](const auto& item) {
            int low = 0x10000;
            for (int b = 0; b < item.Blocks->Count(); ++b)
                low = std::min<int>(low, item.Blocks->Item(b)->Block);
            return low;
        };
        for (int i = from; i < list.Count(); ++i) {
            const int low = lowest(*list.Item(i));
            int at = 0;
            while (at < from && lowest(*list.Item(at)) < low)
                ++at;
            list.Insert(at, list.Take(i));
            ++from;
        }
    };
    place(lists.SoundFiles, soundsBefore);
    place(lists.DriveFiles, drivesBefore);
    return true;
}

void TContentScan::Assemble(const TContentLists& lists, const Progress& progress) const
{
    const int recordings = lists.SoundFiles.Count();
    for (int i = 0; i < recordings; ++i) {
        progress(Percent(static_cast<std::uint64_t>(i), static_cast<std::uint64_t>(recordings)));
        try {
            CollectSoundFileInfo(m_context, *lists.SoundFiles.Item(i));
        } catch (...) {
            lists.SoundFiles.Truncate(i);
            lists.DriveFiles.Clear();
            throw;
        }
    }
    const int files = lists.DriveFiles.Count();
    for (int i = 0; i < files; ++i) {
        progress(Percent(static_cast<std::uint64_t>(i), static_cast<std::uint64_t>(files)));
        try {
            CollectDriveFileInfo(m_context, *lists.DriveFiles.Item(i));
        } catch (...) {
            lists.DriveFiles.Truncate(i);
            throw;
        }
    }
}
