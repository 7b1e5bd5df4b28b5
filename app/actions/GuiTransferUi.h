#pragma once

#include "audio/TransferUi.h"

class TLongOperation;

// The transfers' view of the main window: the status window's label, the
// one job runner and the main window's cancel request.
class TGuiTransferUi : public TTransferUi {
public:
    explicit TGuiTransferUi(TLongOperation& operation) : m_operation(operation) {}

    void SetStatusText(const QString& text) override;
    TJobOutcome RunJob(TCustomRecorder& recorder, const QString& caption, bool cancellable,
                       const std::function<void()>& start) override;
    bool CancelRequested() const override;

private:
    TLongOperation& m_operation;
};
