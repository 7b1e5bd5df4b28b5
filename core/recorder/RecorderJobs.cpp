#include "core/recorder/RecorderJobs.h"

#include <string>

#include "core/flash/ContentScanJob.h"

namespace {

// Each job's body joins this table with the job itself.
constexpr TRecorderJobInfo kJobs[] = {
    {TRecorderJob::Scan, "Reading the recorder content", rsRunning, ScanBlockHeaders},
    {TRecorderJob::Download, "Downloading a recording", rsRunning, nullptr},
    {TRecorderJob::DownloadPart, "Downloading a voice part", rsRunning, nullptr},
    {TRecorderJob::DriveFileDownload, "Copying a flash-drive file to the PC", rsRunning, nullptr},
    {TRecorderJob::Upload, "Uploading a recording", rsRunning, nullptr},
    {TRecorderJob::DriveFileUpload, "Copying a file to the flash drive", rsRunning, nullptr},
    {TRecorderJob::EraseSoundFile, "Erasing a recording", rsErasing, nullptr},
    {TRecorderJob::EraseDriveFile, "Erasing a flash-drive file", rsErasing, nullptr},
    {TRecorderJob::Format, "Formatting the recorder memory", rsFormatting, nullptr},
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
