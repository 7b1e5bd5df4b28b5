#include "app/explorer/ExplorerViews.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QStackedWidget>
#include <QTreeView>
#include <algorithm>

#include "app/explorer/FolderModel.h"
#include "app/lists/ListViewSetup.h"
#include "app/services/AppMessageBox.h"

TExplorerViews::TExplorerViews(TFolderModel& model, QWidget* parent) : QObject(parent), m_model(model)
{
    m_stack = new QStackedWidget(parent);
    m_reportView = MakeReportView(m_stack, "ShellListView1");
    m_reportView->setModel(&m_model);
    m_reportView->setUniformRowHeights(true);
    m_reportView->setItemsExpandable(false);
    m_reportView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_reportView->sortByColumn(0, Qt::AscendingOrder);
    m_reportView->header()->setResizeContentsPrecision(200);  // the fit reads the first rows only
    m_iconView = new QListView(m_stack);
    m_iconView->setObjectName(QStringLiteral("ShellIconView1"));
    m_iconView->setModel(&m_model);
    m_iconView->setSelectionModel(m_reportView->selectionModel());
    m_iconView->setUniformItemSizes(true);
    m_iconView->setLayoutMode(QListView::Batched);
    m_iconView->setResizeMode(QListView::Adjust);
    m_iconView->setMovement(QListView::Static);
    m_iconView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(m_reportView), static_cast<QAbstractItemView*>(m_iconView)}) {
        view->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
        // Drags start here; drops are the explorer's own (TExplorerDrops), never the model's.
        view->setDragEnabled(true);
        view->setDragDropMode(QAbstractItemView::DragOnly);
        connect(view, &QAbstractItemView::activated, this,
                [this](const QModelIndex& index) { RunGuarded([&] { emit Opened(index); }); });
        m_stack->addWidget(view);
    }
    m_stack->setCurrentWidget(m_reportView);
}

QAbstractItemView* TExplorerViews::ViewFor(int style) const
{
    return style == 3 ? static_cast<QAbstractItemView*>(m_reportView) : m_iconView;
}

void TExplorerViews::ApplyStyle(int style)
{
    m_reportView->header()->setVisible(style == 3);
    if (style < 3) {
        m_iconView->setViewMode(style == 0 ? QListView::IconMode : QListView::ListMode);
        m_iconView->setFlow(style == 2 ? QListView::TopToBottom : QListView::LeftToRight);
        m_iconView->setWrapping(true);
        m_iconView->setIconSize(style == 0 ? QSize(32, 32) : QSize(16, 16));
        m_iconView->setGridSize(style == 0 ? QSize(96, 64) : QSize());
        m_iconView->setWordWrap(style == 0);
    }
    const bool hadFocus = m_stack->currentWidget()->hasFocus();
    m_stack->setCurrentWidget(ViewFor(style));
    if (hadFocus)
        ViewFor(style)->setFocus();
    FitColumnsOnce();
}

void TExplorerViews::FitColumnsOnce()
{
    // The first rows the user sees in the report view.
    if (!m_fitColumns || !m_reportView->isVisible() || m_model.rowCount() == 0)
        return;
    m_fitColumns = false;
    for (int column = 0; column < m_model.columnCount(); ++column)
        m_reportView->resizeColumnToContents(column);
    if (m_reportView->columnWidth(kNameColumn) > kMaxFittedNameWidth)
        m_reportView->setColumnWidth(kNameColumn, kMaxFittedNameWidth);
}

QStringList TExplorerViews::SelectedPaths() const
{
    const QItemSelectionModel* selection = m_reportView->selectionModel();
    if (!selection || m_reportView->model() != &m_model)
        return {};
    // The model keeps the rows in the order both views show them.
    QList<int> rows;
    for (const QModelIndex& index : selection->selectedIndexes())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QStringList paths;
    for (int row : rows)
        paths << m_model.FilePath(m_model.index(row, 0));
    return paths;
}

QString TExplorerViews::SelectedFilePath() const
{
    const QItemSelectionModel* selection = m_reportView->selectionModel();
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
    return only.isValid() ? only.data(TFolderModel::FilePathRole).toString() : QString();
}

bool TExplorerViews::HasSelection() const
{
    const QItemSelectionModel* selection = m_reportView->selectionModel();
    return selection && selection->hasSelection();
}

void TExplorerViews::ClearSelection()
{
    m_reportView->selectionModel()->clear();
}

bool TExplorerViews::Editing() const
{
    // A label being edited is a line edit on the view's viewport; a closed
    // editor is hidden before it goes.
    for (const QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(m_reportView), static_cast<QAbstractItemView*>(m_iconView)})
        for (const QLineEdit* editor : view->viewport()->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly))
            if (!editor->isHidden())
                return true;
    return false;
}
