#include "core/recorder/RecorderJobRunner.h"

#include <QString>
#include <stdexcept>

#include "core/protocol/DebugLog.h"

TRecorderJobRunner::~TRecorderJobRunner()
{
    Join();
}

void TRecorderJobRunner::Start(std::function<void()> work)
{
    if (IsRunning())
        throw std::logic_error("A recorder job is still running.");
    Join();
    m_running.store(true, std::memory_order_release);
    try {
        m_thread = std::thread([this, work = std::move(work)] {
            m_jobThread.store(std::this_thread::get_id(), std::memory_order_release);
            // The work catches its own failures; this guard only keeps a
            // stray exception from ending the program, and says so.
            try {
                work();
            } catch (const std::exception& error) {
                DebugLog(QStringLiteral("Recorder job ended by an uncaught exception: %1")
                             .arg(QString::fromUtf8(error.what())));
            } catch (...) {
                DebugLog(QStringLiteral("Recorder job ended by an uncaught exception"));
            }
            m_running.store(false, std::memory_order_release);
        });
    } catch (...) {
        m_running.store(false, std::memory_order_release);
        throw;
    }
}

void TRecorderJobRunner::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}
