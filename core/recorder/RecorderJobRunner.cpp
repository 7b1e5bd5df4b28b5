#include "core/recorder/RecorderJobRunner.h"

#include <stdexcept>

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
            // The work catches its own failures; this guard only keeps a
            // stray exception from ending the program.
            try {
                work();
            } catch (...) {
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
