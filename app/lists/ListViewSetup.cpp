#include "app/lists/ListViewSetup.h"

#include <QHeaderView>
#include <QTreeView>

void SetUpOwnerDataView(QTreeView& view, QAbstractItemModel& model)
{
    view.setSortingEnabled(false);
    view.setModel(&model);
    view.setRootIsDecorated(false);
    view.setItemsExpandable(false);
    view.setUniformRowHeights(true);  // thousands of rows lay out at once
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setSelectionMode(QAbstractItemView::ExtendedSelection);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    view.setDragEnabled(true);
    view.setDragDropMode(QAbstractItemView::DragOnly);
    view.header()->setSectionsClickable(true);
    view.header()->setSortIndicatorShown(false);
}

QTreeView* MakeReportView(QWidget* parent, const char* name)
{
    auto* view = new QTreeView(parent);
    view->setObjectName(QLatin1String(name));
    view->setRootIsDecorated(false);
    view->setSortingEnabled(true);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    return view;
}
