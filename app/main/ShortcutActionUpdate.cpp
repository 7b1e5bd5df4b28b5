#include "app/main/ShortcutActionUpdate.h"

#include <QCoreApplication>
#include <QEvent>

TShortcutActionUpdate::TShortcutActionUpdate(std::function<void()> update, std::function<bool()> blocked,
                                             QObject* parent)
    : QObject(parent), m_update(std::move(update)), m_blocked(std::move(blocked))
{
    QCoreApplication::instance()->installEventFilter(this);
}

TShortcutActionUpdate::~TShortcutActionUpdate()
{
    if (QCoreApplication* application = QCoreApplication::instance())
        application->removeEventFilter(this);
}

bool TShortcutActionUpdate::eventFilter(QObject* watched, QEvent* event)
{
    // The override comes before the key is matched against the shortcuts.
    if (event->type() == QEvent::ShortcutOverride && !m_updating && !(m_blocked && m_blocked())) {
        m_updating = true;
        m_update();
        m_updating = false;
    }
    return QObject::eventFilter(watched, event);
}
