#pragma once

#include <QObject>

class QTreeView;
class TRecordList;
class TRecordListModel;
class TSoundFileList;

// lvRecContent over the record list: the rows on demand, the fill after a
// scan, the column-click sorting and the selected records.
class TRecordListView : public QObject {
    Q_OBJECT
public:
    TRecordListView(QTreeView& view, TRecordList& list, QObject* parent = nullptr);

    QTreeView& View() const { return m_view; }
    TRecordList& List() const { return m_list; }
    TRecordListModel& Model() const { return *m_model; }

    // FillRecordList: the recorder's recordings (and with showVoiceParts
    // their parts), sorted, as the view's rows.
    void Fill(const TSoundFileList* recordings, bool showVoiceParts);
    // No rows, no selection, an empty list.
    void Clear();
    // The item count of the view.
    void SetRowCount(int count);

    // lvRecContentColumnClick.
    void ColumnClick(int column);
    // After a refresh: by record number, ascending, no arrow.
    void SortByDefault();

    // CollectSelectedRecords: the items of the selected rows, in row order.
    void CollectSelectedRecords(TRecordList& selection) const;

private:
    void SortAndRepaint();

    QTreeView& m_view;
    TRecordList& m_list;
    TRecordListModel* m_model = nullptr;
};
