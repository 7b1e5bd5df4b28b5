#pragma once

#include <QObject>
#include <QPointer>
#include <array>

class QAction;
class QMenu;
class QToolBar;
class QToolButton;
class QWidget;

// The explorer pane's actions and its tool bar. The actions belong to the
// main window (their shortcuts work wherever the focus is); the tool bar
// holds them as actions, so what does not fit goes to its overflow menu.
// The copy-to-recorder and wave-file info buttons are the main window's
// actions; every button shows its image, its caption as the tool tip.
class TExplorerToolBar : public QObject {
    Q_OBJECT
public:
    TExplorerToolBar(QWidget& window, QWidget* parent);

    QToolBar* Bar() const { return m_bar; }
    // The button the tool bar shows for an action it holds; null otherwise.
    QToolButton* ButtonFor(QAction* action) const;
    // The actions of others the pane shows at the start of its tool bar;
    // none: no button.
    void SetCopyToRecorderAction(QAction* action);
    void SetAddInfoAction(QAction* action);
    QAction* CopyToRecorderAction() const { return m_copyToRec; }
    QAction* AddInfoAction() const { return m_addInfo; }
    // The view-style button's image for a style (0-3).
    void ShowViewStyle(int style);

    QAction* const ViewExp;
    QAction* const FolderTree;
    QAction* const ExpDelete;
    QAction* const GoToDefFolder;
    QAction* const SetDefFolder;
    QAction* const NewFolder;
    QAction* const LevelUp;
    QAction* const ExpRefresh;
    // "View style": its menu holds the style items mnLargeIcons .. mnReport,
    // tags 0-3.
    QAction* const ViewStyle;
    const std::array<QAction*, 4> StyleItems;

private:
    void AddButton(QAction* action, const char* name, int image);
    void PutFirst(QPointer<QAction>& slot, QAction* action, const char* name, int image, QAction* before);

    QToolBar* m_bar = nullptr;
    QMenu* m_viewStyleMenu = nullptr;
    QPointer<QAction> m_copyToRec;
    QPointer<QAction> m_addInfo;
};
