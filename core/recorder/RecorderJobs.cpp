#include "core/recorder/RecorderJobs.h"

#include <string>

#include "core/flash/ContentScanJob.h"
#include "core/transfer/DownloadJobBodies.h"
#include "core/transfer/DriveFileJobs.h"
#include "core/transfer/EraseJobs.h"
#include "core/transfer/UploadJob.h"

namespace {

// Each job's body joins this table with the job itself.
constexpr TRecorderJobInfo kJobs[] = {
    // The scan keeps the flag itself; the format sets it when it ends.
    {TRecorderJob::Scan, "Reading the recorder content", rsRunning, ScanBlockHeaders, false},
    {TRecorderJob::Download, "Downloading a recording", rsRunning, DownloadJob, true},
    {TRecorderJob::DownloadPart, "Downloading a voice part", rsRunning, DownloadPartJob, true},
    {TRecorderJob::DriveFileDownload, "Copying a flash-drive file to the PC", rsRunning, DriveFileDownloadJob, true},
    {TRecorderJob::Upload, "Uploading a recording", rsRunning, UploadJob, true},
    {TRecorderJob::DriveFileUpload, "Copying a file to the flash drive", rsRunning, DriveFileUploadJob, true},
    {TRecorderJob::EraseSoundFile, "Erasing a recording", rsErasing, EraseSoundFileJob, true},
    {TRecorderJob::EraseDriveFile, "Erasing a flash-drive file", rsErasing, EraseDriveFileJob, true},
    {TRecorderJob::Format, "Formatting the recorder memory", rsFormatting, FormatJob, false},
};

}  // namespace

const TRecorderJobInfo& RecorderJobInfo(TRecorderJob job)
{
    for (const TRecorderJobInfo& info : kJobs)
        if (info.Job == job)
            return info;
    throw std::logic_error("Unknown recorder job");
}

ERecorderJobUnavailable::ERecorderJobUnavailable(const char* title)
    : std::runtime_error(std::string(title) + ": not available in this version.")
{
}
