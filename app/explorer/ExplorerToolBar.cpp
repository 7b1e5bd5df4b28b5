#include "app/explorer/ExplorerToolBar.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace {

QAction* MakeAction(QWidget& window, const char* name, const QString& caption, const QString& hint,
                    const QKeySequence& shortcut = {})
{
    auto* action = new QAction(caption, &window);
    action->setObjectName(QLatin1String(name));
    action->setToolTip(hint.isEmpty() ? caption : hint);
    action->setStatusTip(hint);
    action->setShortcut(shortcut);
    window.addAction(action);
    return action;
}

QAction* MakeToggle(QWidget& window, const char* name, const QString& caption, const QString& hint,
                    const QKeySequence& shortcut)
{
    QAction* action = MakeAction(window, name, caption, hint, shortcut);
    action->setCheckable(true);
    action->setChecked(true);
    return action;
}

std::array<QAction*, 4> MakeStyleItems(QWidget& window, QObject& owner)
{
    auto* group = new QActionGroup(&owner);
    const char* names[] = {"mnLargeIcons", "mnSmallIcons", "mnList", "mnReport"};
    const QString captions[] = {QStringLiteral("Large icons"), QStringLiteral("Small icons"), QStringLiteral("List"),
                                QStringLiteral("Report")};
    std::array<QAction*, 4> items{};
    for (int style = 0; style < 4; ++style) {
        auto* item = new QAction(captions[style], &window);
        item->setObjectName(QLatin1String(names[style]));
        item->setCheckable(true);
        item->setData(style);  // the tag
        group->addAction(item);
        items[static_cast<std::size_t>(style)] = item;
    }
    return items;
}

// The image of the view-style button for each style, as the menu's tags.
QStyle::StandardPixmap ViewStyleImage(int style)
{
    switch (style) {
    case 0:
        return QStyle::SP_FileDialogContentsView;
    case 1:
    case 2:
        return QStyle::SP_FileDialogListView;
    default:
        return QStyle::SP_FileDialogDetailedView;
    }
}

}  // namespace

TExplorerToolBar::TExplorerToolBar(QWidget& window, QWidget* parent)
    : QObject(&window), ViewExp(MakeToggle(window, "actViewExp", QStringLiteral("Explorer Window"), {},
                                           QKeySequence(Qt::CTRL | Qt::Key_E))),
      FolderTree(MakeToggle(window, "actFolderTree", QStringLiteral("Folders"),
                            QStringLiteral("Show / Hide Folder Tree"), QKeySequence(Qt::CTRL | Qt::Key_T))),
      ExpDelete(MakeAction(window, "actExpDelete", QStringLiteral("Delete"), QStringLiteral("Delete selected items"))),
      GoToDefFolder(MakeAction(window, "actGoToDefFolder", QStringLiteral("Go to default folder"),
                               QStringLiteral("Go To Default Folder"), QKeySequence(Qt::CTRL | Qt::Key_G))),
      SetDefFolder(MakeAction(window, "actSetDefFolder", QStringLiteral("Set current folder as default"),
                              QStringLiteral("Set Current Folder As Default Folder"))),
      NewFolder(MakeAction(window, "actNewFolder", QStringLiteral("New folder"), QStringLiteral("Create New Folder"))),
      LevelUp(MakeAction(window, "actLevelUp", QStringLiteral("Level up"), QStringLiteral("Up One Level"))),
      ExpRefresh(MakeAction(window, "actExpRefresh", QStringLiteral("Refresh"), QStringLiteral("Refresh"),
                            QKeySequence(Qt::CTRL | Qt::Key_R))),
      ViewStyle(new QAction(QStringLiteral("View style"), &window)), StyleItems(MakeStyleItems(window, *this))
{
    ViewStyle->setObjectName(QStringLiteral("actViewStyle"));
    m_viewStyleMenu = new QMenu(parent);
    m_viewStyleMenu->setObjectName(QStringLiteral("pmViewStyle"));
    for (QAction* item : StyleItems)
        m_viewStyleMenu->addAction(item);
    ViewStyle->setMenu(m_viewStyleMenu);

    m_bar = new QToolBar(parent);
    m_bar->setObjectName(QStringLiteral("tlbExplorer"));
    m_bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    AddButton(GoToDefFolder, "tlbtnGoToDefFolder", QStyle::SP_DirHomeIcon);
    AddButton(NewFolder, "tlbtnNew", QStyle::SP_FileDialogNewFolder);
    AddButton(ExpDelete, "tlbtnDelete", QStyle::SP_TrashIcon);
    AddButton(FolderTree, "tlbtnFolders", QStyle::SP_DirOpenIcon);
    AddButton(LevelUp, "tlbtnUpOneLevel", QStyle::SP_FileDialogToParent);
    AddButton(ExpRefresh, "tlbtnExplorerRefresh", QStyle::SP_BrowserReload);
    AddButton(ViewStyle, "tlbtnViewStyle", ViewStyleImage(3));
    // The button opens the style menu at once, as the tool bar's menu does.
    ButtonFor(ViewStyle)->setPopupMode(QToolButton::InstantPopup);
}

void TExplorerToolBar::AddButton(QAction* action, const char* name, int image)
{
    action->setIcon(m_bar->style()->standardIcon(static_cast<QStyle::StandardPixmap>(image)));
    m_bar->addAction(action);
    ButtonFor(action)->setObjectName(QLatin1String(name));
}

QToolButton* TExplorerToolBar::ButtonFor(QAction* action) const
{
    return action ? qobject_cast<QToolButton*>(m_bar->widgetForAction(action)) : nullptr;
}

void TExplorerToolBar::PutFirst(QPointer<QAction>& slot, QAction* action, const char* name, int image, QAction* before)
{
    if (slot == action)
        return;
    if (slot)
        m_bar->removeAction(slot);
    slot = action;
    if (!action)
        return;
    // An image like the pane's own buttons, so that all nine fit a narrow
    // pane; the caption stays the tool tip and the overflow menu's text.
    if (action->icon().isNull())
        action->setIcon(m_bar->style()->standardIcon(static_cast<QStyle::StandardPixmap>(image)));
    m_bar->insertAction(before, action);
    ButtonFor(action)->setObjectName(QLatin1String(name));
}

void TExplorerToolBar::SetCopyToRecorderAction(QAction* action)
{
    PutFirst(m_copyToRec, action, "tlbtnCopyToRec", QStyle::SP_ArrowLeft, m_addInfo ? m_addInfo.data() : GoToDefFolder);
}

void TExplorerToolBar::SetAddInfoAction(QAction* action)
{
    PutFirst(m_addInfo, action, "tlbtnAddInfo", QStyle::SP_FileDialogInfoView, GoToDefFolder);
}

void TExplorerToolBar::ShowViewStyle(int style)
{
    ViewStyle->setIcon(m_bar->style()->standardIcon(ViewStyleImage(style)));
}
