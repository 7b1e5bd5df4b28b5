#include "app/lists/LocationCombo.h"

#include <QComboBox>
#include <QPainter>
#include <QStyledItemDelegate>

#include "app/services/AppMessageBox.h"

namespace {

constexpr int kIndentPixels = 10;

// Draws an entry moved right by its indent.
class TIndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem indented(option);
        indented.rect.adjust(index.data(TLocationCombo::IndentRole).toInt() * kIndentPixels, 0, 0, 0);
        QStyledItemDelegate::paint(painter, indented, index);
    }
};

}  // namespace

TLocationCombo::TLocationCombo(QComboBox& combo, QObject* parent) : QObject(parent), m_combo(combo)
{
    m_combo.setItemDelegate(new TIndentDelegate(&m_combo));
    connect(&m_combo, &QComboBox::currentIndexChanged, this,
            [this](int index) { RunGuarded([&] { Changed(index); }); });
}

void TLocationCombo::Fill(bool driveView, const QString& folder)
{
    m_refilling = true;
    m_driveView = driveView;
    m_items = LocationItems(driveView, folder);
    m_combo.clear();
    for (const TLocationItem& item : m_items) {
        m_combo.addItem(item.Text);
        const int index = m_combo.count() - 1;
        m_combo.setItemData(index, item.Indent, IndentRole);
        m_combo.setItemData(index, item.Image, ImageIndexRole);
    }
    m_combo.setCurrentIndex(m_combo.count() - 1);
    m_refilling = false;
}

void TLocationCombo::Changed(int index)
{
    if (m_refilling || !m_driveView || index < 0 || !OnFolderChosen)
        return;
    OnFolderChosen(LocationFolder(m_items, index));
}
