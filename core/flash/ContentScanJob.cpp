#include "core/flash/ContentScanJob.h"

#include "core/flash/ContentScan.h"
#include "core/recorder/Recorder.h"

namespace {

TScanContext ContextOf(TRecorder& recorder, const TRecorderJobParams& params)
{
    TScanContext context;
    context.Geometry.ChipCount = recorder.FChipCount;
    context.Geometry.BlocksPerChip = recorder.FBlocksPerChip;
    context.Geometry.PagesPerBlock = recorder.FPagesPerBlock;
    context.Geometry.PageSize = recorder.FPageSize;
    context.Geometry.FirstDataBlock = recorder.FFirstDataBlock;
    context.SkipSilence = recorder.GetSkipSilence();
    context.Texts = params.ScanTexts;
    return context;
}

}  // namespace

TJobOutcome ScanBlockHeaders(TRecorder& recorder, const TRecorderJobParams& params)
{
    TContentScan scan(ContextOf(recorder, params));
    const TContentLists lists{*recorder.FFreeBlocks, *recorder.FSoundFiles, *recorder.FDriveFiles};
    auto progress = [&recorder](std::uint8_t percent) { recorder.FProgress.store(percent, std::memory_order_relaxed); };
    try {
        scan.Run(lists, progress);
    } catch (...) {
        recorder.FTotalBytes = static_cast<std::int64_t>(scan.TotalBytes());
        recorder.FFreeBytes = static_cast<std::int64_t>(scan.FreeBytes());
        recorder.FContentChanged.store(1, std::memory_order_release);
        throw;
    }
    recorder.FTotalBytes = static_cast<std::int64_t>(scan.TotalBytes());
    recorder.FFreeBytes = static_cast<std::int64_t>(scan.FreeBytes());
    recorder.FContentChanged.store(0, std::memory_order_release);
    return TJobOutcome::Completed;
}
