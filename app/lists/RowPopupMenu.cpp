#include "app/lists/RowPopupMenu.h"

#include <QAbstractItemView>
#include <QMenu>
#include <QMouseEvent>

TRowPopupMenu::TRowPopupMenu(QAbstractItemView& view, QMenu* menu, QObject* parent)
    : QObject(parent), m_view(view), m_viewport(view.viewport()), m_menu(menu)
{
    m_viewport->installEventFilter(this);
}

bool TRowPopupMenu::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress && watched == m_viewport && m_menu) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint pos = mouse->position().toPoint();
        if (mouse->button() == Qt::RightButton && m_view.indexAt(pos).isValid()) {
            // The press selects the row first, as it would without the menu.
            QMetaObject::invokeMethod(
                this, [this, global = m_viewport->mapToGlobal(pos)] { m_menu->popup(global); }, Qt::QueuedConnection);
        }
    }
    return QObject::eventFilter(watched, event);
}
