#include "app/actions/CopyToRecorderActions.h"

#include <sys/stat.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <algorithm>
#include <cerrno>
#include <optional>
#include <stdexcept>

#include "app/actions/DriveFileTransfers.h"
#include "app/actions/GuiTransferUi.h"
#include "app/dialogs/ModalResult.h"
#include "app/lists/ContentListsController.h"
#include "app/lists/FileList.h"
#include "app/services/AppMessageBox.h"
#include "app/services/ApplicationTitle.h"
#include "app/services/GuiJobRunner.h"
#include "app/services/LongOperation.h"
#include "app/services/MainUiLock.h"
#include "audio/UploadToRecorder.h"
#include "audio/WaveFile.h"
#include "core/flash/DriveFileInfo.h"
#include "core/flash/DriveFileList.h"
#include "core/flash/DrivePath.h"
#include "core/flash/SoundFileInfo.h"
#include "core/flash/SoundFileList.h"
#include "core/protocol/RecXchange.h"
#include "core/recorder/CustomRecorder.h"
#include "core/recorder/MessageBoxCodes.h"
#include "core/recorder/RecorderCapacity.h"
#include "core/settings/FileUtils.h"
#include "localizer/LangConst.h"

namespace {

// Numbers above this one belong to flash-drive files.
constexpr std::uint16_t kHighestRecordNumber = 0x7FFF;

QString Const(const char* name)
{
    return LangConst(QString::fromLatin1(name));
}

void Tell(const QString& text)
{
    AppMessageBox(text, MB_OK, ApplicationTitle());
}

// Why a PC path is no file to copy: gone, or not a regular file (a link is
// followed); none for a regular file.
std::optional<QString> NotAPlainFile(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::lstat(name.constData(), &info) != 0 || (S_ISLNK(info.st_mode) && ::stat(name.constData(), &info) != 0))
        return GetSystemErrorText(errno);
    if (!S_ISREG(info.st_mode))
        return Const("NotRegularFileStr");
    return std::nullopt;
}

bool AskSpace(const QString& what)
{
    return AppMessageBox(Const("NotEnoughSpaceStr") + QLatin1Char(' ') + what, MB_OKCANCEL, ApplicationTitle()) !=
           IDCANCEL;
}

}  // namespace

TCopyToRecorderActions::TCopyToRecorderActions(const TCopyToRecorderUi& ui, QObject* parent) : QObject(parent), m_ui(ui)
{
    UploadWave = [this](TCustomRecorder* recorder, const QString& path, std::uint16_t record) {
        TGuiTransferUi transferUi(*m_ui.Operation);
        return UploadWaveAsRecord(recorder, path, record, transferUi);
    };
    UploadFile = [this](TCustomRecorder* recorder, const QString& source, const TFileListItem& entry,
                        const QString& storedName) {
        TGuiTransferUi transferUi(*m_ui.Operation);
        return UploadFileToDrive(recorder, source, entry, storedName, transferUi);
    };
    if (m_ui.ActCopyToRec)
        connect(m_ui.ActCopyToRec, &QAction::triggered, this, [this] { actCopyToRecExecute(); });
}

TCustomRecorder* TCopyToRecorderActions::Recorder() const
{
    return m_ui.ConnectedRecorder ? m_ui.ConnectedRecorder() : nullptr;
}

TCustomRecorder& TCopyToRecorderActions::FreshRecorder()
{
    TCustomRecorder* recorder = Recorder();
    if (recorder && recorder->IsContentChanged()) {
        m_ui.RefreshContent();
        recorder = Recorder();
    }
    if (!recorder)
        throw std::runtime_error("The recorder is not connected.");
    return *recorder;
}

void TCopyToRecorderActions::actCopyToRecUpdate()
{
    const bool enabled = Recorder() && SelectedPaths && !SelectedPaths().isEmpty();
    if (m_ui.ActCopyToRec && m_ui.ActCopyToRec->isEnabled() != enabled)
        m_ui.ActCopyToRec->setEnabled(enabled);
}

