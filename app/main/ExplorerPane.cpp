#include "app/main/ExplorerPane.h"

#include <QAction>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "app/lists/ListViewSetup.h"

namespace {

QAction* MakeToggle(QWidget& window, const char* name, const QString& caption, const QString& hint,
                    const QKeySequence& shortcut)
{
    auto* action = new QAction(caption, &window);
    action->setObjectName(QLatin1String(name));
    action->setToolTip(hint.isEmpty() ? caption : hint);
    action->setStatusTip(hint);
    action->setShortcut(shortcut);
    action->setCheckable(true);
    action->setChecked(true);
    window.addAction(action);
    return action;
}

}  // namespace

TExplorerPane::TExplorerPane(QWidget& window, QSplitter& host) : QObject(&window), m_host(host)
{
    m_actViewExp = MakeToggle(window, "actViewExp", QStringLiteral("Explorer Window"), {},
                              QKeySequence(Qt::CTRL | Qt::Key_E));
    m_actFolderTree = MakeToggle(window, "actFolderTree", QStringLiteral("Folders"),
                                 QStringLiteral("Show / Hide Folder Tree"), QKeySequence(Qt::CTRL | Qt::Key_T));

    m_panel = new QWidget(&host);
    m_panel->setObjectName(QStringLiteral("pnlExpWindow"));
    auto* layout = new QVBoxLayout(m_panel);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* caption = new QHBoxLayout;
    caption->addWidget(new QLabel(QStringLiteral("Explorer"), m_panel), 1);
    m_closeButton = new QToolButton(m_panel);
    m_closeButton->setObjectName(QStringLiteral("_spbtnExpClose"));
    m_closeButton->setText(QStringLiteral("x"));
    m_closeButton->setAutoRaise(true);
    connect(m_closeButton, &QToolButton::clicked, m_actViewExp, &QAction::trigger);
    caption->addWidget(m_closeButton);
    layout->addLayout(caption);
    m_splitter = new QSplitter(Qt::Horizontal, m_panel);
    m_splitter->setObjectName(QStringLiteral("Splitter2"));
    m_treeView = MakeReportView(m_splitter, "ShellTreeView1");
    m_listView = MakeReportView(m_splitter, "ShellListView1");
    layout->addWidget(m_splitter, 1);

    connect(m_actViewExp, &QAction::triggered, this, &TExplorerPane::ShowExecute);
    connect(m_actFolderTree, &QAction::triggered, this, &TExplorerPane::TreeExecute);
}

int TExplorerPane::ExplorerWidth() const
{
    return m_panel->isVisible() ? m_panel->width() : m_explorerWidth;
}

namespace {

// A bound below the minimum (a small window) gives way to the minimum.
int Usable(int width, int minimum, int room)
{
    return std::clamp(width, minimum, std::max(minimum, room));
}

}  // namespace

void TExplorerPane::SetExplorerWidth(int width)
{
    m_explorerWidth = Usable(width, kMinExplorerWidth, m_host.window()->width() - kMinContentWidth);
    m_foldersWidth = Usable(m_foldersWidth, kMinFoldersWidth, m_explorerWidth - kMinListWidth);
}

void TExplorerPane::SetFoldersWidth(int width)
{
    m_foldersWidth = Usable(width, kMinFoldersWidth, m_explorerWidth - kMinListWidth);
}

bool TExplorerPane::ExplorerShown() const
{
    return m_actViewExp->isChecked();
}

void TExplorerPane::SetExplorerShown(bool shown)
{
    m_actViewExp->setChecked(shown);
}

int TExplorerPane::FoldersWidth() const
{
    return m_treeView->isVisible() ? m_treeView->width() : m_foldersWidth;
}

bool TExplorerPane::FolderTreeShown() const
{
    return m_actFolderTree->isChecked();
}

void TExplorerPane::SetFolderTreeShown(bool shown)
{
    m_actFolderTree->setChecked(shown);
}

QString TExplorerPane::SelectedFilePath() const
{
    const QItemSelectionModel* selection = m_listView->selectionModel();
    if (!selection)
        return {};
    // A row counts once however many of its cells are selected.
    QModelIndex only;
    for (const QModelIndex& index : selection->selectedIndexes()) {
        const QModelIndex row = index.siblingAtColumn(0);
        if (only.isValid() && row != only)
            return {};
        only = row;
    }
    return only.isValid() ? only.data(QFileSystemModel::FilePathRole).toString() : QString();
}

void TExplorerPane::ApplyViewStyle(int style)
{
    m_viewStyle = style;
    m_listView->header()->setVisible(style == 3);
}

void TExplorerPane::ShowExecute()
{
    m_panel->setVisible(m_actViewExp->isChecked());
    if (m_actViewExp->isChecked())
        m_host.setSizes({std::max(kMinContentWidth, m_host.window()->width() - m_explorerWidth), m_explorerWidth});
}

void TExplorerPane::TreeExecute()
{
    m_treeView->setVisible(m_actFolderTree->isChecked());
    if (m_actFolderTree->isChecked())
        m_splitter->setSizes({m_foldersWidth, std::max(kMinListWidth, m_explorerWidth - m_foldersWidth)});
}

void TExplorerPane::RefreshPending()
{
    // Nothing is pending until the folder view has a file-system model.
}
