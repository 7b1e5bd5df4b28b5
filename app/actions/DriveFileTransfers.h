#pragma once

#include <QString>

class TCustomRecorder;
class TLongOperation;
class TTransferUi;
struct TFileListItem;

// Copies flash-drive file driveFileIndex (of GetDriveFiles) into the PC file
// target, created afresh, with "Downloading file <name>" and Cancel. True
// only when the job completed; a cancelled or aborted download deletes the
// PC file. A file that cannot be created is told and nothing starts; a
// failed job was shown by ui.RunJob. Raises std::out_of_range for an index
// the list does not have.
bool DownloadDriveFile(TCustomRecorder* recorder, const QString& target, int driveFileIndex, TTransferUi& ui);

// Stores the PC file (or, for a folder entry, only the name) at source as
// the flash-drive file storedName ("A\B\c.txt", see StoredDriveName), with
// the entry's time and "Uploading file <name>" and Cancel. A source that
// does not open, or one larger than GetFreeDriveMemory, is told and nothing
// starts. A cancelled upload is undone by the job. True only when the job
// completed.
bool UploadFileToDrive(TCustomRecorder* recorder, const QString& source, const TFileListItem& entry,
                       const QString& storedName, TTransferUi& ui);

// Waits for a job the caller started, with the status text and the gauge
// but without Cancel; an idle recorder shows nothing. The gauge ends at 100.
// A cancel request made before the wait is kept for the caller.
void WaitForRecorderJob(TCustomRecorder& recorder, TLongOperation& operation, const QString& status);
