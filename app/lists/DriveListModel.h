#pragma once

#include "app/lists/OwnerDataModel.h"

class TFileList;

// The rows of lvDrvContent: the entries of the current flash-drive folder.
class TDriveListModel : public TOwnerDataModel {
    Q_OBJECT
public:
    enum Columns { colName, colSize, colDate };

    TDriveListModel(const TFileList& folderView, QObject* parent = nullptr);

    // The sort key of a column: "File Name" 1, "Size" 3, "Date" 4, else 0.
    static int SortKeyOfColumn(int column);

protected:
    int ListCount() const override;
    QStringList RowTexts(int row) const override;
    int RowImage(int row) const override;

private:
    const TFileList& m_folderView;
};
