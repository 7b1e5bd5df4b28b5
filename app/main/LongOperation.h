#pragma once

#include "app/services/CancelRequestSink.h"

class TCustomRecorder;
class TMainUiLock;
class TfrmStatus;

// What every long operation of the main window shares: the user-interface
// lock, the status window and the cancel request (FCancelRequested).
class TLongOperation : public TCancelRequestSink {
public:
    explicit TLongOperation(TMainUiLock& uiLock);

    void SetStatusWindow(TfrmStatus* statusWindow) { m_status = statusWindow; }
    TfrmStatus* StatusWindow() const { return m_status; }
    TMainUiLock& UiLock() const { return m_uiLock; }

    // The status window with its gauge at 0 and Cancel enabled or not,
    // shown (not modal) and painted; pending events are processed.
    void ShowProgressWindow(bool canCancel);
    // Copies the job's progress to the gauge and processes events until the
    // recorder's job is idle again; with abortOnCancel a cancel request
    // aborts the job (on every round until it ends). Gauge 100 at the end.
    void WaitForJob(TCustomRecorder& recorder, bool abortOnCancel);
    // The end of an idle pass: a shown status window is finished and hidden.
    void CloseProgressWindow(int settleMs);

    void RequestCancel() override { FCancelRequested = true; }

    bool FCancelRequested = false;

private:
    TMainUiLock& m_uiLock;
    TfrmStatus* m_status = nullptr;
};
