#include "app/actions/DriveFileTransfers.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
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
#include "core/recorder/RecorderJobs.h"
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

void Tell(const QString& constant, const QString& what)
{
    AppMessageBox(LangConst(constant) + QLatin1Char(' ') + what, 0, ApplicationTitle());
}

}  // namespace

bool DownloadDriveFile(TCustomRecorder* recorder, const QString& target, int driveFileIndex, TTransferUi& ui)
{
    const TDriveFileList& files = *recorder->GetDriveFiles();
    if (driveFileIndex < 0 || driveFileIndex >= files.Count())
        throw std::out_of_range("No flash-drive file has that index.");
    const QString name = files.Item(driveFileIndex)->Name;

    TJobOutcome outcome = TJobOutcome::None;
    bool cancelled = false;
    {
        TOpenFile file(::open(QFile::encodeName(target).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        if (file.Fd() < 0) {
            Tell(QStringLiteral("CantCreateStr"), target);
            return false;
        }
        const QString line = LangConst(QStringLiteral("StatusDownloadingFileStr")) + QLatin1Char(' ') + name;
        ui.SetStatusText(line);
        outcome =
            ui.RunJob(*recorder, line, true, [&] { recorder->StartDriveFileDownload(driveFileIndex, file.Fd()); });
        cancelled = ui.CancelRequested() || outcome == TJobOutcome::Aborted;
    }
    // A partial file is no copy.
    if (cancelled)
        QFile::remove(target);
    return outcome == TJobOutcome::Completed && !cancelled;
}

bool UploadFileToDrive(TCustomRecorder* recorder, const QString& source, const TFileListItem& entry,
                       const QString& storedName, TTransferUi& ui)
{
    const QString shortName = QFileInfo(source).fileName();
    const QString line = LangConst(QStringLiteral("StatusUploadingFileStr")) + QLatin1Char(' ') + shortName;
    ui.SetStatusText(line);

    // A folder entry opens nothing: the job stores its name alone.
    TOpenFile file(entry.IsFolder ? INVALID_HANDLE_VALUE
                                  : ::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC));
    if (!entry.IsFolder && file.Fd() < 0) {
        Tell(QStringLiteral("CantOpenStr"), shortName);
        return false;
    }
    // A folder carries its entry count in Size; it takes a block for its name.
    const std::int64_t size = entry.IsFolder ? 0 : entry.Size;
    const std::int64_t room = recorder->GetFreeDriveMemory();
    if (room <= 0 || room < size) {
        Tell(QStringLiteral("NotEnoughSpaceStr"), source);
        return false;
    }
    const TJobOutcome outcome = ui.RunJob(*recorder, line, true, [&] {
        recorder->StartDriveFileUpload(TrimBackslashes(storedName), file.Fd(), entry.Time);
    });
    return outcome == TJobOutcome::Completed;
}

void WaitForRecorderJob(TCustomRecorder& recorder, TLongOperation& operation, const QString& status)
{
    std::this_thread::yield();
    if (recorder.GetState() != rsIdle) {
        const bool cancelled = operation.CancelRequested();
        RunRecorderJob(operation, recorder, status, false, [] {});
        if (cancelled)
            operation.RequestCancel();
    }
    operation.SetProgress(100);
}
