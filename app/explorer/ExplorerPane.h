#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>

class QAbstractItemView;
class QAction;
class QComboBox;
class QFileSystemModel;
class QLabel;
class QListView;
class QMenu;
class QModelIndex;
class QSortFilterProxyModel;
class QSplitter;
class QStackedWidget;
class QToolBar;
class QToolButton;
class QTreeView;
class QWidget;
class TExplorerIconProvider;

// The explorer pane of the main window: a small file explorer of the PC
// beside the recorder's lists. One file-system model feeds the folder tree
// (folders only, through a proxy), the path combo box and the folder view;
// the folder view is a report view, or a list view beside it for the icon
// and list styles, both on the one model and the one selection.
class TExplorerPane : public QObject {
    Q_OBJECT
public:
    static constexpr int kMinExplorerWidth = 160;
    static constexpr int kMinFoldersWidth = 60;
    static constexpr int kMinContentWidth = 200;  // the recorder's lists beside the pane
    static constexpr int kMinListWidth = 100;     // the folder view beside the tree
    static constexpr int kTreeSplitterGap = 10;   // Splitter2 right of the tree

    // Builds pnlExpWindow into host and the pane's actions, owned by window.
    TExplorerPane(QWidget& window, QSplitter& host);
    ~TExplorerPane() override;

    QWidget* Panel() const { return m_panel; }
    QTreeView* TreeView() const { return m_treeView; }
    // The report view (style 3); its columns are the settings file's.
    QTreeView* ListView() const { return m_listView; }
    // The icon and list view (styles 0-2).
    QListView* IconView() const { return m_iconView; }
    // Whichever of the two the style shows.
    QAbstractItemView* ShownListView() const;
    QComboBox* PathComboBox() const { return m_comboBox; }
    QFileSystemModel* Model() const { return m_model; }
    QToolBar* ToolBar() const { return m_toolBar; }
    QToolButton* AddInfoButton() const { return m_addInfoButton; }
    QToolButton* CopyToRecorderButton() const { return m_copyToRecButton; }
    QWidget* Caption() const { return m_caption; }
    QLabel* CaptionLabel() const { return m_label; }
    QAction* ShowAction() const { return m_actViewExp; }
    QAction* TreeAction() const { return m_actFolderTree; }
    QAction* actExpDelete = nullptr;
    QAction* actGoToDefFolder = nullptr;
    QAction* actSetDefFolder = nullptr;
    QAction* actNewFolder = nullptr;
    QAction* actLevelUp = nullptr;
    QAction* actExpRefresh = nullptr;
    // The view-style items mnLargeIcons .. mnReport, tags 0-3.
    QAction* StyleItem(int style) const { return m_styleItems.at(static_cast<std::size_t>(style)); }

    // The recorder's side: it takes the focus when the pane is hidden.
    void SetRecorderPanel(QWidget* panel) { m_recorderPanel = panel; }
    // The actions of the tool buttons the pane shows but does not own; a
    // button without one stays hidden.
    void SetCopyToRecorderAction(QAction* action);
    void SetAddInfoAction(QAction* action);

    // The layout values as the settings file keeps them: the pane's width,
    // the tree's width, shown or not, the folder view's style (0 large
    // icons, 1 small icons, 2 list, 3 details).
    // A width from the settings file is kept within what stays usable: at
    // least the pane's (the tree's) minimum, and leaving the recorder's
    // lists (the folder view) their minimum in the window (the pane).
    int ExplorerWidth() const;
    void SetExplorerWidth(int width);
    bool ExplorerShown() const;
    void SetExplorerShown(bool shown);
    int FoldersWidth() const;
    void SetFoldersWidth(int width);
    bool FolderTreeShown() const;
    void SetFolderTreeShown(bool shown);
    int ViewStyle() const { return m_viewStyle; }
    void SetViewStyle(int style) { m_viewStyle = style; }

    // The tree's current folder: where copy to PC puts its files.
    QString CurrentFolder() const { return m_currentFolder; }
    // The tree, the combo box and the folder view go to a folder; false,
    // and nothing changes, when it is not an existing folder.
    bool SetCurrentFolder(const QString& path);
    // The folder the folder view shows ("/" is the desktop).
    QString ListRoot() const;
    // The selected items of the folder view in the order it shows them:
    // what copy to recorder sends.
    QStringList SelectedPaths() const;
    // The path of the one item selected in the folder view; empty when
    // none or several are.
    QString SelectedFilePath() const;

    // mnReportClick: the folder view takes the style of the item's tag.
    void ApplyViewStyle(int style);
    // actViewExpExecute and actFolderTreeExecute: the pane and the tree
    // shown as their actions say, at the kept widths.
    void ShowExecute();
    void TreeExecute();
    void actExpDeleteExecute();
    void actGoToDefFolderExecute();
    void actSetDefFolderExecute();
    void actNewFolderExecute();
    void actLevelUpExecute();
    void actExpRefreshExecute();
    // The pane's Update handlers, run by the idle pass.
    void UpdateActions();
    // Run by the idle pass: the model's own watcher keeps the folders
    // current, so nothing waits here.
    void RefreshPending();

private:
    void BuildActions(QWidget& window);
    void BuildCaption();
    void BuildToolBar();
    void BuildViews();
    void TreeCurrentChanged(const QModelIndex& current);
    void ComboActivated(int item);
    void OpenListItem(const QModelIndex& index);
    bool ListEditing() const;

    QWidget& m_window;
    QSplitter& m_host;
    QWidget* m_panel = nullptr;
    QWidget* m_caption = nullptr;
    QLabel* m_label = nullptr;
    QToolButton* m_closeButton = nullptr;
    QToolBar* m_toolBar = nullptr;
    QToolButton* m_copyToRecButton = nullptr;
    QToolButton* m_addInfoButton = nullptr;
    QToolButton* m_viewStyleButton = nullptr;
    QMenu* m_viewStyleMenu = nullptr;
    QComboBox* m_comboBox = nullptr;
    QSplitter* m_splitter = nullptr;
    QTreeView* m_treeView = nullptr;
    QStackedWidget* m_listStack = nullptr;
    QTreeView* m_listView = nullptr;
    QListView* m_iconView = nullptr;
    std::unique_ptr<TExplorerIconProvider> m_iconProvider;
    QFileSystemModel* m_model = nullptr;
    QSortFilterProxyModel* m_folders = nullptr;
    QAction* m_actViewExp = nullptr;
    QAction* m_actFolderTree = nullptr;
    std::array<QAction*, 4> m_styleItems{};
    QPointer<QWidget> m_recorderPanel;
    QString m_currentFolder;
    int m_viewStyle = 3;
    int m_explorerWidth = 300;
    int m_foldersWidth = 150;
};
