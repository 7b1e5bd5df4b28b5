#include "app/lists/ColumnFit.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QTreeView>
#include <algorithm>

TColumnFit::TColumnFit(QTreeView& view, QObject* parent) : QObject(parent), m_view(view)
{
    QAbstractItemModel* model = view.model();
    connect(model, &QAbstractItemModel::modelReset, this, &TColumnFit::FitLater);
    connect(model, &QAbstractItemModel::rowsInserted, this, &TColumnFit::FitLater);
    connect(model, &QAbstractItemModel::layoutChanged, this, &TColumnFit::FitLater);
    connect(model, &QAbstractItemModel::dataChanged, this, &TColumnFit::FitLater);
    connect(model, &QAbstractItemModel::headerDataChanged, this, &TColumnFit::FitLater);
    connect(view.header(), &QHeaderView::sectionResized, this,
            [this](int logical, int, int) { SectionResized(logical); });
    FitLater();
}

void TColumnFit::FitLater()
{
    if (!m_fitting || m_pending)
        return;
    m_pending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_pending = false;
            Fit();
        },
        Qt::QueuedConnection);
}

void TColumnFit::SectionResized(int logical)
{
    if (m_resizing)
        return;
    // The stretched last column follows the view's width, not a choice.
    const QHeaderView& header = *m_view.header();
    if (header.stretchLastSection() && header.visualIndex(logical) == header.count() - 1)
        return;
    m_fitting = false;
}

void TColumnFit::Fit()
{
    if (!m_fitting)
        return;
    QHeaderView& header = *m_view.header();
    QAbstractItemModel* model = m_view.model();
    const int rows = std::min(model->rowCount(), kSampleRows);
    m_resizing = true;
    for (int column = 0; column < header.count(); ++column) {
        if (header.isSectionHidden(column))
            continue;
        int width = header.sectionSizeHint(column);
        for (int row = 0; row < rows; ++row)
            width = std::max(width, m_view.sizeHintForIndex(model->index(row, column)).width());
        if (width > m_view.columnWidth(column))
            m_view.setColumnWidth(column, width);
    }
    m_resizing = false;
}
