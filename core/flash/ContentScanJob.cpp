#include "core/flash/ContentScanJob.h"

#include "core/flash/ContentScan.h"
#include "core/recorder/RecorderReads.h"
#include "core/recorder/RecorderStatusValues.h"
#include "core/settings/RecorderSettingsTransfer.h"

namespace {

// The reads before the scan: geometry, firmware, serial, then the settings
// up to this percentage.
constexpr int kReadsDone = 10;
constexpr int kSettingsFrom = 3;

void ReadIdentity(TRecorderJobContext& context)
{
    TRecorderJobResults& results = context.Results;
    results.Geometry = ReadFlashGeometry();
    context.SetProgress(1);
    const std::uint16_t firmware = ReadFirmwareVersion();
    results.FirmwareVersion = firmware;
    results.HardwareVariant =
        HardwareVariantForMajor(static_cast<std::uint8_t>(firmware >> 8), context.Snapshot.HardwareVariant);
    context.SetProgress(2);
    results.Serial = ReadSerialNumber();
    context.SetProgress(kSettingsFrom);

    // Items read before a failure keep their new values.
    results.Settings = context.Snapshot.Settings;
    ReadRecorderSettings(*results.Settings, context.Snapshot.ConnectType, [&context](int done, int total) {
        context.SetProgress(static_cast<std::uint8_t>(kSettingsFrom + (kReadsDone - kSettingsFrom) * done / total));
    });
}

}  // namespace

TJobOutcome ScanBlockHeaders(TRecorderJobContext& context)
{
    TRecorderJobResults& results = context.Results;
    results.ContentChanged = true;
    ReadIdentity(context);

    TScanContext scanContext;
    scanContext.Geometry = *results.Geometry;
    scanContext.SkipSilence = context.Snapshot.SkipSilence;
    scanContext.Texts = std::get<TRefreshJobParams>(context.Params).Texts;
    TContentScan scan(std::move(scanContext));
    const auto progress = [&context](std::uint8_t percent) {
        context.SetProgress(static_cast<std::uint8_t>(kReadsDone + (100 - kReadsDone) * percent / 100));
    };
    const auto storeMemory = [&] {
        results.TotalBytes = static_cast<std::int64_t>(scan.TotalBytes());
        results.FreeBytes = static_cast<std::int64_t>(scan.FreeBytes());
    };
    try {
        scan.Run(context.Lists, progress);
    } catch (...) {
        storeMemory();
        throw;
    }
    storeMemory();
    results.ContentChanged = false;
    return TJobOutcome::Completed;
}
