#include "app/actions/CopyToPcActions.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTreeView>
#include <QWidget>
#include <stdexcept>

#include "app/actions/DriveFileTransfers.h"
#include "app/actions/GuiTransferUi.h"
#include "app/dialogs/ModalResult.h"
#include "app/dialogs/OverwriteDialog.h"
#include "app/dialogs/PartSelectDialog.h"
#include "app/dialogs/RenameDialog.h"
#include "app/lists/ContentListsController.h"
#include "app/lists/DriveListView.h"
#include "app/lists/RecordListView.h"
#include "app/lists/ViewSelection.h"
#include "app/services/AppMessageBox.h"
#include "app/services/ApplicationTitle.h"
#include "app/services/LongOperation.h"
#include "app/services/MainUiLock.h"
#include "audio/DownloadToFile.h"
#include "audio/FileNameMask.h"
#include "core/flash/DriveFileList.h"
#include "core/flash/DriveNameSanitizer.h"
#include "core/flash/DrivePath.h"
#include "core/flash/SoundFileList.h"
#include "core/protocol/RecXchange.h"
#include "core/recorder/CustomRecorder.h"
#include "core/settings/ProgramOptions.h"
#include "localizer/LangConst.h"

using TRecords::TRecordItem;

namespace {

bool IsMove(TCopyToPcKind kind)
{
    return kind == TCopyToPcKind::MoveToPC || kind == TCopyToPcKind::MoveToDefFolder;
}

bool UsesDefaultFolder(TCopyToPcKind kind)
{
    return kind == TCopyToPcKind::CopyToDefFolder || kind == TCopyToPcKind::MoveToDefFolder;
}

void SetEnabled(QAction* action, bool enabled)
{
    if (action && action->isEnabled() != enabled)
        action->setEnabled(enabled);
}

QString JoinPath(const QString& folder, const QString& name)
{
    return QDir(folder).filePath(name);
}

}  // namespace

TCopyToPcActions::TCopyToPcActions(const TCopyToPcUi& ui, QObject* parent) : QObject(parent), m_ui(ui)
{
    DownloadRecord = [this](TCustomRecorder* recorder, const QString& target, TCustomSoundFileInfo* item,
                            std::uint32_t length, std::uint32_t start, std::vector<TWrittenFile>& written) {
        TGuiTransferUi transferUi(*m_ui.Operation);
        return DownloadRecordToFile(recorder, target, item, length, start, transferUi, &written);
    };
    DownloadDriveFile = [this](TCustomRecorder* recorder, const QString& target, int driveFileIndex,
                               TWrittenFile& written) {
        TGuiTransferUi transferUi(*m_ui.Operation);
        return ::DownloadDriveFile(recorder, target, driveFileIndex, transferUi, &written);
    };
    AskOverwrite = [this](QString& target, bool renameAllowed) { return DefaultAskOverwrite(target, renameAllowed); };
    SelectPart = [this](std::uint32_t& start, std::uint32_t& length, std::uint32_t size) {
        return DefaultSelectPart(start, length, size);
    };
    const auto wire = [this](QAction* action, TCopyToPcKind kind) {
        if (action)
            connect(action, &QAction::triggered, this, [this, kind] { actCopyToPCExecute(kind); });
    };
    wire(m_ui.ActCopyToPC, TCopyToPcKind::CopyToPC);
    wire(m_ui.ActMoveToPC, TCopyToPcKind::MoveToPC);
    wire(m_ui.ActCopyToDefFolder, TCopyToPcKind::CopyToDefFolder);
    wire(m_ui.ActMoveToDefFolder, TCopyToPcKind::MoveToDefFolder);
    wire(m_ui.ActCopySelPart, TCopyToPcKind::CopySelPart);
}

void TCopyToPcActions::UpdateActions()
{
    TContentListsController& lists = *m_ui.Lists;
    const bool driveView = lists.DriveView();
    QTreeView& shown = driveView ? lists.Drive().View() : lists.Records().View();
    const std::vector<int> rows = SelectedRows(shown);
    const bool selected = !rows.empty();
    const bool explorer = ExplorerFolder && m_ui.ExplorerShown && m_ui.ExplorerShown();
    SetEnabled(m_ui.ActCopyToDefFolder, selected);
    SetEnabled(m_ui.ActMoveToDefFolder, selected);
    SetEnabled(m_ui.ActCopyToPC, selected && explorer);
    SetEnabled(m_ui.ActMoveToPC, selected && explorer);

    bool oneWholeRecord = false;
    if (!driveView && rows.size() == 1 && rows.front() < lists.RecordList().Count())
        oneWholeRecord = !lists.RecordList().Item(rows.front())->IsVoicePart();
    // The part goes to the explorer's folder, so it needs the accessor too.
    SetEnabled(m_ui.ActCopySelPart, oneWholeRecord && !ProgramOptions.DisableEditor && ExplorerFolder != nullptr);
}

