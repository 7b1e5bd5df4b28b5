#include "core/transfer/EraseJobs.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "core/flash/BlockHeader.h"
#include "core/flash/BlockList.h"
#include "core/flash/DriveFileInfo.h"
#include "core/flash/DriveFileList.h"
#include "core/flash/PageReads.h"
#include "core/flash/PageWrites.h"
#include "core/flash/SoundFileInfo.h"
#include "core/flash/SoundFileList.h"
#include "core/protocol/DebugLog.h"
#include "core/protocol/RecXchange.h"
#include "core/recorder/RecorderJobContext.h"
#include "core/recorder/RecorderReads.h"

TJobOutcome EraseBlocks(const TBlockList& blocks, std::atomic<std::uint8_t>& progress)
{
    const int count = blocks.Count();
    for (int i = 0; i < count; ++i) {
        EraseBlock(blocks.Item(i)->Block);
        progress.store(static_cast<std::uint8_t>((i + 1) * 100 / count), std::memory_order_relaxed);
    }
    progress.store(100, std::memory_order_relaxed);
    return TJobOutcome::Completed;
}

TJobOutcome FormatDataBlocks(const TFlashGeometry& geometry, std::atomic<std::uint8_t>& progress,
                             const std::atomic<std::uint8_t>& abortFlag)
{
    const std::uint32_t total = geometry.TotalBlocks();
    for (std::uint32_t b = geometry.FirstDataBlock; b < total; ++b) {
        EraseBlock(b);
        progress.store(static_cast<std::uint8_t>(std::uint64_t{b} * 100 / total), std::memory_order_relaxed);
        if (abortFlag.load(std::memory_order_acquire) != 0)
            return b + 1 < total ? TJobOutcome::Aborted : TJobOutcome::Completed;
    }
    return TJobOutcome::Completed;
}

void RewriteSoundFileStatus(std::uint32_t connectType, const TFlashGeometry& geometry, TSoundFileInfo& recording,
                            std::uint8_t status)
{
    if (!recording.Blocks || recording.Blocks->Count() == 0)
        throw std::runtime_error("Recording " + std::to_string(recording.Number) + " has no blocks.");
    DebugLog(QStringLiteral("Changing status of sound file %1").arg(recording.Number));
    TBlockRecord& first = *recording.Blocks->Item(0);
    std::vector<std::uint8_t> data(geometry.BlockBytes());
    ReadBlock(geometry, data.data(), first.Block);

    TBlockHeader header = TBlockHeader::Vote(data.data());
    std::uint8_t bits = 0;
    if (status == 0x55)
        bits = TBlockHeader::kStatusDownloaded;
    else if (status == 0xAA)
        bits = TBlockHeader::kStatusUploaded;
    header.Bytes[11] = static_cast<std::uint8_t>((header.Bytes[11] & TBlockHeader::kVasMask) | bits);
    header.UpdateCrc();
    header.WriteCopies(data.data());

    // NAND takes a write only onto an erased block; the data stay in memory
    // so that a failed write can be tried again.
    EraseBlock(first.Block);
    try {
        WriteBlock(connectType, geometry, first.Block, data.data());
    } catch (const TERecXchange&) {
        DebugLog(QStringLiteral("Writing the first block of sound file %1 again").arg(recording.Number));
        WriteBlock(connectType, geometry, first.Block, data.data());
    }
    first.Header = header;
    recording.Header = header;
    recording.Status = status;
}

TJobOutcome EraseSoundFileJob(TRecorderJobContext& context)
{
    const auto& params = std::get<TEraseSoundFileJobParams>(context.Params);
    const TSoundFileList& files = context.Lists.SoundFiles;
    const int index = files.IndexOfNumber(params.Record);
    if (index < 0)
        throw std::out_of_range("No recording has the number " + std::to_string(params.Record) + ".");
    return EraseBlocks(*files.Item(index)->Blocks, context.Progress);
}

TJobOutcome EraseDriveFileJob(TRecorderJobContext& context)
{
    const auto& params = std::get<TEraseDriveFileJobParams>(context.Params);
    const TDriveFileList& files = context.Lists.DriveFiles;
    if (params.DriveFileIndex < 0 || params.DriveFileIndex >= files.Count())
        throw std::out_of_range("No flash-drive file has the index " + std::to_string(params.DriveFileIndex) + ".");
    return EraseBlocks(*files.Item(params.DriveFileIndex)->Blocks, context.Progress);
}

TJobOutcome FormatJob(TRecorderJobContext& context)
{
    // Taken by the recorder however the job ends: blocks may be gone already.
    context.Results.ContentChanged = true;
    TFlashGeometry geometry = context.Snapshot.Geometry;
    // Before any scan (a recorder locked by a forgotten password) the flash
    // is not known yet: formatting nothing would pass for a format.
    if (geometry.TotalBlocks() == 0) {
        geometry = ReadFlashGeometry();
        context.Results.Geometry = geometry;
    }
    return FormatDataBlocks(geometry, context.Progress, context.AbortFlag);
}
