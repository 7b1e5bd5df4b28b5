#include "app/lists/ViewSelection.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <algorithm>

std::vector<int> SelectedRows(const QAbstractItemView& view)
{
    std::vector<int> rows;
    if (!view.selectionModel())
        return rows;
    for (const QItemSelectionRange& range : view.selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

int FirstSelectedRow(const QAbstractItemView& view)
{
    int first = -1;
    if (!view.selectionModel())
        return first;
    for (const QItemSelectionRange& range : view.selectionModel()->selection())
        if (first < 0 || range.top() < first)
            first = range.top();
    return first;
}

void SelectRows(QAbstractItemView& view, const std::vector<int>& rows)
{
    QAbstractItemModel* model = view.model();
    if (!model || !view.selectionModel() || rows.empty())
        return;
    const int lastColumn = std::max(model->columnCount() - 1, 0);
    QItemSelection selection;
    std::size_t i = 0;
    while (i < rows.size()) {
        std::size_t end = i;
        while (end + 1 < rows.size() && rows[end + 1] == rows[end] + 1)
            ++end;
        selection.select(model->index(rows[i], 0), model->index(rows[end], lastColumn));
        i = end + 1;
    }
    // The ranges span whole rows already: the Rows flag would merge them
    // pairwise again, quadratic in their number.
    view.selectionModel()->select(selection, QItemSelectionModel::Select);
}

void SelectOnlyRows(QAbstractItemView& view, const std::vector<int>& rows, int current)
{
    if (!view.selectionModel() || !view.model())
        return;
    view.selectionModel()->clearSelection();
    SelectRows(view, rows);
    if (current < 0 && !rows.empty())
        current = rows.front();
    if (current < 0 || current >= view.model()->rowCount())
        return;
    const QModelIndex index = view.model()->index(current, 0);
    view.selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    view.scrollTo(index);
}

void SelectAllRows(QAbstractItemView& view)
{
    QAbstractItemModel* model = view.model();
    if (!model || model->rowCount() == 0)
        return;
    const QItemSelection all(model->index(0, 0), model->index(model->rowCount() - 1, model->columnCount() - 1));
    view.selectionModel()->select(all, QItemSelectionModel::Select);
}

void FocusFirstRow(QAbstractItemView& view)
{
    if (!view.selectionModel())
        return;
    view.selectionModel()->clearSelection();
    if (view.model() && view.model()->rowCount() > 0)
        view.selectionModel()->setCurrentIndex(view.model()->index(0, 0), QItemSelectionModel::NoUpdate);
}

void ShowSortArrow(QHeaderView& header, int column, bool ascending)
{
    header.setSortIndicatorShown(column >= 0);
    header.setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}