void TCopyToPcActions::SetCopySelPartHidden(bool hidden)
{
    m_copySelPartHidden = hidden;
    if (m_ui.ActCopySelPart)
        m_ui.ActCopySelPart->setVisible(!hidden);
}

QString TCopyToPcActions::BuildRecordFileName(const TRecordItem& row) const
{
    TCustomRecorder* recorder = m_ui.Recorder ? m_ui.Recorder() : nullptr;
    const QString serial = recorder ? recorder->GetSerialNumber() : QString();
    // RecordNumber is the recording's own number, also on a voice part's row.
    const int part = row.IsVoicePart() ? row.Number : -1;
    return ExpandFileNameMask(ProgramOptions.FileNameMask, row.StartTime, serial, row.RecordNumber, part, row.CallText);
}

void TCopyToPcActions::actCopyToPCExecute(TCopyToPcKind kind)
{
    RunGuarded([&] {
        TMainUiLockScope lock(m_ui.Operation->UiLock());
        m_overwriteAll = false;
        m_skipAll = false;
        m_ui.Operation->ResetCancel();
        try {
            QString folder;
            if (UsesDefaultFolder(kind))
                folder = ProgramOptions.DefFolder;
            else if (ExplorerFolder)
                folder = ExplorerFolder();
            if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
                AppMessageBox(LangConst(QStringLiteral("PathNotFoundStr")) + QLatin1Char(' ') + folder, MB_OK,
                              ApplicationTitle());
                return;
            }
            std::vector<TCopiedRecord> copiedRecords;
            std::vector<TDriveCopy> driveEntries;
            if (m_ui.Lists->DriveView()) {
                CollectSelectedDrvFiles();
                CopyDriveFiles(folder, driveEntries);
            } else {
                TRecordList& selection = m_ui.Lists->RecordSelection();
                m_ui.Lists->Records().CollectSelectedRecords(selection);
                CopyRecords(selection, folder, kind, copiedRecords);
            }
            if (IsMove(kind) && !m_ui.Operation->CancelRequested())
                EraseVerified(copiedRecords, driveEntries);
        } catch (const TERecXchange& error) {
            ShowRecorderError(error);
        }
    });
}

bool TCopyToPcActions::DecideOverwrite(QString& target)
{
    if (!QFileInfo::exists(target))
        return true;
    if (m_overwriteAll)
        return true;
    if (m_skipAll)
        return false;
    switch (AskOverwrite(target, true)) {
    case mrYes:
        return true;
    case mrYesToAll:
        m_overwriteAll = true;
        return true;
    case mrNoToAll:
        m_skipAll = true;
        return false;
    case mrNo:
        return false;
    default:
        m_ui.Operation->RequestCancel();
        return false;
    }
}

TCustomSoundFileInfo* TCopyToPcActions::RecorderItem(TCustomRecorder& recorder, const TRecordItem& row) const
{
    // Rows hold numbers: the recording is looked up by its number, a voice
    // part by its part number among that recording's parts.
    TSoundFileList* recordings = recorder.GetSoundFiles();
    if (!recordings)
        return nullptr;
    const int index = recordings->IndexOfNumber(row.RecordNumber);
    if (index < 0)
        return nullptr;
    TSoundFileInfo* recording = recordings->Item(index);
    if (!row.IsVoicePart())
        return recording;
    if (!recording->VoiceParts)
        return nullptr;
    const int part = recording->VoiceParts->IndexOfNumber(row.Number);
    return part < 0 ? nullptr : recording->VoiceParts->Item(part);
}

void TCopyToPcActions::CopyRecords(const TRecordList& rows, const QString& folder, TCopyToPcKind kind,
                                   std::vector<TCopiedRecord>& copied)
{
    TCustomRecorder* recorder = m_ui.Recorder ? m_ui.Recorder() : nullptr;
    for (int i = 0; i < rows.Count() && !m_ui.Operation->CancelRequested(); ++i) {
        const std::shared_ptr<TRecordItem>& row = rows.Item(i);
        QString target = JoinPath(folder, BuildRecordFileName(*row));
        if (ProgramOptions.DialectFormat)
            target = QFileInfo(target).dir().filePath(QFileInfo(target).completeBaseName() + QStringLiteral(".raw"));
        if (!DecideOverwrite(target))
            continue;
        std::uint32_t start = 0;
        std::uint32_t length = row->Length;
        if (kind == TCopyToPcKind::CopySelPart &&
            SelectPart(start, length, static_cast<std::uint32_t>(row->Size)) != mrOk)
            continue;
        TCustomSoundFileInfo* item = recorder ? RecorderItem(*recorder, *row) : nullptr;
        if (!item) {
            AppMessageBox(LangConst(QStringLiteral("CantOpenStr")) + QLatin1Char(' ') + row->NumberText, MB_OK,
                          ApplicationTitle());
            continue;
        }
        std::vector<TWrittenFile> written;
        if (DownloadRecord(recorder, target, item, length, start, written))
            copied.push_back({row, std::move(written)});
    }
}

