#pragma once

#include <QObject>
#include <QString>

class QAction;
class QSplitter;
class QToolButton;
class QTreeView;
class QWidget;

// The explorer pane of the main window: the folder tree and the folder
// view beside the recorder's lists, the show and tree actions, their
// widths and the view style. The file-system model comes with the
// explorer itself; until then the views stay empty.
class TExplorerPane : public QObject {
    Q_OBJECT
public:
    static constexpr int kMinExplorerWidth = 160;
    static constexpr int kMinFoldersWidth = 60;
    static constexpr int kMinContentWidth = 200;  // the recorder's lists beside the pane
    static constexpr int kMinListWidth = 100;     // the folder view beside the tree

    // Builds pnlExpWindow into host and the two actions, owned by window.
    TExplorerPane(QWidget& window, QSplitter& host);

    QWidget* Panel() const { return m_panel; }
    QTreeView* TreeView() const { return m_treeView; }
    QTreeView* ListView() const { return m_listView; }
    QAction* ShowAction() const { return m_actViewExp; }
    QAction* TreeAction() const { return m_actFolderTree; }

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

    // The path of the one item selected in the folder view; empty when
    // none or several are.
    QString SelectedFilePath() const;

    // The View menu's style items: the folder view takes the style.
    void ApplyViewStyle(int style);
    // actViewExpExecute and actFolderTreeExecute: the pane and the tree
    // shown as their actions say, at the kept widths.
    void ShowExecute();
    void TreeExecute();
    // Run by the idle pass: a refresh the folder view asked for.
    void RefreshPending();

private:
    QSplitter& m_host;
    QWidget* m_panel = nullptr;
    QToolButton* m_closeButton = nullptr;
    QSplitter* m_splitter = nullptr;
    QTreeView* m_treeView = nullptr;
    QTreeView* m_listView = nullptr;
    QAction* m_actViewExp = nullptr;
    QAction* m_actFolderTree = nullptr;
    int m_viewStyle = 3;
    int m_explorerWidth = 300;
    int m_foldersWidth = 150;
};
