#pragma once

#include <QString>
#include <functional>

#include "core/recorder/JobOutcome.h"

class TCustomRecorder;

// What a transfer between the recorder and a PC file needs of the user
// interface: the status line, a recorder job run with its progress window
// and Cancel, and the user's cancel request. The GUI implements it over its
// one job runner; tests use a fake.
class TTransferUi {
public:
    virtual ~TTransferUi() = default;

    // The line above the gauge ("Downloading record 7", the speed, ...).
    virtual void SetStatusText(const QString& text) = 0;

    // Calls start (which starts one job on recorder), waits for the job's end
    // with the progress window and returns its outcome. A failed job has been
    // shown to the user once when this returns.
    virtual TJobOutcome RunJob(TCustomRecorder& recorder, const QString& caption, bool cancellable,
                               const std::function<void()>& start) = 0;

    // True once the user asked to stop the transfers in hand.
    virtual bool CancelRequested() const = 0;
};
