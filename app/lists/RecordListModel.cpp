#include "app/lists/RecordListModel.h"

#include <QBrush>
#include <QGuiApplication>
#include <QPalette>

#include "app/lists/ListRowText.h"
#include "app/lists/RecordList.h"

namespace {

constexpr int kRecordImage = 38;

}  // namespace

TRecordListModel::TRecordListModel(const TRecordList& list, QObject* parent)
    : TOwnerDataModel({QStringLiteral("Record #"), QStringLiteral("Size"), QStringLiteral("Date"),
                       QStringLiteral("Duration"), QStringLiteral("Mode"), QStringLiteral("Status")},
                      {colSize, colDate}, parent),
      m_list(list)
{
}

int TRecordListModel::SortKeyOfColumn(int column)
{
    switch (column) {
    case colNumber:
        return 1;
    case colSize:
        return 2;
    case colDate:
        return 3;
    case colDuration:
        return 4;
    default:
        return 0;
    }
}

int TRecordListModel::ListCount() const
{
    return m_list.Count();
}

QStringList TRecordListModel::RowTexts(int row) const
{
    return RecordRowTexts(*m_list.Items(row));
}

int TRecordListModel::RowImage(int) const
{
    return kRecordImage;
}

QVariant TRecordListModel::RowForeground(int row) const
{
    // The active-caption colour of the system stands in as the highlight.
    const QPalette palette = QGuiApplication::palette();
    const QPalette::ColorRole role = m_list.Items(row)->IsVoicePart() ? QPalette::Highlight : QPalette::WindowText;
    return QBrush(palette.color(QPalette::Active, role));
}
