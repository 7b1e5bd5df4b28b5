#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <type_traits>

// Runs work on the GUI thread and returns its result: directly there, by a
// blocking queued call from any other thread (the GUI thread's wait loops
// keep pumping events, so the call is served while a job runs).
template <typename TWork> auto CallOnGuiThread(TWork work) -> decltype(work())
{
    QCoreApplication* application = QCoreApplication::instance();
    if (!application || QThread::currentThread() == application->thread())
        return work();
    if constexpr (std::is_void_v<decltype(work())>) {
        QMetaObject::invokeMethod(application, work, Qt::BlockingQueuedConnection);
    } else {
        decltype(work()) result{};
        QMetaObject::invokeMethod(application, work, Qt::BlockingQueuedConnection, &result);
        return result;
    }
}
