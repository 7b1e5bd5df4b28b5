#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/actions/EraseItems.h"
#include "app/lists/FileList.h"
#include "app/lists/RecordList.h"
#include "core/settings/StagedFile.h"

class QAction;
class QWidget;
class TContentListsController;
class TCustomRecorder;
class TCustomSoundFileInfo;
class TLongOperation;

// Which of the actions runs the handler (a drop from the explorer pane runs
// it as CopyToPC).
enum class TCopyToPcKind { CopyToPC, MoveToPC, CopyToDefFolder, MoveToDefFolder, CopySelPart };

struct TCopyToPcUi {
    QWidget* MainWindow = nullptr;
    TContentListsController* Lists = nullptr;
    TLongOperation* Operation = nullptr;
    QAction* ActCopyToPC = nullptr;
    QAction* ActMoveToPC = nullptr;
    QAction* ActCopyToDefFolder = nullptr;
    QAction* ActMoveToDefFolder = nullptr;
    QAction* ActCopySelPart = nullptr;
    std::function<TCustomRecorder*()> Recorder;
    // The explorer pane is shown.
    std::function<bool()> ExplorerShown;
};

// The actions that bring recordings and flash-drive files to the PC: copy or
// move into the explorer's folder or the default folder, and copy a part of
// one recording. A move erases only what was copied in full, and each item
// only once its copy, read back from the PC's disk after the erase question,
// is whole.
class TCopyToPcActions : public QObject {
    Q_OBJECT
public:
    explicit TCopyToPcActions(const TCopyToPcUi& ui, QObject* parent = nullptr);

    // actCopyToPCExecute.
    void actCopyToPCExecute(TCopyToPcKind kind);
    // actCopyToDefFolderUpdate and actCopySelPartUpdate.
    void UpdateActions();
    // "Hide "Copy selected part" command".
    void SetCopySelPartHidden(bool hidden);
    // The first refresh with AutoDownload: the whole records (with
    // nonDownOnly those never downloaded) to the default folder, with
    // autoDelete erased when copied, then the selection cleared.
    void RunAutoDownload(bool nonDownOnly, bool autoDelete);

    // FDrvSelection from the selected flash-drive rows: each selected
    // folder followed by everything beneath it, prefixes relative to the
    // view's folder.
    void CollectSelectedDrvFiles();
    // The file name (no folder) of a record row from the file-name mask.
    QString BuildRecordFileName(const TRecords::TRecordItem& row) const;

    // The explorer tree's current folder; while unset, Copy and Move to PC
    // stay disabled.
    std::function<QString()> ExplorerFolder;
    // The transfers; by default DownloadRecordToFile over the main window's
    // transfer user interface, and DownloadDriveFile over the same. A
    // download that answers true has put the files it wrote (final path,
    // size, CRC) into written.
    std::function<bool(TCustomRecorder* recorder, const QString& target, TCustomSoundFileInfo* item,
                       std::uint32_t length, std::uint32_t start, std::vector<TWrittenFile>& written)>
        DownloadRecord;
    std::function<bool(TCustomRecorder* recorder, const QString& target, int driveFileIndex, TWrittenFile& written)>
        DownloadDriveFile;
    // Erases the given records and flash-drive entries (it shows them
    // selected and asks its own confirmation; No erases nothing), each only
    // when gate lets it go.
    std::function<void(const TRecordList& records, const TFileList& driveFiles, const TEraseGate& gate)> EraseItems;
    // The overwrite question (answer Yes, No, No to all, Yes to all, Cancel;
    // target may come back renamed) and the part choice (OK 1 sets start
    // and length). By default the dialogs.
    std::function<int(QString& target, bool renameAllowed)> AskOverwrite;
    std::function<int(std::uint32_t& start, std::uint32_t& length, std::uint32_t size)> SelectPart;

private:
    // A recording copied, with the files its download wrote.
    struct TCopiedRecord {
        std::shared_ptr<TRecords::TRecordItem> Row;
        std::vector<TWrittenFile> Files;
    };
    // A flash-drive entry of the selection: its name relative to the view's
    // folder and, for a file that was copied, what was written.
    struct TDriveCopy {
        TFileListItem Entry;
        QString Relative;
        std::optional<TWrittenFile> File;
    };

    int DefaultAskOverwrite(QString& target, bool renameAllowed);
    int DefaultSelectPart(std::uint32_t& start, std::uint32_t& length, std::uint32_t size);
    // Whether the target is to be written: the remembered answers, else the
    // question. A Cancel sets the cancel request.
    bool DecideOverwrite(QString& target);
    void CopyRecords(const TRecordList& rows, const QString& folder, TCopyToPcKind kind,
                     std::vector<TCopiedRecord>& copied);
    void CopyDriveFiles(const QString& folder, std::vector<TDriveCopy>& entries);
    TCustomSoundFileInfo* RecorderItem(TCustomRecorder& recorder, const TRecords::TRecordItem& row) const;
    // Hands what was copied to EraseItems (a folder when every file under
    // it was); each copy is read back right before its item's erase, and
    // the items kept for a bad copy are named in one message at the end.
    void EraseCopied(const std::vector<TCopiedRecord>& records, const std::vector<TDriveCopy>& driveEntries);

    TCopyToPcUi m_ui;
    bool m_copySelPartHidden = false;
    // The answers of the action under way: two remembered flags, so that
    // "Overwrite All" survives the new files between existing ones.
    bool m_overwriteAll = false;
    bool m_skipAll = false;
};
