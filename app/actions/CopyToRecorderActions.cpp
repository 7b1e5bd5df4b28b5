#include "app/actions/CopyToRecorderActions.h"

#include <QAction>
#include <QFileInfo>
#include <algorithm>
#include <stdexcept>

#include "app/actions/DriveFileTransfers.h"
#include "app/actions/GuiTransferUi.h"
#include "app/dialogs/ModalResult.h"
#include "app/lists/ContentListsController.h"
#include "app/lists/FileList.h"
#include "app/services/AppMessageBox.h"
#include "app/services/ApplicationTitle.h"
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

bool AskSpace(const QString& what)
{
    return AppMessageBox(Const("NotEnoughSpaceStr") + QLatin1Char(' ') + what, MB_OKCANCEL, ApplicationTitle()) !=
           IDCANCEL;
}

}  // namespace

TCopyToRecorderActions::TCopyToRecorderActions(const TCopyToRecorderUi& ui, QObject* parent)
    : QObject(parent), m_ui(ui)
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
        if (m_ui.Lists->DriveView())
            CopyToDrive(paths);
        else
            UploadRecords(paths);
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
            UploadWave(&recorder, path, static_cast<std::uint16_t>(highest + 1));
        } catch (const TERecXchange& error) {
            ShowRecorderError(error);
        }
    }
}

void TCopyToRecorderActions::CopyToDrive(const QStringList& paths)
{
    const QString viewFolder = CanonicalDriveFolder(m_ui.Lists->DriveFolderView().Folder());
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
            // The old file goes only when the new one fits into what it frees.
            const std::int64_t freed = files->Item(existing)->Size;
            if (size > recorder->GetFreeDriveMemory() + freed) {
                if (!AskSpace(rel))
                    m_ui.Operation->RequestCancel();
                return;
            }
            recorder->StartEraseDriveFile(existing);
            WaitForRecorderJob(*recorder, *m_ui.Operation, Const("StatusErasingStr") + QLatin1Char(' ') + drivePath);
        }
    }
    // Also for a skipped entry: the next upload needs current lists.
    recorder = &FreshRecorder();
    if (skip)
        return;
    if (size > recorder->GetFreeDriveMemory()) {
        if (!AskSpace(rel))
            m_ui.Operation->RequestCancel();
        return;
    }
    QString source = base + rel;
    source.replace(QLatin1Char('\\'), QLatin1Char('/'));
    UploadFile(recorder, source, entry, storedName);
}
