#pragma once

#include "app/lists/OwnerDataModel.h"

class TRecordList;

// The rows of lvRecContent: recordings, and voice parts as indented rows
// in the active-caption colour.
class TRecordListModel : public TOwnerDataModel {
    Q_OBJECT
public:
    enum Columns { colNumber, colSize, colDate, colDuration, colMode, colStatus };

    TRecordListModel(const TRecordList& list, QObject* parent = nullptr);

    // The sort key of a column: "Record #" 1, "Size" 2, "Date" 3, "Duration" 4, else 0.
    static int SortKeyOfColumn(int column);

protected:
    int ListCount() const override;
    QStringList RowTexts(int row) const override;
    int RowImage(int row) const override;
    QVariant RowForeground(int row) const override;

private:
    const TRecordList& m_list;
};