void TCopyToPcActions::CollectSelectedDrvFiles()
{
    TContentListsController& lists = *m_ui.Lists;
    TFileList& selection = lists.DriveSelection();
    selection.Clear();
    const TFilteredFileList& view = lists.DriveFolderView();
    const QString viewFolder = CanonicalDriveFolder(view.Folder());
    for (int row : SelectedRows(lists.Drive().View())) {
        if (row >= view.Count())
            continue;
        const TFileListItem& entry = *view.Items(row);
        selection.Add(entry);
        if (!entry.IsFolder)
            continue;
        // Everything beneath the folder, at every level, with its prefix
        // made relative to the view's folder.
        const QString entryPrefix = TrimBackslashes(entry.Path);
        const QString below = entryPrefix.isEmpty() ? entry.Name : entryPrefix + QLatin1Char('\\') + entry.Name;
        const QString fullFolder = CanonicalDriveFolder(DriveNameInFolder(viewFolder, below));
        const TFileList& all = lists.DriveFiles();
        for (int i = 0; i < all.Count(); ++i) {
            const TFileListItem& inner = *all.Items(i);
            const QString path = CanonicalDriveFolder(inner.Path);
            // Case counts, as in the list: "DOCS" is another folder than "Docs".
            if (!path.startsWith(fullFolder))
                continue;
            TFileListItem copy = inner;
            copy.Path = CanonicalDriveFolder(below + QLatin1Char('\\') + path.mid(fullFolder.size()));
            selection.Add(copy);
        }
    }
}

void TCopyToPcActions::CopyDriveFiles(const QString& folder, std::vector<TDriveCopy>& entries)
{
    TCustomRecorder* recorder = m_ui.Recorder ? m_ui.Recorder() : nullptr;
    TContentListsController& lists = *m_ui.Lists;
    const QString viewFolder = CanonicalDriveFolder(lists.DriveFolderView().Folder());
    const TFileList& selection = lists.DriveSelection();
    for (int i = 0; i < selection.Count() && !m_ui.Operation->CancelRequested(); ++i) {
        const TFileListItem& entry = *selection.Items(i);
        const QString prefix = TrimBackslashes(entry.Path);
        const QString relative = prefix.isEmpty() ? entry.Name : prefix + QLatin1Char('\\') + entry.Name;
        entries.push_back({entry, relative, std::nullopt});
        QString target;
        try {
            target = PcPathForDriveName(folder, relative);
        } catch (const EUnsafeDriveName& error) {
            AppMessageBox(error.Text, MB_OK, ApplicationTitle());
            continue;
        }
        if (entry.IsFolder) {
            QDir().mkpath(target);
            continue;
        }
        // The row's own file, also where two stored forms of one name are two rows.
        const QString driveName = StoredDriveName(viewFolder, relative);
        const TDriveFileList* files = recorder ? recorder->GetDriveFiles() : nullptr;
        const int index = files ? files->IndexOfEntry(entry.DriveFileIndex, driveName) : -1;
        if (index < 0) {
            AppMessageBox(LangConst(QStringLiteral("CantOpenStr")) + QLatin1Char(' ') + relative, MB_OK,
                          ApplicationTitle());
            continue;
        }
        if (!DecideOverwrite(target))
            continue;
        // A folder may come after its files, or have no entry at all.
        QDir().mkpath(QFileInfo(target).path());
        if (!DownloadDriveFile)
            throw std::logic_error("no flash-drive download is wired");
        TWrittenFile written;
        if (DownloadDriveFile(recorder, target, index, written))
            entries.back().File = written;
    }
}

