#include "app/services/GuiTransferUi.h"

#include <QLabel>

#include "app/dialogs/StatusWindow.h"
#include "app/main/GuiJobRunner.h"
#include "app/main/LongOperation.h"

void TGuiTransferUi::SetStatusText(const QString& text)
{
    if (TfrmStatus* status = m_operation.StatusWindow())
        status->lbStatus->setText(text);
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
