#pragma once

#include <QString>

class TCustomRecorder;
class TLongOperation;
class TTransferUi;
struct TFileListItem;
struct TWrittenFile;

// Copies flash-drive file driveFileIndex (of GetDriveFiles) into the PC file
// target, with "Downloading file <name>" and Cancel. The file is written
// under a temporary name and gets its name once whole and on the disk;
// written then gets its path, size and CRC. True only then: a cancelled,
// aborted or failed download leaves no new file and an existing target as
// it was. A file that cannot be created or written is told in one message
// (the file and the system's reason); a failed job was shown by ui.RunJob.
// Raises std::out_of_range for an index the list does not have.
bool DownloadDriveFile(TCustomRecorder* recorder, const QString& target, int driveFileIndex, TTransferUi& ui,
                       TWrittenFile* written = nullptr);

// Stores the PC file (or, for a folder entry, only the name) at source as
// the flash-drive file storedName ("A\B\c.txt", see StoredDriveName), with
// the entry's time and "Uploading file <name>" and Cancel. A source that
// does not open, or one larger than GetFreeDriveMemory, is told and nothing
// starts, as with a cancel request made before (while the caller waited for
// the erase of the old file). A cancelled upload is undone by the job. True
// only when the job completed.
bool UploadFileToDrive(TCustomRecorder* recorder, const QString& source, const TFileListItem& entry,
                       const QString& storedName, TTransferUi& ui);

// Waits for a job the caller started, with the status text, the gauge and
// Cancel; an idle recorder shows nothing. The gauge ends at 100. Cancel only
// sets the cancel request, which the caller looks at after the wait: the
// job (an erase) ends whole. A cancel request made before the wait is kept.
void WaitForRecorderJob(TCustomRecorder& recorder, TLongOperation& operation, const QString& status);
