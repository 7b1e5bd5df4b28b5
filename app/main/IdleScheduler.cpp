#include "app/main/IdleScheduler.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>

namespace {

const QEvent::Type kPassEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// The events that stand for the class library's messages: input, timers,
// sockets, queued calls, activation and closing. What widgets post to
// themselves (painting, layout, action updates) does not count: the pass
// itself causes those, and counting them would run passes back to back.
bool WakesIdle(QEvent::Type type)
{
    switch (type) {
    case QEvent::Timer:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchEnd:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
    case QEvent::ApplicationStateChange:
    case QEvent::Close:
    case QEvent::SockAct:
    case QEvent::SockClose:
    case QEvent::MetaCall:
        return true;
    default:
        return type >= QEvent::User && type != kPassEvent;
    }
}

}  // namespace

TIdleScheduler::TIdleScheduler(std::function<void(bool&)> pass, std::function<bool()> blocked, QObject* parent)
    : QObject(parent), m_pass(std::move(pass)), m_blocked(std::move(blocked))
{
    QCoreApplication::instance()->installEventFilter(this);
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TIdleScheduler::AboutToBlock);
}

TIdleScheduler::~TIdleScheduler()
{
    if (QCoreApplication* application = QCoreApplication::instance())
        application->removeEventFilter(this);
}

void TIdleScheduler::SchedulePass()
{
    m_due = true;
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        dispatcher->wakeUp();
}

bool TIdleScheduler::eventFilter(QObject* watched, QEvent* event)
{
    if (WakesIdle(event->type()))
        m_due = true;
    return QObject::eventFilter(watched, event);
}

void TIdleScheduler::AboutToBlock()
{
    if (!m_due || m_posted)
        return;
    m_posted = true;
    QCoreApplication::postEvent(this, new QEvent(kPassEvent));
}

void TIdleScheduler::customEvent(QEvent* event)
{
    if (event->type() != kPassEvent)
        return;
    m_posted = false;
    m_due = false;
    // A locked interface is unlocked by its long operation, which asks for
    // the next pass then.
    if (m_blocked && m_blocked())
        return;
    bool done = true;
    ++m_passesRun;
    m_pass(done);
    if (!done)
        m_due = true;
}
