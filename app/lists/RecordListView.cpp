#include "app/lists/RecordListView.h"

#include <QHeaderView>
#include <QTreeView>

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
    m_view.clearSelection();
    FillRecordList(m_list, recordings, showVoiceParts);
    SetRowCount(m_list.Count());
}

void TRecordListView::Clear()
{
    SetRowCount(0);
    m_list.Clear();
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
    m_list.Sort();
    m_model->Repaint();
}

void TRecordListView::CollectSelectedRecords(TRecordList& selection) const
{
    selection.Clear();
    for (int row : SelectedRows(m_view))
        if (row < m_list.Count())
            selection.Add(m_list.Item(row));
}
