#pragma once

#include <QString>
#include <cstdint>
#include <stdexcept>

#include "core/flash/ScanTexts.h"
#include "core/links/FileHandle.h"
#include "platform/SystemTime.h"

class TRecorder;
class TWaveSource;

// The recorder's long operations, each run on the recorder's job thread.
enum class TRecorderJob : std::uint8_t {
    Scan,               // RefreshContent
    Download,           // StartDownload
    DownloadPart,       // StartDownloadPart
    DriveFileDownload,  // StartDriveFileDownload
    Upload,             // StartUpload
    DriveFileUpload,    // StartDriveFileUpload
    EraseSoundFile,     // StartEraseSoundFile
    EraseDriveFile,     // StartEraseDriveFile
    Format,             // StartFormat
};

// Job states as GetState reports them.
enum TRecorderState : std::uint32_t {
    rsIdle = 1,
    rsRunning = 2,
    rsWriting = 5,
    rsErasing = 6,
    rsFormatting = 7,
};

// How the last job ended. Callers that mark, erase or clear something after
// a job act only on Completed.
enum class TJobOutcome : std::uint8_t { None, Completed, Aborted, Failed, SinkRefused };

// The arguments of one job, copied before its thread starts; each job reads
// the fields of its own slot.
struct TRecorderJobParams {
    std::uint16_t RecordNumber = 0;
    std::uint32_t Start = 0;
    std::uint32_t Length = 0;
    int PartIndex = 0;
    int DriveFileIndex = 0;
    HANDLE File = INVALID_HANDLE_VALUE;
    TWaveSource* Source = nullptr;
    QString Name;
    SYSTEMTIME Time{};
    TScanTexts ScanTexts;  // the scan's captions and words, taken on the GUI thread
};

// A job's body: runs on the job thread and tells how it ended; a link failure
// leaves it as TERecXchange. The launcher sets state 1 afterwards.
using TRecorderJobBody = TJobOutcome (*)(TRecorder& recorder, const TRecorderJobParams& params);

struct TRecorderJobInfo {
    TRecorderJob Job;
    const char* Title;            // for "not available" and the debug log
    std::uint32_t StartState;     // state set by the launcher
    TRecorderJobBody Body;        // null until the job exists
};

const TRecorderJobInfo& RecorderJobInfo(TRecorderJob job);

// Raised by a slot whose operation this build does not have yet.
class ERecorderJobUnavailable : public std::runtime_error {
public:
    explicit ERecorderJobUnavailable(const char* title);
};
