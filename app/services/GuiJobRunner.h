#pragma once

#include <QString>
#include <functional>

#include "core/recorder/JobOutcome.h"

class TCustomRecorder;
class TLongOperation;

struct TRecorderJobResult {
    TJobOutcome Outcome = TJobOutcome::None;
    TJobError Error;
};

// The one way the GUI runs a recorder job. Locks the interface, resets
// Cancel, shows the status window with caption and progress, calls start
// (which starts the job on recorder) and waits for the job's end with the
// GUI served: queued calls from the job (its questions) are answered while
// it runs. With cancellable, Cancel aborts the job.
//
// A job's failure, or a failure to start it, is shown once after the wait
// and returned; a logic error from start is the program's fault and goes on
// to the caller's edge.
TRecorderJobResult RunRecorderJob(TLongOperation& operation, TCustomRecorder& recorder, const QString& caption,
                                  bool cancellable, const std::function<void()>& start);
