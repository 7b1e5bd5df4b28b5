#pragma once

#include <QString>
#include <atomic>
#include <cstdint>
#include <optional>
#include <variant>

#include "core/flash/ContentScan.h"
#include "core/flash/FlashGeometry.h"
#include "core/flash/ScanTexts.h"
#include "core/links/FileHandle.h"
#include "core/settings/RecorderSettings.h"
#include "platform/SystemTime.h"

class TCustomFile;
class TWaveSource;

// Each job's own arguments, copied before its thread starts.
struct TRefreshJobParams {
    TScanTexts Texts;  // the scan's captions and words, taken on the GUI thread
};
struct TDownloadJobParams {
    std::uint16_t Record = 0;
    std::uint32_t Start = 0;
    std::uint32_t Length = 0;
    int PartIndex = -1;  // a voice part, or -1 for the span Start/Length
};
struct TDriveFileDownloadJobParams {
    int DriveFileIndex = 0;
    HANDLE Target = INVALID_HANDLE_VALUE;
};
struct TUploadJobParams {
    std::uint16_t Record = 0;
    TWaveSource* Source = nullptr;
    SYSTEMTIME Time{};
    std::uint8_t Compress = 0;  // the upload format chosen when the job started
    std::uint8_t Param = 0;
    TScanTexts Texts;  // for the new recording's entry, taken on the GUI thread
};
struct TDriveFileUploadJobParams {
    QString Name;
    HANDLE Source = INVALID_HANDLE_VALUE;
    SYSTEMTIME Time{};
    TScanTexts Texts;  // for the new file's entry, taken on the GUI thread
};
struct TEraseSoundFileJobParams {
    std::uint16_t Record = 0;
};
struct TEraseDriveFileJobParams {
    int DriveFileIndex = 0;
};
struct TFormatJobParams {};

using TRecorderJobParams =
    std::variant<TRefreshJobParams, TDownloadJobParams, TDriveFileDownloadJobParams, TUploadJobParams,
                 TDriveFileUploadJobParams, TEraseSoundFileJobParams, TEraseDriveFileJobParams, TFormatJobParams>;

// What the recorder object held when the job started.
struct TRecorderSnapshot {
    std::uint32_t ConnectType = 0;
    TFlashGeometry Geometry;
    std::uint32_t HardwareVariant = 0;
    TRecorderSettings Settings{};
    bool SkipSilence = false;
};

// What a job found out; the recorder object takes each item that is set
// once the body has returned (also after a failure: what was read stays).
struct TRecorderJobResults {
    std::optional<TFlashGeometry> Geometry;
    std::optional<std::uint16_t> FirmwareVersion;
    std::optional<std::uint32_t> HardwareVariant;
    std::optional<QString> Serial;
    std::optional<TRecorderSettings> Settings;
    std::optional<std::int64_t> TotalBytes;
    std::optional<std::int64_t> FreeBytes;
    std::optional<bool> ContentChanged;
};

// Everything a job body may use. The lists are the recorder's own; the GUI
// leaves them alone while a job runs. The sink belongs to the caller, who
// keeps it alive until the job has ended.
struct TRecorderJobContext {
    TRecorderJobParams Params;
    TRecorderSnapshot Snapshot;
    TContentLists Lists;
    std::atomic<std::uint8_t>& Progress;
    const std::atomic<std::uint8_t>& AbortFlag;
    TCustomFile* Sink = nullptr;
    TRecorderJobResults Results;
    // GetState's value; a job may move it on from its start state (never to idle).
    std::atomic<std::uint32_t>* State = nullptr;

    void SetState(std::uint32_t state)
    {
        if (State)
            State->store(state, std::memory_order_release);
    }
    void SetProgress(std::uint8_t percent) { Progress.store(percent, std::memory_order_relaxed); }
    bool AbortRequested() const { return AbortFlag.load(std::memory_order_acquire) != 0; }
};
