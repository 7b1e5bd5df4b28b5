#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

#include "app/lists/FileList.h"
#include "app/lists/RecordList.h"

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
// one recording. A move erases only what was copied in full.
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
    // transfer user interface, and DownloadDriveFile over the same. EraseItems
    // stays unset until the erase loop is wired.
    std::function<bool(TCustomRecorder* recorder, const QString& target, TCustomSoundFileInfo* item,
                       std::uint32_t length, std::uint32_t start)>
        DownloadRecord;
    std::function<bool(TCustomRecorder* recorder, const QString& target, int driveFileIndex)> DownloadDriveFile;
    // Erases the given records and flash-drive entries (it asks its own
    // confirmation).
    std::function<void(const TRecordList& records, const TFileList& driveFiles)> EraseItems;
    // The overwrite question (answer Yes, No, No to all, Yes to all, Cancel;
    // target may come back renamed) and the part choice (OK 1 sets start
    // and length). By default the dialogs.
    std::function<int(QString& target, bool renameAllowed)> AskOverwrite;
    std::function<int(std::uint32_t& start, std::uint32_t& length, std::uint32_t size)> SelectPart;

private:
    int DefaultAskOverwrite(QString& target, bool renameAllowed);
    int DefaultSelectPart(std::uint32_t& start, std::uint32_t& length, std::uint32_t size);
    // Whether the target is to be written: the remembered answers, else the
    // question. A Cancel sets the cancel request.
    bool DecideOverwrite(QString& target);
    void CopyRecords(const TRecordList& rows, const QString& folder, TCopyToPcKind kind, TRecordList& copied);
    void CopyDriveFiles(const QString& folder, TFileList& copied);
    TCustomSoundFileInfo* RecorderItem(TCustomRecorder& recorder, const TRecords::TRecordItem& row) const;
    void Erase(const TRecordList& records, const TFileList& driveFiles);

    TCopyToPcUi m_ui;
    bool m_copySelPartHidden = false;
    // The answers of the action under way: two remembered flags, so that
    // "Overwrite All" survives the new files between existing ones.
    bool m_overwriteAll = false;
    bool m_skipAll = false;
};
