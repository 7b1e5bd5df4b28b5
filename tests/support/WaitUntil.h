#pragma once

#include <chrono>
#include <thread>

// Polls pred until it holds or the time-out passes; true when it held. For
// waits on another thread where no event loop needs serving (GUI tests use
// QTest::qWaitFor). The deadline turns a fault into a failure, not a hang.
template <typename Pred> bool WaitUntil(Pred pred, std::chrono::milliseconds timeout = std::chrono::seconds(10))
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!pred()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return pred();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
