#include "app/actions/GuiTransferUi.h"

#include "app/services/GuiJobRunner.h"
#include "app/services/LongOperation.h"
#include "app/services/ProgressWindow.h"

void TGuiTransferUi::SetStatusText(const QString& text)
{
    if (TProgressWindow* status = m_operation.StatusWindow())
        status->SetStatusText(text);
}

TJobOutcome TGuiTransferUi::RunJob(TCustomRecorder& recorder, const QString& caption, bool cancellable,
                                   const std::function<void()>& start)
{
    return RunRecorderJob(m_operation, recorder, caption, cancellable, start).Outcome;
}

bool TGuiTransferUi::CancelRequested() const
{
    return m_operation.CancelRequested();
}
