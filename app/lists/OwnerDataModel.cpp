#include "app/lists/OwnerDataModel.h"

#include <QMimeData>

#include "app/lists/ListRowText.h"

TOwnerDataModel::TOwnerDataModel(QStringList captions, QList<int> rightAligned, QObject* parent)
    : QAbstractTableModel(parent), m_captions(std::move(captions)), m_rightAligned(std::move(rightAligned))
{
}

void TOwnerDataModel::SetRowCount(int count)
{
    beginResetModel();
    m_rowCount = std::max(count, 0);
    endResetModel();
}

void TOwnerDataModel::Repaint()
{
    if (m_rowCount > 0)
        emit dataChanged(index(0, 0), index(m_rowCount - 1, columnCount() - 1));
}

void TOwnerDataModel::SetCaptions(const QStringList& captions)
{
    m_captions = captions;
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

int TOwnerDataModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int TOwnerDataModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_captions.size());
}

QVariant TOwnerDataModel::data(const QModelIndex& index, int role) const
{
    const int row = index.row();
    if (!index.isValid() || row >= ListCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return RowTexts(row).value(index.column());
    case Qt::ToolTipRole:
        return ShownTip(RowInfoTip(m_captions, RowTexts(row)));
    case Qt::TextAlignmentRole:
        if (m_rightAligned.contains(index.column()))
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    case Qt::ForegroundRole:
        return RowForeground(row);
    case ImageIndexRole:
        return index.column() == 0 ? QVariant(RowImage(row)) : QVariant();
    default:
        return {};
    }
}

QVariant TOwnerDataModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole)
        return m_captions.value(section);
    if (role == Qt::TextAlignmentRole && m_rightAligned.contains(section))
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

bool TOwnerDataModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role)
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= m_captions.size())
        return false;
    m_captions[section] = value.toString();
    emit headerDataChanged(Qt::Horizontal, section, section);
    return true;
}

Qt::ItemFlags TOwnerDataModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
}

QStringList TOwnerDataModel::mimeTypes() const
{
    return {QLatin1String(RowsMimeType)};
}

QMimeData* TOwnerDataModel::mimeData(const QModelIndexList& indexes) const
{
    QStringList rows;
    for (const QModelIndex& index : indexes)
        if (index.column() == 0)
            rows << QString::number(index.row());
    auto* data = new QMimeData;
    data->setData(QLatin1String(RowsMimeType), rows.join(QLatin1Char(',')).toLatin1());
    return data;
}
