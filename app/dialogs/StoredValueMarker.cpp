#include "app/dialogs/StoredValueMarker.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QWidget>

namespace {

// The layout that holds the control, found from the control's parent.
QLayout* LayoutHolding(QLayout* layout, const QWidget& control)
{
    if (!layout)
        return nullptr;
    if (layout->indexOf(&control) >= 0)
        return layout;
    for (int i = 0; i < layout->count(); ++i)
        if (QLayout* inner = layout->itemAt(i)->layout())
            if (QLayout* found = LayoutHolding(inner, control))
                return found;
    return nullptr;
}

// Beside the control: the next grid cell of its row, or the next place of
// its row layout; else a child of the parent, moved along.
void PlaceBeside(QWidget& control, QLabel& label)
{
    QWidget* parent = control.parentWidget();
    QLayout* layout = parent ? LayoutHolding(parent->layout(), control) : nullptr;
    if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        grid->getItemPosition(grid->indexOf(&control), &row, &column, &rowSpan, &columnSpan);
        grid->addWidget(&label, row, column + columnSpan);
        return;
    }
    if (auto* box = qobject_cast<QBoxLayout*>(layout)) {
        box->insertWidget(box->indexOf(&control) + 1, &label);
        return;
    }
    label.move(control.geometry().topRight() + QPoint(4, 0));
}

}  // namespace

TStoredValueMarker::TStoredValueMarker(QWidget& control) : QObject(&control), m_control(control)
{
    // No name: a run-time marker has no translatable text.
    m_label = new QLabel(control.parentWidget());
    QPalette palette = m_label->palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    m_label->setPalette(palette);
    m_label->hide();
    PlaceBeside(control, *m_label);
}

void TStoredValueMarker::Show(std::optional<std::int64_t> stored)
{
    if (!stored) {
        m_label->hide();
        return;
    }
    const QString value = QString::number(*stored);
    m_label->setText(QStringLiteral("(%1)").arg(value));
    m_label->show();
}
