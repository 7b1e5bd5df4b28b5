#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>

#include "app/explorer/ExplorerNavigation.h"
#include "app/explorer/ExplorerViews.h"

class QAbstractItemView;
class QAction;
class QComboBox;
class QFileSystemModel;
class QLabel;
class QListView;
class QSplitter;
class QToolBar;
class QToolButton;
class QTreeView;
class QWidget;
class TExplorerIconProvider;
class TExplorerToolBar;
class TFolderModel;
class TTrash;

// The explorer pane of the main window: a small file explorer of the PC
// beside the recorder's lists. Its caption and its tool bar
// (TExplorerToolBar) above the path combo box, the folder tree beside the
// folder view (TExplorerNavigation keeps the three on one folder;
// TExplorerViews shows the folder model in the style chosen). The folder
// view follows its folder by the folder model's watcher; the tree watches
// the folders the user has expanded, and nothing watches while the pane is
// hidden.
class TExplorerPane : public QObject {
    Q_OBJECT
public:
    static constexpr int kMinExplorerWidth = 160;
    static constexpr int kMinFoldersWidth = 60;
    static constexpr int kMinContentWidth = 200;  // the recorder's lists beside the pane
    static constexpr int kMinListWidth = 100;     // the folder view beside the tree
    static constexpr int kTreeSplitterGap = 10;   // Splitter2 right of the tree
    static constexpr int kTreeReadGapMs = TExplorerNavigation::kTreeReadGapMs;
    static constexpr int kMaxFittedNameWidth = TExplorerViews::kMaxFittedNameWidth;

    // Builds pnlExpWindow into host and the pane's actions, owned by window.
    TExplorerPane(QWidget& window, QSplitter& host);
    ~TExplorerPane() override;

    QWidget* Panel() const { return m_panel; }
    QTreeView* TreeView() const { return m_navigation->TreeView(); }
    // The report view (style 3); its columns are the settings file's.
    QTreeView* ListView() const { return m_views->ReportView(); }
    // The icon and list view (styles 0-2).
    QListView* IconView() const { return m_views->IconView(); }
    // Whichever of the two the style shows.
    QAbstractItemView* ShownListView() const { return m_views->ViewFor(m_viewStyle); }
    QComboBox* PathComboBox() const { return m_navigation->ComboBox(); }
    TFolderModel* Model() const { return m_model; }
    QFileSystemModel* TreeModel() const { return m_navigation->TreeModel(); }
    // The folders the tree's watcher follows now: those the user expanded.
    QStringList WatchedTreeFolders() const { return m_navigation->WatchedTreeFolders(); }
    QToolBar* ToolBar() const;
    QToolButton* AddInfoButton() const;
    QToolButton* CopyToRecorderButton() const;
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
    // "View style": its menu holds the style items.
    QAction* ViewStyleAction() const;
    // The view-style items mnLargeIcons .. mnReport, tags 0-3.
    QAction* StyleItem(int style) const;

    // The recorder's side: it takes the focus when the pane is hidden.
    void SetRecorderPanel(QWidget* panel) { m_recorderPanel = panel; }
    // The actions of the tool buttons the pane shows but does not own; a
    // button without one is not there.
    void SetCopyToRecorderAction(QAction* action);
    void SetAddInfoAction(QAction* action);

    // The layout values as the settings file keeps them: the pane's width
    // (0, none saved: wide enough for its tool bar), the tree's width, shown
    // or not, the folder view's style (0 large icons, 1 small icons, 2 list,
    // 3 details).
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
    // Saved column widths: the report view's columns are not fitted to
    // the first folder's content.
    void KeepColumnWidths() { m_views->KeepColumnWidths(); }

    // The tree's current folder: where copy to PC puts its files.
    QString CurrentFolder() const { return m_navigation->CurrentFolder(); }
    // The tree, the combo box and the folder view go to a folder; false,
    // and nothing changes, when it is not an existing folder.
    bool SetCurrentFolder(const QString& path) { return m_navigation->SetCurrentFolder(path); }
    // The folder the folder view shows ("/" is the desktop).
    QString ListRoot() const { return m_navigation->ListRoot(); }
    // The selected items of the folder view in the order it shows them:
    // what copy to recorder sends.
    QStringList SelectedPaths() const { return m_views->SelectedPaths(); }
    // The path of the one item selected in the folder view; empty when
    // none or several are.
    QString SelectedFilePath() const { return m_views->SelectedFilePath(); }

    // mnReportClick: the folder view takes the style of the item's tag.
    void ApplyViewStyle(int style);
    // actViewExpExecute and actFolderTreeExecute: the pane and the tree
    // shown as their actions say, at the kept widths.
    void ShowExecute();
    void TreeExecute();
    // Asks, then moves the selected items to the user's trash; where no
    // trash can be made for one of them, says so and moves nothing.
    void actExpDeleteExecute();
    void actGoToDefFolderExecute() { m_navigation->GoToDefaultFolder(); }
    void actSetDefFolderExecute() { m_navigation->SetDefaultFolder(); }
    void actNewFolderExecute();
    void actLevelUpExecute() { m_navigation->LevelUp(); }
    void actExpRefreshExecute() { m_navigation->Refresh(); }
    // The pane's Update handlers, run by the idle pass.
    void UpdateActions();
    // Run by the idle pass: the watchers keep the folders current, so
    // nothing waits here.
    void RefreshPending() {}
    // Off: neither the folder view nor the tree follows changes (the pane
    // hidden); on again: both read what they show.
    void SetWatching(bool watching) { m_navigation->SetWatching(watching); }

protected:
    // The host's resizes until its first paint: see m_holdWidth.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ConnectActions();
    void PlacePane();
    void BuildCaption();
    int DefaultExplorerWidth() const;
    // A width not saved follows what the tool bar needs.
    void FollowToolBarWidth();

    QWidget& m_window;
    QSplitter& m_host;
    std::unique_ptr<TExplorerIconProvider> m_iconProvider;
    TExplorerToolBar* m_toolBar = nullptr;
    TFolderModel* m_model = nullptr;
    TExplorerViews* m_views = nullptr;
    TExplorerNavigation* m_navigation = nullptr;
    QWidget* m_panel = nullptr;
    QWidget* m_caption = nullptr;
    QLabel* m_label = nullptr;
    QSplitter* m_splitter = nullptr;
    QAction* m_actViewExp = nullptr;
    QAction* m_actFolderTree = nullptr;
    QPointer<QWidget> m_recorderPanel;
    int m_viewStyle = 3;
    int m_explorerWidth = 0;
    int m_foldersWidth = 150;
    bool m_defaultWidth = true;  // no width set but the tool bar's
    // The pane's width set before the window was first painted holds
    // through the resizes of its showing (a maximized start): the splitter
    // would give the pane its share of them, and the next start would save
    // a wider pane than the one the user left.
    bool m_holdWidth = false;
};
