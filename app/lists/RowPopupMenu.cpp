#include "app/lists/RowPopupMenu.h"

#include <QAbstractItemView>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

namespace {

// The keys that ask for the pop-up menu where the platform does not turn
// them into a context-menu event itself.
bool IsMenuKey(const QKeyEvent& key)
{
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    return (key.key() == Qt::Key_Menu && modifiers == Qt::NoModifier) ||
           (key.key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier);
}

}  // namespace

TRowPopupMenu::TRowPopupMenu(QAbstractItemView& view, QMenu* menu, QObject* parent)
    : QObject(parent), m_view(view), m_viewport(view.viewport()), m_menu(menu)
{
    m_viewport->installEventFilter(this);
    m_view.installEventFilter(this);
}

std::optional<QPoint> TRowPopupMenu::KeyboardPoint() const
{
    const QModelIndex current = m_view.currentIndex();
    if (!current.isValid())
        return std::nullopt;
    const QModelIndex caption = current.siblingAtColumn(0);
    const QRect row = m_view.visualRect(caption);
    if (!row.isValid())
        return std::nullopt;
    const QPoint local(row.left() + std::min(row.width(), row.height()), row.bottom());
    return m_viewport->mapToGlobal(local);
}

void TRowPopupMenu::OpenAt(QPoint global)
{
    QMetaObject::invokeMethod(
        this,
        [this, global] {
            if (m_menu)
                m_menu->popup(global);
        },
        Qt::QueuedConnection);
}

bool TRowPopupMenu::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_menu)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonPress && watched == m_viewport) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint pos = mouse->position().toPoint();
        // The press selects the row first, as it would without the menu.
        if (mouse->button() == Qt::RightButton && m_view.indexAt(pos).isValid())
            OpenAt(m_viewport->mapToGlobal(pos));
    } else if (event->type() == QEvent::KeyPress && watched == &m_view &&
               IsMenuKey(*static_cast<QKeyEvent*>(event))) {
        // One path for every platform: the key becomes the keyboard's
        // context-menu event.
        QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, QPoint(), QPoint());
        QCoreApplication::sendEvent(&m_view, &menuEvent);
        return true;
    } else if (event->type() == QEvent::ContextMenu && (watched == &m_view || watched == m_viewport)) {
        // A mouse's context-menu event is the press above.
        if (static_cast<QContextMenuEvent*>(event)->reason() != QContextMenuEvent::Keyboard)
            return QObject::eventFilter(watched, event);
        m_view.scrollTo(m_view.currentIndex());
        if (const auto point = KeyboardPoint())
            OpenAt(*point);
        return true;
    }
    return QObject::eventFilter(watched, event);
}
