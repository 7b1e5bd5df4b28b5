#include "app/main/FormatAction.h"

#include <QLabel>
#include <QThread>

#include "app/dialogs/StatusWindow.h"
#include "app/main/ApplicationTitle.h"
#include "app/main/LongOperation.h"
#include "app/main/MainUiLock.h"
#include "app/services/AppMessageBox.h"
#include "core/recorder/Recorder.h"
#include "localizer/LangConst.h"
#include "widgets/MyGauge.h"

namespace {

// How the format job ended, as far as the recorder object tells.
TJobOutcome FinishedOutcome(TCustomRecorder& recorder, bool cancelRequested)
{
    if (auto* known = dynamic_cast<TRecorder*>(&recorder))
        return known->LastJobOutcome();
    return cancelRequested ? TJobOutcome::Aborted : TJobOutcome::Completed;
}

}  // namespace

TJobOutcome FormatRecorderMemory(TCustomRecorder& recorder, TLongOperation& operation, bool askFirst)
{
    if (askFirst && AppMessageBox(LangConst(QStringLiteral("RecFormatStr")), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2,
                                  ApplicationTitle()) != IDYES)
        return TJobOutcome::None;

    TMainUiLockScope lock(operation.UiLock());
    operation.FCancelRequested = false;
    try {
        if (TfrmStatus* status = operation.StatusWindow()) {
            status->cg1->SetProgress(0);
            status->lbStatus->setText(LangConst(QStringLiteral("StatusFormatingStr")));
            status->cg1->setVisible(true);
        }
        operation.ShowProgressWindow(true);
        recorder.StartFormat();
        QThread::msleep(1);
        operation.WaitForJob(recorder, true);
        return FinishedOutcome(recorder, operation.FCancelRequested);
    } catch (const std::exception& error) {
        ShowException(error);
        return TJobOutcome::Failed;
    }
}
