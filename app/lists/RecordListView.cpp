#include "app/lists/RecordListView.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTreeView>
#include <algorithm>

#include "app/lists/ListSortRule.h"
#include "app/lists/ListViewSetup.h"
#include "app/lists/RecordList.h"
#include "app/lists/RecordListModel.h"
#include "app/lists/ViewSelection.h"

TRecordListView::TRecordListView(QTreeView& view, TRecordList& list, QObject* parent)
    : QObject(parent), m_view(view), m_list(list), m_model(new TRecordListModel(list, this))
{
    SetUpOwnerDataView(m_view, *m_model);
    connect(m_view.header(), &QHeaderView::sectionClicked, this, &TRecordListView::ColumnClick);
}

void TRecordListView::Fill(const TSoundFileList* recordings, bool showVoiceParts)
{
    if (m_model->rowCount() > 0)
        m_kept = KeepSelection();
    m_view.clearSelection();
    FillRecordList(m_list, recordings, showVoiceParts);
    SetRowCount(m_list.Count());
    const std::vector<int> current = RowsOf(m_kept.Current);
    SelectOnlyRows(m_view, RowsOf(m_kept.Selected), current.empty() ? -1 : current.front());
    m_kept = {};
}

void TRecordListView::Clear()
{
    // An empty view keeps nothing: a new connection starts unselected.
    m_kept = KeepSelection();
    SetRowCount(0);
    m_list.Clear();
}

TRecordListView::TRowKey TRecordListView::KeyOf(const TRecords::TRecordItem& item)
{
    return {item.RecordNumber, item.IsVoicePart() ? int{item.Number} : -1};
}

TRecordListView::TKeptSelection TRecordListView::KeepSelection() const
{
    TKeptSelection kept;
    const int count = std::min(m_model->rowCount(), m_list.Count());
    for (int row : SelectedRows(m_view))
        if (row < count)
            kept.Selected.push_back(KeyOf(*m_list.Item(row)));
    const QModelIndex current = m_view.selectionModel() ? m_view.selectionModel()->currentIndex() : QModelIndex();
    if (current.isValid() && current.row() < count)
        kept.Current.push_back(KeyOf(*m_list.Item(current.row())));
    return kept;
}

std::vector<int> TRecordListView::RowsOf(std::vector<TRowKey> keys) const
{
    std::vector<int> rows;
    if (keys.empty())
        return rows;
    std::sort(keys.begin(), keys.end());
    for (int row = 0; row < m_list.Count(); ++row)
        if (std::binary_search(keys.begin(), keys.end(), KeyOf(*m_list.Item(row))))
            rows.push_back(row);
    return rows;
}

void TRecordListView::SelectItems(const std::vector<const TRecords::TRecordItem*>& items)
{
    std::vector<TRowKey> keys;
    for (const TRecords::TRecordItem* item : items)
        keys.push_back(KeyOf(*item));
    SelectOnlyRows(m_view, RowsOf(keys));
}

void TRecordListView::SetRowCount(int count)
{
    m_model->SetRowCount(count);
}

void TRecordListView::ColumnClick(int column)
{
    const TSortOrder order =
        SortOrderAfterClick({m_list.SortKey(), m_list.Ascending()}, TRecordListModel::SortKeyOfColumn(column));
    m_list.SetSortOrder(order.Key, order.Ascending);
    ShowSortArrow(*m_view.header(), column, order.Ascending);
    SortAndRepaint();
}

void TRecordListView::SortByDefault()
{
    m_list.SetSortOrder(TRecordList::SortNumber, true);
    ShowSortArrow(*m_view.header(), -1, true);
    SortAndRepaint();
}

void TRecordListView::SortAndRepaint()
{
    // The selection stays on its recordings, not on its row numbers: an erase
    // after a sort must reach the rows the user chose.
    const TKeptSelection kept = KeepSelection();
    m_list.Sort();
    m_model->Repaint();
    if (kept.Selected.empty() && kept.Current.empty())
        return;
    const std::vector<int> current = RowsOf(kept.Current);
    SelectOnlyRows(m_view, RowsOf(kept.Selected), current.empty() ? -1 : current.front());
}

void TRecordListView::CollectSelectedRecords(TRecordList& selection) const
{
    selection.Clear();
    for (int row : SelectedRows(m_view))
        if (row < m_list.Count())
            selection.Add(m_list.Item(row));
}
