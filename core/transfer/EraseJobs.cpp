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
#include "core/transfer/BlockRecovery.h"

TJobOutcome EraseBlocks(const TFlashGeometry& geometry, const TBlockList& blocks, TBlockOwnerKind kind,
                        std::atomic<std::uint8_t>& progress)
{
    CheckBlocksBelong(geometry, blocks, kind);
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

void RewriteSoundFileStatus(std::uint32_t connectType, const TFlashGeometry& geometry, const QString& serial,
                            TSoundFileInfo& recording, std::uint8_t status)
{
    if (!recording.Blocks || recording.Blocks->Count() == 0)
        throw std::runtime_error("Recording " + std::to_string(recording.Number) + " has no blocks.");
    DebugLog(QStringLiteral("Changing status of sound file %1").arg(recording.Number));
    TBlockRecord& first = *recording.Blocks->Item(0);
    std::vector<std::uint8_t> data(geometry.BlockBytes());
    ReadBlock(geometry, data.data(), first.Block);

    TBlockHeader header = TBlockHeader::Vote(data.data());
    if (!SameOwner(header, first.Header, TBlockOwnerKind::Recording))
        throw EContentChanged();
    std::uint8_t bits = 0;
    if (status == 0x55)
        bits = TBlockHeader::kStatusDownloaded;
    else if (status == 0xAA)
        bits = TBlockHeader::kStatusUploaded;
    header.Bytes[11] = static_cast<std::uint8_t>((header.Bytes[11] & TBlockHeader::kVasMask) | bits);
    header.UpdateCrc();
    header.WriteCopies(data.data());

    // Between the erase and the write the block lives only in memory: a
    // copy on the disk first, for the next connect to write back.
    // It names the recorder, the flash and the recording's next block, so
    // that the next connect writes it back only onto this rewrite.
    TBlockRecoveryData copy{serial, geometry, first.Block, recording.Number, std::nullopt, {}, data};
    if (recording.Blocks->Count() > 1) {
        copy.NextBlock = recording.Blocks->Item(1)->Block;
        copy.NextHeader = recording.Blocks->Item(1)->Header;
    }
    // A copy that cannot be saved stops the change before the erase.
    SaveBlockRecovery(copy);
    const QString copyPath = BlockRecoveryPath(serial, first.Block);
    if (!RewriteBlock(connectType, geometry, first.Block, data))
        throw std::runtime_error("The first block of recording " + std::to_string(recording.Number) +
                                 " did not read back as written; it is written again on the next connect.");
    RemoveBlockRecovery(copyPath);
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
    return EraseBlocks(context.Snapshot.Geometry, *files.Item(index)->Blocks, TBlockOwnerKind::Recording,
                       context.Progress);
}

TJobOutcome EraseDriveFileJob(TRecorderJobContext& context)
{
    const auto& params = std::get<TEraseDriveFileJobParams>(context.Params);
    const TDriveFileList& files = context.Lists.DriveFiles;
    if (params.DriveFileIndex < 0 || params.DriveFileIndex >= files.Count())
        throw std::out_of_range("No flash-drive file has the index " + std::to_string(params.DriveFileIndex) + ".");
    return EraseBlocks(context.Snapshot.Geometry, *files.Item(params.DriveFileIndex)->Blocks,
                       TBlockOwnerKind::DriveFile, context.Progress);
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
