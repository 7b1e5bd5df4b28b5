#include "app/actions/DriveFileTransfers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <optional>
#include <stdexcept>
#include <thread>

#include "app/lists/FileList.h"
#include "app/services/AppMessageBox.h"
#include "app/services/ApplicationTitle.h"
#include "app/services/GuiJobRunner.h"
#include "app/services/LongOperation.h"
#include "audio/TransferUi.h"
#include "core/flash/DriveFileList.h"
#include "core/flash/DrivePath.h"
#include "core/recorder/CustomRecorder.h"
#include "core/recorder/RecorderCapacity.h"
#include "core/recorder/RecorderJobs.h"
#include "core/settings/StagedFile.h"
#include "core/transfer/UploadJournal.h"
#include "localizer/LangConst.h"

namespace {

// The PC file stays open until the job has let go of it.
class TOpenFile {
public:
    explicit TOpenFile(int fd) : m_fd(fd) {}
    ~TOpenFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    TOpenFile(const TOpenFile&) = delete;
    TOpenFile& operator=(const TOpenFile&) = delete;
    int Fd() const { return m_fd; }

private:
    int m_fd;
};

// Why the job could not write the file: the job keeps no errno, so the
// file and its disk are asked.
int SinkFailure(const TStagedFile& file, const QString& target)
{
    if (::fsync(file.Handle()) != 0)
        return errno;
    // The folder removed meanwhile; an unnamed file has no name to lose.
    if (!QFileInfo::exists(QFileInfo(target).absolutePath()))
        return ENOENT;
    struct stat info {};
    if (!file.IsUnnamed() && ::fstat(file.Handle(), &info) == 0 && info.st_nlink == 0)
        return ENOENT;
    const std::optional<std::uint64_t> room = FreeDiskBytes(QFileInfo(target).absolutePath());
    return room && *room == 0 ? ENOSPC : EIO;
}

void Tell(const QString& constant, const QString& what)
{
    AppMessageBox(LangConst(constant) + QLatin1Char(' ') + what, 0, ApplicationTitle());
}

}  // namespace

bool DownloadDriveFile(TCustomRecorder* recorder, const QString& target, int driveFileIndex, TTransferUi& ui,
                       TWrittenFile* written)
{
    const TDriveFileList& files = *recorder->GetDriveFiles();
    if (driveFileIndex < 0 || driveFileIndex >= files.Count())
        throw std::out_of_range("No flash-drive file has that index.");
    const QString name = files.Item(driveFileIndex)->Name;
    const auto size = static_cast<std::uint64_t>(std::max<std::int64_t>(files.Item(driveFileIndex)->Size, 0));

    // A folder cannot take the file's name.
    if (QFileInfo(target).isDir()) {
        Tell(QStringLiteral("CantCreateStr"), target);
        return false;
    }
    // The file is written as stored: its size is what the disk must hold.
    if (const std::optional<QString> text = CheckDiskSpace(QFileInfo(target).absolutePath(), size)) {
        AppMessageBox(*text + QLatin1Char('\n') + QDir::toNativeSeparators(target), 0, ApplicationTitle());
        return false;
    }
    // Written under a temporary name: the final name appears only once the
    // file is whole and on the disk.
    TStagedFile file(target);
    try {
        file.Create();
    } catch (const EFileWriteError& error) {
        AppMessageBox(error.Text(), 0, ApplicationTitle());
        return false;
    }
    const QString line = LangConst(QStringLiteral("StatusDownloadingFileStr")) + QLatin1Char(' ') + name;
    ui.SetStatusText(line);
    const TJobOutcome outcome =
        ui.RunJob(*recorder, line, true, [&] { recorder->StartDriveFileDownload(driveFileIndex, file.Handle()); });
    // A cancelled or failed download leaves nothing behind (the temporary
    // file goes with file); a failed job was shown by RunJob.
    if (ui.CancelRequested() || outcome != TJobOutcome::Completed) {
        if (outcome == TJobOutcome::SinkRefused)
            AppMessageBox(EFileWriteError(target, SinkFailure(file, target)).Text(), 0, ApplicationTitle());
        return false;
    }
    try {
        file.AdoptHandleWrites();
        const TWrittenFile done = file.Publish();
        if (written)
            *written = done;
    } catch (const EFileWriteError& error) {
        AppMessageBox(error.Text(), 0, ApplicationTitle());
        return false;
    }
    return true;
}

bool UploadFileToDrive(TCustomRecorder* recorder, const QString& source, const TFileListItem& entry,
                       const QString& storedName, TTransferUi& ui)
{
    // Cancel pressed while the caller waited (for the erase of the old file):
    // nothing more is copied.
    if (ui.CancelRequested())
        return false;
    const QString shortName = QFileInfo(source).fileName();
    const QString line = LangConst(QStringLiteral("StatusUploadingFileStr")) + QLatin1Char(' ') + shortName;
    ui.SetStatusText(line);

    // A folder entry opens nothing: the job stores its name alone. The open
    // does not wait (a FIFO would block it) and only a regular file is read.
    TOpenFile file(entry.IsFolder ? INVALID_HANDLE_VALUE
                                  : ::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (!entry.IsFolder) {
        if (file.Fd() < 0 || ::fstat(file.Fd(), &info) != 0 || !S_ISREG(info.st_mode)) {
            Tell(QStringLiteral("CantOpenStr"), shortName);
            return false;
        }
        ::fcntl(file.Fd(), F_SETFL, ::fcntl(file.Fd(), F_GETFL) & ~O_NONBLOCK);
    }
    // A folder carries its entry count in Size; it takes a block for its
    // name, as an empty file does.
    const std::int64_t size = entry.IsFolder ? 0 : entry.Size;
    if (!DriveEntryFits(size, recorder->GetFreeDriveMemory())) {
        Tell(QStringLiteral("NotEnoughSpaceStr"), source);
        return false;
    }
    // A file's upload is noted before its first block is written, so that a
    // cut one is told on the next connect; a folder entry is one block.
    std::optional<TUploadJournalScope> journal;
    if (!entry.IsFolder) {
        try {
            journal.emplace(DriveFileUploadJournal(*recorder, source, storedName,
                                                   static_cast<std::uint64_t>(info.st_size), entry.Time));
        } catch (const EFileWriteError& error) {
            AppMessageBox(error.Text(), 0, ApplicationTitle());
            return false;
        }
    }
    TJobOutcome outcome = TJobOutcome::None;
    try {
        outcome = ui.RunJob(*recorder, line, true, [&] {
            recorder->StartDriveFileUpload(TrimBackslashes(storedName), file.Fd(), entry.Time);
        });
    } catch (const std::logic_error&) {
        // Refused before it started: nothing was written.
        if (journal)
            journal->Ended();
        throw;
    }
    // The end was seen: whole, cancelled (the job erased its blocks), or its
    // failure shown by RunJob.
    if (journal)
        journal->Ended();
    return outcome == TJobOutcome::Completed;
}

void WaitForRecorderJob(TCustomRecorder& recorder, TLongOperation& operation, const QString& status)
{
    std::this_thread::yield();
    if (recorder.GetState() != rsIdle) {
        const bool cancelled = operation.CancelRequested();
        // Cancel is offered but stops nothing: the job ends whole.
        RunRecorderJob(operation, recorder, status, TJobCancel::FlagOnly, [] {});
        if (cancelled)
            operation.RequestCancel();
    }
    operation.SetProgress(100);
}
