#pragma once

#include <atomic>
#include <functional>
#include <thread>

// The one worker thread of a recorder object. A job runs to its end on it;
// the owner joins it before the next job and when it is destroyed. Never
// detached.
class TRecorderJobRunner {
public:
    TRecorderJobRunner() = default;
    TRecorderJobRunner(const TRecorderJobRunner&) = delete;
    TRecorderJobRunner& operator=(const TRecorderJobRunner&) = delete;
    ~TRecorderJobRunner();

    // Starts work on a new thread after joining the previous one. Refused
    // (std::logic_error) while a job still runs; a thread that cannot be
    // made raises std::system_error and nothing runs.
    void Start(std::function<void()> work);

    // True from Start until the work has returned.
    bool IsRunning() const { return m_running.load(std::memory_order_acquire); }

    // Waits for the current job, if any.
    void Join();

    // True on the thread of the current (or last) job.
    bool OnJobThread() const { return m_jobThread.load(std::memory_order_acquire) == std::this_thread::get_id(); }

private:
    std::thread m_thread;
    std::atomic<bool> m_running{false};
    std::atomic<std::thread::id> m_jobThread{};
};
