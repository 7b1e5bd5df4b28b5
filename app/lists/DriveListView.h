#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

class QTreeView;
class TDriveFileList;
class TDriveListModel;
class TFileList;
class TFilteredFileList;
struct TFileListItem;

// lvDrvContent over the flash-drive folder view: the fill after a scan,
// the column-click sorting and the moves through the drive's folders.
class TDriveListView : public QObject {
    Q_OBJECT
public:
    // files: every flash-drive entry (FDrvFiles); folderView: those of the
    // current folder, filtered from files.
    TDriveListView(QTreeView& view, TFileList& files, TFilteredFileList& folderView, QObject* parent = nullptr);

    QTreeView& View() const { return m_view; }
    TFilteredFileList& FolderView() const { return m_folderView; }
    TDriveListModel& Model() const { return *m_model; }

    // FillDriveList: one entry per recorder file, named and foldered in the
    // canonical form; the rows of the current folder; the first row focused.
    void Fill(const TDriveFileList* driveFiles);
    // No rows and no entries.
    void Clear();

    // lvDrvContentColumnClick.
    void ColumnClick(int column);

    // Double click or Enter: into the selected row's folder. False when the
    // selected row is no folder.
    bool OpenSelectedFolder();
    // actDrvLevelUp: enabled below the root.
    bool CanLevelUp() const;
    void LevelUp();
    // The location combo's choice ("\A\B", "" for the root) or any other form.
    void SetFolder(const QString& folder);
    // Ctrl+A.
    void SelectAll();
    // Exactly the rows of the current folder that show one of these entries
    // (same folder and name) selected, the first current and in view.
    void SelectEntries(const std::vector<const TFileListItem*>& entries);

    // The folder changed: the location combo follows.
    std::function<void()> OnFolderChanged;

private:
    void ShowFolder();

    QTreeView& m_view;
    TFileList& m_files;
    TFilteredFileList& m_folderView;
    TDriveListModel* m_model = nullptr;
};
