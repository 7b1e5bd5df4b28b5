#pragma once

#include <cstdint>
#include <stdexcept>

#include "core/recorder/JobOutcome.h"
#include "core/recorder/RecorderJobContext.h"

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

// A job's body: runs on the job thread with its context and tells how it
// ended; a link failure leaves it as TERecXchange. The launcher takes the
// results and sets state 1 afterwards.
using TRecorderJobBody = TJobOutcome (*)(TRecorderJobContext& context);

struct TRecorderJobInfo {
    TRecorderJob Job;
    const char* Title;            // for "not available" and the debug log
    std::uint32_t StartState;     // state set by the launcher
    TRecorderJobBody Body;        // null until the job exists
    bool SetsContentChanged;      // the launcher marks the content changed on every start
};

const TRecorderJobInfo& RecorderJobInfo(TRecorderJob job);

// Raised by a slot whose operation this build does not have yet.
class ERecorderJobUnavailable : public std::runtime_error {
public:
    explicit ERecorderJobUnavailable(const char* title);
};
