#pragma once

#include <QStringList>

#include "audio/TransferUi.h"
#include "core/recorder/CustomRecorder.h"
#include "tests/support/WaitUntil.h"

// Runs a transfer's job the way the GUI does, without one: starts it,
// waits for the recorder to be idle again and answers the outcome. With
// CancelDuringJob the user "presses Cancel" as soon as the job runs.
class FakeTransferUi : public TTransferUi {
public:
    void SetStatusText(const QString& text) override { StatusTexts.append(text); }

    TJobOutcome RunJob(TCustomRecorder& recorder, const QString& caption, bool cancellable,
                       const std::function<void()>& start) override
    {
        Captions.append(caption);
        Cancellable = cancellable;
        start();
        if (CancelDuringJob) {
            Cancel = true;
            recorder.Abort();
        }
        if (!WaitUntil([&] { return recorder.GetState() == 1; }, std::chrono::seconds(60)))
            return TJobOutcome::None;
        return recorder.LastJobOutcome();
    }

    bool CancelRequested() const override { return Cancel; }

    QStringList StatusTexts;
    QStringList Captions;
    bool Cancellable = false;
    bool Cancel = false;
    bool CancelDuringJob = false;
};
