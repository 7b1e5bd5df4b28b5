#include "app/actions/CopyToPcActions.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTreeView>
#include <QWidget>
#include <algorithm>
#include <map>
#include <set>
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

// A flash-drive entry's name relative to the view's folder (SUB\X.TXT).
QString RelativeDriveName(const TFileListItem& entry)
{
    const QString prefix = TrimBackslashes(entry.Path);
    return prefix.isEmpty() ? entry.Name : prefix + QLatin1Char('\\') + entry.Name;
}

// The copies of a move, read back at the erase: each item's right before
// its own erase. The question may stand for as long as the user likes, and
// a removable disk or a network folder may go meanwhile. Each file is read
// once; every bad one is named in Kept.
class TMovedCopies {
public:
    TMovedCopies() = default;
    // The gate holds this object.
    TMovedCopies(const TMovedCopies&) = delete;
    TMovedCopies& operator=(const TMovedCopies&) = delete;

    void AddRecord(const TRecordItem& row, const std::vector<TWrittenFile>& files)
    {
        std::vector<std::size_t>& own = m_records[&row];
        for (const TWrittenFile& file : files)
            own.push_back(AddFile(file));
    }
    void AddDriveEntry(const QString& relative, bool isFolder, const std::optional<TWrittenFile>& file)
    {
        m_drive.push_back({relative, isFolder, file ? std::optional<std::size_t>(AddFile(*file)) : std::nullopt});
    }

    TEraseGate Gate()
    {
        TEraseGate gate;
        gate.Record = [this](const TRecordItem& row) { return RecordWhole(row); };
        gate.DriveEntry = [this](const TFileListItem& entry) { return DriveEntryWhole(RelativeDriveName(entry)); };
        return gate;
    }
    const QStringList& Kept() const { return m_kept; }

private:
    struct TCopy {
        TWrittenFile File;
        std::optional<bool> Whole;  // once read back
    };
    struct TDriveEntry {
        QString Relative;
        bool Folder = false;
        std::optional<std::size_t> File;
    };

    std::size_t AddFile(const TWrittenFile& file)
    {
        m_files.push_back({file, std::nullopt});
        return m_files.size() - 1;
    }

    bool Whole(std::size_t index)
    {
        TCopy& copy = m_files[index];
        if (!copy.Whole) {
            const TFileCheck check = VerifyWrittenFile(copy.File);
            copy.Whole = check.Good();
            if (!check.Good())
                m_kept << QDir::toNativeSeparators(copy.File.Path) + QStringLiteral(": ") + check.Reason;
        }
        return *copy.Whole;
    }

    // Every file is read, so that each bad one is named.
    bool AllWhole(const std::vector<std::size_t>& indexes)
    {
        bool all = true;
        for (std::size_t index : indexes)
            all = Whole(index) && all;
        return all;
    }

    bool RecordWhole(const TRecordItem& row)
    {
        const auto found = m_records.find(&row);
        return found != m_records.end() && !found->second.empty() && AllWhole(found->second);
    }

    bool DriveEntryWhole(const QString& relative)
    {
        std::vector<std::size_t> files;
        bool any = false;
        bool folder = false;
        for (const TDriveEntry& entry : m_drive) {
            if (entry.Relative != relative)
                continue;
            any = true;
            folder = folder || entry.Folder;
            if (!entry.Folder && !entry.File)
                return false;
            if (entry.File)
                files.push_back(*entry.File);
        }
        if (!any)
            return false;
        if (folder) {
            const QString below = relative + QLatin1Char('\\');
            for (const TDriveEntry& entry : m_drive) {
                if (entry.Folder || !entry.Relative.startsWith(below, Qt::CaseInsensitive))
                    continue;
                if (!entry.File)
                    return false;
                files.push_back(*entry.File);
            }
        }
        return AllWhole(files);
    }

    std::vector<TCopy> m_files;
    std::map<const TRecordItem*, std::vector<std::size_t>> m_records;
    std::vector<TDriveEntry> m_drive;
    QStringList m_kept;
};

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
                EraseCopied(copiedRecords, driveEntries);
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
        const QString relative = RelativeDriveName(entry);
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

void TCopyToPcActions::EraseCopied(const std::vector<TCopiedRecord>& records,
                                   const std::vector<TDriveCopy>& driveEntries)
{
    TMovedCopies copies;
    // A voice part goes only with its recording: alone it is no erasable
    // item, and the question shows only what goes.
    std::set<std::uint16_t> recordings;
    for (const TCopiedRecord& copied : records)
        if (!copied.Files.empty() && !copied.Row->IsVoicePart())
            recordings.insert(copied.Row->RecordNumber);
    TRecordList eraseRecords;
    for (const TCopiedRecord& copied : records) {
        if (copied.Files.empty() || !recordings.count(copied.Row->RecordNumber))
            continue;
        copies.AddRecord(*copied.Row, copied.Files);
        eraseRecords.Add(copied.Row);
    }
    TFileList eraseFiles;
    for (const TDriveCopy& copy : driveEntries) {
        copies.AddDriveEntry(copy.Relative, copy.Entry.IsFolder, copy.File);
        // A folder goes only when every file under it was copied.
        const QString below = copy.Relative + QLatin1Char('\\');
        const bool copied = copy.Entry.IsFolder
                                ? std::all_of(driveEntries.begin(), driveEntries.end(),
                                              [&below](const TDriveCopy& inner) {
                                                  return inner.Entry.IsFolder || inner.File ||
                                                         !inner.Relative.startsWith(below, Qt::CaseInsensitive);
                                              })
                                : copy.File.has_value();
        if (copied)
            eraseFiles.Add(copy.Entry);
    }
    if (eraseRecords.Count() == 0 && eraseFiles.Count() == 0)
        return;
    if (!EraseItems)
        throw std::logic_error("no erase is wired");
    EraseItems(eraseRecords, eraseFiles, copies.Gate());
    if (!copies.Kept().isEmpty())
        AppMessageBox(LangConst(QStringLiteral("NotVerifiedKeptStr")) + QLatin1Char('\n') +
                          copies.Kept().join(QLatin1Char('\n')),
                      MB_ICONWARNING, ApplicationTitle());
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
                EraseCopied(copied, {});
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
