#pragma once

#include <QObject>
#include <functional>

class QAction;
class QComboBox;
class QMenu;
class QTreeView;
class TCustomRecorder;
class TDriveListKeys;
class TDriveListView;
class TFileList;
class TFilteredFileList;
class TLocationCombo;
class TRecordList;
class TRecordListKeys;
class TRecordListView;
class TRowPopupMenu;

// The controls and lists of the main window that show the recorder's content.
struct TContentListsUi {
    QTreeView* LvRecContent = nullptr;
    QTreeView* LvDrvContent = nullptr;
    QComboBox* CbexRecLocation = nullptr;
    QAction* ActShowRec = nullptr;
    QAction* ActShowDrv = nullptr;
    QAction* ActDrvLevelUp = nullptr;
    QMenu* PopupMenu2 = nullptr;
    TRecordList* RecordList = nullptr;
    TFileList* DrvFiles = nullptr;
    TFilteredFileList* DrvFolderView = nullptr;
    bool* DriveView = nullptr;  // FDriveView
    // Ctrl+S is allowed (the demo connection or "diag").
    std::function<bool()> StatusKeyAllowed;
    std::function<TCustomRecorder*()> Recorder;
    std::function<bool()> Connected;  // FConnected
};

// The record and flash-drive views of the main window with the location
// combo, the view actions and their update rules.
class TRecorderContentLists : public QObject {
    Q_OBJECT
public:
    explicit TRecorderContentLists(const TContentListsUi& ui, QObject* parent = nullptr);
    ~TRecorderContentLists() override;

    TRecordListView& Records() const { return *m_records; }
    TDriveListView& Drive() const { return *m_drive; }
    TLocationCombo& Location() const { return *m_location; }

    // Both lists and their rows emptied: before every scan and disconnect.
    void ClearContent();
    // Both views at 0 rows.
    void ClearViewItems();
    // After a scan: FillRecordList, FillDriveList, FillLocationCombo.
    void FillContent(TCustomRecorder& recorder);
    // actShowRecExecute and actShowDrvExecute.
    void ShowRecordsView();
    void ShowDriveView();
    void DriveFolderToTop();
    // FillLocationCombo.
    void FillLocationCombo();
    // actDrvLevelUpExecute.
    void LevelUp();
    // The update rules of actShowRec, actShowDrv and actDrvLevelUp, with
    // the views they show: run when the application is idle and after
    // every change of view or folder.
    void UpdateActions();

private:
    TContentListsUi m_ui;
    TRecordListView* m_records = nullptr;
    TDriveListView* m_drive = nullptr;
    TRecordListKeys* m_recordKeys = nullptr;
    TDriveListKeys* m_driveKeys = nullptr;
    TLocationCombo* m_location = nullptr;
    TRowPopupMenu* m_recordPopup = nullptr;
    TRowPopupMenu* m_drivePopup = nullptr;
};
