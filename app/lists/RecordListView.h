#pragma once

#include <QObject>
#include <cstdint>
#include <vector>

class QTreeView;
class TRecordList;
class TRecordListModel;
class TSoundFileList;
namespace TRecords {
class TRecordItem;
}

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
    // their parts), sorted, as the view's rows. The rows selected before
    // (or before the last Clear) that are still there stay selected, and
    // so does the current row: a rescan after a download or an erase keeps
    // the user's choice.
    void Fill(const TSoundFileList* recordings, bool showVoiceParts);
    // No rows, no selection, an empty list; the selection is kept for the
    // next Fill.
    void Clear();
    // The item count of the view.
    void SetRowCount(int count);

    // lvRecContentColumnClick.
    void ColumnClick(int column);
    // After a refresh: by record number, ascending, no arrow.
    void SortByDefault();

    // CollectSelectedRecords: the items of the selected rows, in row order.
    void CollectSelectedRecords(TRecordList& selection) const;
    // Exactly the rows of these items selected (found by record and part
    // number, so items from before a rescan find their rows), the first
    // current and in view.
    void SelectItems(const std::vector<const TRecords::TRecordItem*>& items);

private:
    // A row's identity across rescans: the recording's number, and the
    // part's number for a voice part (-1 for the recording itself).
    struct TRowKey {
        std::uint16_t Record = 0;
        int Part = -1;
        auto operator<=>(const TRowKey&) const = default;
    };
    struct TKeptSelection {
        std::vector<TRowKey> Selected;
        std::vector<TRowKey> Current;  // none or one
    };

    static TRowKey KeyOf(const TRecords::TRecordItem& item);
    TKeptSelection KeepSelection() const;
    std::vector<int> RowsOf(std::vector<TRowKey> keys) const;
    void SortAndRepaint();

    QTreeView& m_view;
    TRecordList& m_list;
    TRecordListModel* m_model = nullptr;
    TKeptSelection m_kept;
};
