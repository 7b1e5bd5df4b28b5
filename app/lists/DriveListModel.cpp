#include "app/lists/DriveListModel.h"

#include "app/lists/FileList.h"
#include "app/lists/ListRowText.h"

namespace {

constexpr int kFolderImage = 2;
constexpr int kFileImage = 8;

}  // namespace

TDriveListModel::TDriveListModel(const TFileList& folderView, QObject* parent)
    : TOwnerDataModel({QStringLiteral("File Name"), QStringLiteral("Size"), QStringLiteral("Date")}, {colSize}, parent),
      m_folderView(folderView)
{
}

int TDriveListModel::SortKeyOfColumn(int column)
{
    switch (column) {
    case colName:
        return 1;
    case colSize:
        return 3;
    case colDate:
        return 4;
    default:
        return 0;
    }
}

int TDriveListModel::ListCount() const
{
    return m_folderView.Count();
}

QStringList TDriveListModel::RowTexts(int row) const
{
    return DriveRowTexts(*m_folderView.Items(row));
}

int TDriveListModel::RowImage(int row) const
{
    return m_folderView.Items(row)->IsFolder ? kFolderImage : kFileImage;
}
