#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

class QAbstractFileIconProvider;
class QComboBox;
class QFileSystemModel;
class QFileSystemWatcher;
class QModelIndex;
class QTimer;
class QTreeView;
class QWidget;
class TExplorerViews;
class TFolderModel;

// Where the explorer is: the folder tree (folders only, on a file-system
// model without Qt's watcher; ours follows the folders the user expanded),
// the path combo box (the chain of parents, the desktop first) and the
// folder the folder model shows, kept on one folder. A folder that goes is
// left for the nearest one that exists, in the tree too.
class TExplorerNavigation : public QObject {
    Q_OBJECT
public:
    static constexpr int kTreeReadGapMs = 500;  // changes of the tree's folders gathered this long

    // The combo box and the tree go into their parents; owner owns this.
    TExplorerNavigation(TFolderModel& model, TExplorerViews& views, QAbstractFileIconProvider& icons,
                        QWidget* comboParent, QWidget* treeParent, QObject* owner);
    ~TExplorerNavigation() override;

    QTreeView* TreeView() const { return m_treeView; }
    QFileSystemModel* TreeModel() const { return m_treeModel; }
    QComboBox* ComboBox() const { return m_comboBox; }
    QStringList WatchedTreeFolders() const;

    QString CurrentFolder() const { return m_currentFolder; }
    // False, and nothing changes, when path is not an existing folder.
    bool SetCurrentFolder(const QString& path);
    // The folder the folder view shows ("/" is the desktop).
    QString ListRoot() const;
    bool AtDesktop() const;
    void LevelUp();
    void GoToDefaultFolder();
    void SetDefaultFolder();
    // The current folder, or the nearest that still exists, read again now
    // in the folder view and in the tree.
    void Refresh();
    // Off: neither the folder view nor the tree follows changes; on again:
    // both read what they show.
    void SetWatching(bool watching);
    // The folder model's news.
    void FolderRead();
    void FolderGone(const QString& folder);
    void Open(const QModelIndex& index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void TreeCurrentChanged(const QModelIndex& current);
    void TreeExpanded(const QModelIndex& index);
    void TreeCollapsed(const QModelIndex& index);
    void TreeFolderChanged(const QString& path);
    void ReadTreeFolders();
    void ReadTreeFolder(const QString& path);
    void FillComboBox(const QString& folder);
    // The tree lists folders on a thread of its own: its current folder's
    // row moves as the folders above it come in.
    void FollowTreeCurrent();
    void TreeFolderLoaded(const QString& path);
    void ShowTreeCurrent();

    TFolderModel& m_model;
    TExplorerViews& m_views;
    QComboBox* m_comboBox = nullptr;
    QTreeView* m_treeView = nullptr;
    QFileSystemModel* m_treeModel = nullptr;
    QFileSystemWatcher* m_treeWatcher = nullptr;
    QTimer* m_treeTimer = nullptr;
    QTimer* m_treeScrollTimer = nullptr;
    QSet<QString> m_expanded;   // the tree's expanded folders
    QSet<QString> m_treeDirty;  // changed, not read again yet
    QStringList m_listFolders;  // the folder view's folders at its last read
    QString m_currentFolder;
    bool m_watching = true;
    bool m_placingTree = false;  // the tree opens the current folder's parents
    bool m_treeFollows = false;  // the tree keeps its current folder in view, till the user scrolls it
};