void TCopyToRecorderActions::actCopyToRecExecute()
{
    RunGuarded([&] {
        m_ui.Operation->ResetCancel();
        m_overwriteAll = false;
        m_skipAll = false;
        const QStringList paths = SelectedPaths ? SelectedPaths() : QStringList();
        TMainUiLockScope lock(m_ui.Operation->UiLock());
        if (!Recorder() || paths.isEmpty())
            return;
        m_uploaded = false;
        if (m_ui.Lists->DriveView())
            CopyToDrive(paths);
        else
            UploadRecords(paths);
        // Each upload filed what it wrote into the recorder's lists; one
        // scan at the end makes sure and shows the new content.
        if (m_uploaded && Recorder())
            m_ui.RefreshContent();
    });
}

void TCopyToRecorderActions::UploadRecords(const QStringList& paths)
{
    if (Recorder()->ChooseUploadFormat() < 0)
        return;
    for (const QString& path : paths) {
        if (m_ui.Operation->CancelRequested())
            break;
        const QFileInfo info(path);
        const QString name = info.fileName();
        if (!FileCanBeOpened(path, false)) {
            Tell(info.isDir() ? name + QLatin1Char(' ') + Const("NotWaveFileStr")
                              : Const("CantOpenStr") + QLatin1Char(' ') + name);
            continue;
        }
        if (!TWaveFile::IsWaveFile(path)) {
            Tell(name + QLatin1Char(' ') + Const("NotWaveFileStr"));
            continue;
        }
        try {
            TCustomRecorder& recorder = FreshRecorder();
            if (recorder.GetFreeMemory() == 0) {
                if (!AskSpace(path))
                    m_ui.Operation->RequestCancel();
                return;
            }
            std::uint16_t highest = 0;
            if (TSoundFileList* files = recorder.GetSoundFiles())
                for (int i = 0; i < files->Count(); ++i)
                    highest = std::max(highest, files->Item(i)->Number);
            // The next number would be taken for a flash-drive file, and
            // 0xFFFF would wrap to 0.
            if (highest >= kHighestRecordNumber) {
                Tell(Const("NoRecordNumberStr") + QLatin1Char(' ') + path);
                return;
            }
            m_uploaded = true;
            UploadWave(&recorder, path, static_cast<std::uint16_t>(highest + 1));
        } catch (const TERecXchange& error) {
            ShowRecorderError(error);
        }
    }
}

void TCopyToRecorderActions::CopyToDrive(const QStringList& paths)
{
    const QString viewFolder = CanonicalDriveFolder(m_ui.Lists->DriveFolderView().Folder());
    m_skipped.clear();
    // Whatever ends the copy, what was left out is told in one message.
    const auto report = qScopeGuard([this] {
        if (!m_skipped.isEmpty())
            Tell(Const("NotCopiedStr") + QLatin1Char('\n') + m_skipped.join(QLatin1Char('\n')));
    });
    for (const QString& path : paths) {
        if (m_ui.Operation->CancelRequested())
            break;
        const QFileInfo info(path);
        const QString base = info.absolutePath() + QLatin1Char('/');
        TFileList list;
        if (info.isDir()) {
            CollectPath(path, &list);
        } else {
            // CollectPath lists folders only.
            TFileListItem item;
            item.Name = info.fileName();
            item.Size = info.size();
            item.Time = SystemTimeOf(info.lastModified().toLocalTime());
            item.Path = QStringLiteral("\\");
            list.Add(item);
        }
        // Kept in the order CollectPath made: a folder before its files.
        std::vector<TFileListItem> entries;
        for (int i = 0; i < list.Count(); ++i)
            entries.push_back(*list.Items(i));
        for (const TFileListItem& entry : entries) {
            if (m_ui.Operation->CancelRequested())
                break;
            CopyEntry(base, entry, viewFolder);
        }
    }
}

