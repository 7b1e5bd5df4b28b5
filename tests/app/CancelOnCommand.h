#pragma once

#include <QMetaObject>
#include <atomic>
#include <cstdint>
#include <functional>

#include "app/services/LongOperation.h"
#include "tests/support/SimRecorder.h"
#include "tests/support/WaitUntil.h"

// Presses Cancel while a job runs: when the recorder first receives code, the
// click is posted to the GUI thread and the job thread waits until released()
// holds, so the job goes on only once the GUI has seen the click. clicked
// tells the test the click happened.
inline void CancelOnFirstCommand(SimRecorder& sim, std::uint8_t code, QObject& gui, TLongOperation& operation,
                                 std::atomic<bool>& clicked, std::function<bool()> released)
{
    auto posted = std::make_shared<std::atomic<bool>>(false);
    sim.SetCommandHook([code, &gui, &operation, &clicked, released, posted](std::uint8_t command) {
        if (command != code || posted->exchange(true))
            return;
        QMetaObject::invokeMethod(
            &gui, [&] {
                operation.RequestCancel();
                clicked = true;
            },
            Qt::QueuedConnection);
        WaitUntil(released ? released : [&clicked] { return clicked.load(); });
    });
}