void TCopyToPcActions::EraseVerified(const std::vector<TCopiedRecord>& records,
                                     const std::vector<TDriveCopy>& driveEntries)
{
    QStringList kept;
    // Every file is read back from the disk now, after all the downloads:
    // what happened to the folder meanwhile counts.
    const auto whole = [&kept](const std::vector<TWrittenFile>& files) {
        bool good = !files.empty();
        for (const TWrittenFile& file : files) {
            const TFileCheck check = VerifyWrittenFile(file);
            if (!check.Good()) {
                kept << QDir::toNativeSeparators(file.Path) + QStringLiteral(": ") + check.Reason;
                good = false;
            }
        }
        return good;
    };
    TRecordList eraseRecords;
    for (const TCopiedRecord& copied : records)
        if (whole(copied.Files))
            eraseRecords.Add(copied.Row);

    std::vector<bool> good(driveEntries.size(), false);
    for (std::size_t i = 0; i < driveEntries.size(); ++i)
        if (!driveEntries[i].Entry.IsFolder && driveEntries[i].File)
            good[i] = whole({*driveEntries[i].File});
    TFileList eraseFiles;
    for (std::size_t i = 0; i < driveEntries.size(); ++i) {
        const TDriveCopy& copy = driveEntries[i];
        if (copy.Entry.IsFolder) {
            // A folder goes only when every file under it has a good copy.
            const QString below = copy.Relative + QLatin1Char('\\');
            bool all = true;
            for (std::size_t j = 0; j < driveEntries.size() && all; ++j)
                if (!driveEntries[j].Entry.IsFolder && driveEntries[j].Relative.startsWith(below, Qt::CaseInsensitive))
                    all = good[j];
            good[i] = all;
        }
        if (good[i])
            eraseFiles.Add(copy.Entry);
    }
    if (!kept.isEmpty())
        AppMessageBox(LangConst(QStringLiteral("NotVerifiedKeptStr")) + QLatin1Char('\n') +
                          kept.join(QLatin1Char('\n')),
                      MB_ICONWARNING, ApplicationTitle());
    if (eraseRecords.Count() == 0 && eraseFiles.Count() == 0)
        return;
    if (!EraseItems)
        throw std::logic_error("no erase is wired");
    EraseItems(eraseRecords, eraseFiles);
}

void TCopyToPcActions::RunAutoDownload(bool nonDownOnly, bool autoDelete)
{
    RunGuarded([&] {
        TMainUiLockScope lock(m_ui.Operation->UiLock());
        m_overwriteAll = false;
        m_skipAll = false;
        m_ui.Operation->ResetCancel();
        TContentListsController& lists = *m_ui.Lists;
        try {
            const QString folder = ProgramOptions.DefFolder;
            if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
                AppMessageBox(LangConst(QStringLiteral("PathNotFoundStr")) + QLatin1Char(' ') + folder, MB_OK,
                              ApplicationTitle());
                return;
            }
            TRecordList& selection = lists.RecordSelection();
            selection.Clear();
            const TRecordList& all = lists.RecordList();
            for (int i = 0; i < all.Count(); ++i) {
                const std::shared_ptr<TRecordItem>& row = all.Item(i);
                if (!row->IsVoicePart() && (!nonDownOnly || row->Status == 0xFF))
                    selection.Add(row);
            }
            std::vector<TCopiedRecord> copied;
            CopyRecords(selection, folder, TCopyToPcKind::CopyToDefFolder, copied);
            if (autoDelete && !m_ui.Operation->CancelRequested())
                EraseVerified(copied, {});
        } catch (const TERecXchange& error) {
            ShowRecorderError(error);
        }
        lists.RecordSelection().Clear();
        lists.Records().View().clearSelection();
    });
}

int TCopyToPcActions::DefaultAskOverwrite(QString& target, bool renameAllowed)
{
    auto* dialog = m_ui.MainWindow->findChild<TfrmOverwrite*>(QStringLiteral("frmOverwrite"));
    std::unique_ptr<TfrmRename> ownRename;
    std::unique_ptr<TfrmOverwrite> ownDialog;
    if (!dialog) {
        ownRename = std::make_unique<TfrmRename>(m_ui.MainWindow);
        ownDialog = std::make_unique<TfrmOverwrite>(ownRename.get(), m_ui.MainWindow);
        dialog = ownDialog.get();
    }
    dialog->SetFileName(target);
    dialog->RenameBtn->setEnabled(renameAllowed);
    const int answer = dialog->exec();
    if (answer == mrYes && dialog->FileName() != target) {
        const QString renamed = dialog->FileName();
        target = QFileInfo(renamed).fileName() == renamed ? QFileInfo(target).dir().filePath(renamed) : renamed;
    }
    return answer;
}

int TCopyToPcActions::DefaultSelectPart(std::uint32_t& start, std::uint32_t& length, std::uint32_t size)
{
    TfrmPartSelect dialog(m_ui.MainWindow);
    dialog.SetRecordDuration(length);
    dialog.SetRecordSize(size);
    const int answer = dialog.exec();
    if (answer == mrOk) {
        start = dialog.SelStart();
        length = dialog.SelDuration();
    }
    return answer;
}
