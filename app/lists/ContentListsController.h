#pragma once

#include <QObject>
#include <functional>

#include "app/lists/ContentViews.h"
#include "app/lists/FileList.h"
#include "app/lists/RecordList.h"

class QAction;
class TColumnFit;
class QComboBox;
class QMenu;
class QTreeView;
class TCustomRecorder;
class TDriveListKeys;
class TDriveListView;
class TLocationCombo;
class TRecordListKeys;
class TRecordListView;
class TRowPopupMenu;

// The controls of the main window that show the recorder's content, and
// what the lists ask of the connection.
struct TContentListsUi {
    QTreeView* LvRecContent = nullptr;
    QTreeView* LvDrvContent = nullptr;
    QComboBox* CbexRecLocation = nullptr;
    QAction* ActShowRec = nullptr;
    QAction* ActShowDrv = nullptr;
    QAction* ActDrvLevelUp = nullptr;
    QAction* ActRecErase = nullptr;
    QMenu* PopupMenu2 = nullptr;
    // Ctrl+S is allowed (the demo connection or "diag").
    std::function<bool()> StatusKeyAllowed;
    std::function<TCustomRecorder*()> Recorder;
    std::function<bool()> Connected;
};

// The record and flash-drive lists of the main window: their rows, the
// selections actions work on and which view is current, with the views,
// the location combo, the view actions and their update rules. Rows are
// copies that hold record numbers and drive-file indexes, so they stay
// whole whatever the recorder does with its own lists.
class TContentListsController : public QObject, public TContentViews {
    Q_OBJECT
public:
    explicit TContentListsController(const TContentListsUi& ui, QObject* parent = nullptr);
    ~TContentListsController() override;

    TRecordListView& Records() const { return *m_records; }
    TDriveListView& Drive() const { return *m_drive; }
    TLocationCombo& Location() const { return *m_location; }

    // The rows of lvRecContent, and the records an action works on.
    TRecordList& RecordList() { return m_recordList; }
    TRecordList& RecordSelection() { return m_recordSelection; }
    // Every flash-drive entry, those of the current folder, and the
    // entries an action works on.
    TFileList& DriveFiles() { return m_drvFiles; }
    TFilteredFileList& DriveFolderView() { return m_drvFolderView; }
    TFileList& DriveSelection() { return m_drvSelection; }
    // The flash-drive view is the current one.
    bool DriveView() const { return m_driveView; }

    // TContentViews.
    void ClearContent() override;
    void ClearViewItems() override;
    void FillContent(TCustomRecorder& recorder) override;
    void ShowRecordsView() override;
    void DriveFolderToTop() override;
    void RunAutoDownload(bool nonDownOnly, bool autoDelete) override;
    // Who runs the automatic download (the copy actions).
    void SetAutoDownload(std::function<void(bool, bool)> autoDownload) { m_autoDownload = std::move(autoDownload); }

    // actShowDrvExecute.
    void ShowDriveView();
    // FillLocationCombo.
    void FillLocationCombo();
    // actDrvLevelUpExecute.
    void LevelUp();
    // The update rules of actShowRec, actShowDrv, actDrvLevelUp and
    // actRecErase, with
    // the views they show: run when the application is idle and after
    // every change of view or folder.
    void UpdateActions();
    // The flash-drive options as the settings dialog shows them.
    void SetDriveViewOptions(bool disabled, bool hidden);
    // Saved column widths were applied: the lists stop fitting theirs.
    void KeepColumnWidths();

private:
    bool EraseAllowed() const;

    TContentListsUi m_ui;
    std::function<void(bool, bool)> m_autoDownload;
    TRecordList m_recordList;
    TRecordList m_recordSelection;
    TFileList m_drvFiles;
    TFilteredFileList m_drvFolderView;
    TFileList m_drvSelection;
    bool m_driveView = false;
    bool m_driveDisabled = false;
    bool m_driveHidden = false;
    TRecordListView* m_records = nullptr;
    TDriveListView* m_drive = nullptr;
    TRecordListKeys* m_recordKeys = nullptr;
    TDriveListKeys* m_driveKeys = nullptr;
    TLocationCombo* m_location = nullptr;
    TRowPopupMenu* m_recordPopup = nullptr;
    TRowPopupMenu* m_drivePopup = nullptr;
    TColumnFit* m_recordColumns = nullptr;
    TColumnFit* m_driveColumns = nullptr;
};