bool TCopyToRecorderActions::EraseOldFile(TCustomRecorder& recorder, int driveFileIndex, const QString& drivePath)
{
    // Cancel only asks to stop after this entry: the erase ends whole, and
    // a request made before is kept.
    const bool cancelled = m_ui.Operation->CancelRequested();
    const TRecorderJobResult result =
        RunRecorderJob(*m_ui.Operation, recorder, Const("StatusErasingStr") + QLatin1Char(' ') + drivePath,
                       TJobCancel::FlagOnly, [&] { recorder.StartEraseDriveFile(driveFileIndex); });
    if (cancelled)
        m_ui.Operation->RequestCancel();
    return result.Outcome == TJobOutcome::Completed;
}

void TCopyToRecorderActions::CopyEntry(const QString& base, const TFileListItem& entry, const QString& viewFolder)
{
    if (entry.Name.contains(QLatin1Char('\\'))) {
        Tell(Const("BackslashInNameStr") + QLatin1Char(' ') + TrimBackslashes(entry.Path + entry.Name));
        return;
    }
    const QString rel = TrimBackslashes(entry.Path + entry.Name);
    const QString drivePath = DriveNameInFolder(viewFolder, rel);
    const QString storedName = StoredDriveName(viewFolder, rel);
    const std::int64_t size = entry.IsFolder ? 0 : entry.Size;
    QString source = base + rel;
    source.replace(QLatin1Char('\\'), QLatin1Char('/'));
    // Looked at before anything opens it: a FIFO or a device would block
    // the open, or never end.
    if (!entry.IsFolder) {
        if (const std::optional<QString> why = NotAPlainFile(source)) {
            m_skipped << QDir::toNativeSeparators(source) + QStringLiteral(": ") + *why;
            return;
        }
    }

    TCustomRecorder* recorder = &FreshRecorder();
    bool skip = false;
    TDriveFileList* files = recorder->GetDriveFiles();
    const int existing = files ? files->IndexOfName(storedName) : -1;
    if (existing >= 0) {
        if (entry.IsFolder) {
            skip = true;
        } else if (m_skipAll) {
            skip = true;
        } else if (!m_overwriteAll) {
            QString target = rel;
            switch (AskOverwrite(target, false)) {
            case mrYes:
                break;
            case mrYesToAll:
                m_overwriteAll = true;
                break;
            case mrNoToAll:
                m_skipAll = true;
                skip = true;
                break;
            case mrNo:
                skip = true;
                break;
            default:
                m_ui.Operation->RequestCancel();
                skip = true;
                break;
            }
        }
        if (!skip) {
            // The old file goes only when the new one fits into the room
            // its erase leaves.
            if (!DriveEntryFits(size, recorder->GetFreeDriveMemoryAfterErase(existing))) {
                if (!AskSpace(rel))
                    m_ui.Operation->RequestCancel();
                return;
            }
            // Nothing is uploaded beside an old file that is still there:
            // a failed erase (shown) ends the copy.
            if (!EraseOldFile(*recorder, existing, drivePath)) {
                // The lists follow however far the erase got (the scan
                // clears Cancel, so the stop is asked for after it).
                if (Recorder() && Recorder()->IsContentChanged())
                    m_ui.RefreshContent();
                m_ui.Operation->RequestCancel();
                return;
            }
        }
    }
    // Also for a skipped entry: an overwrite's erase changed the content.
    recorder = &FreshRecorder();
    if (skip)
        return;
    // A name the flash drive would cut is refused whole.
    if (!recorder->DriveNameFits(storedName)) {
        m_skipped << Const("DriveNameTooLongStr") + QLatin1Char(' ') + drivePath;
        return;
    }
    if (!DriveEntryFits(size, recorder->GetFreeDriveMemory())) {
        if (!AskSpace(rel))
            m_ui.Operation->RequestCancel();
        return;
    }
    m_uploaded = true;
    UploadFile(recorder, source, entry, storedName);
}
