#pragma once

#include <QString>
#include <cstdint>

#include "app/services/CancelRequestSink.h"

class TMainUiLock;
class TProgressWindow;

// What every long operation of the main window shares: the user-interface
// lock, the status window, the cancel request and the busy flag.
class TLongOperation : public TCancelRequestSink {
public:
    explicit TLongOperation(TMainUiLock& uiLock);

    void SetStatusWindow(TProgressWindow* statusWindow) { m_status = statusWindow; }
    TProgressWindow* StatusWindow() const { return m_status; }
    TMainUiLock& UiLock() const { return m_uiLock; }

    // The status window with the caption, its gauge at 0 and Cancel enabled
    // or not, shown (not modal) and painted.
    void ShowProgressWindow(const QString& caption, bool canCancel);
    void SetProgress(std::uint8_t percent);
    // The end of an idle pass: a shown status window is finished and hidden.
    void CloseProgressWindow(int settleMs);
    // Before a message box: a shown status window goes, and what it covered
    // paints, so the box never stands over a finished gauge.
    void CloseProgressBeforeMessage();

    void RequestCancel() override { m_cancelRequested = true; }
    bool CancelRequested() const { return m_cancelRequested; }
    void ResetCancel() { m_cancelRequested = false; }

    // True while a recorder job is being waited for: the window must not close.
    bool IsBusy() const { return m_busy > 0; }

    // Marks the operation busy for a scope.
    class TBusyScope {
    public:
        explicit TBusyScope(TLongOperation& operation) : m_operation(operation) { ++m_operation.m_busy; }
        ~TBusyScope() { --m_operation.m_busy; }
        TBusyScope(const TBusyScope&) = delete;
        TBusyScope& operator=(const TBusyScope&) = delete;

    private:
        TLongOperation& m_operation;
    };

private:
    TMainUiLock& m_uiLock;
    TProgressWindow* m_status = nullptr;
    bool m_cancelRequested = false;
    int m_busy = 0;
};
