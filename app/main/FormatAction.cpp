#include "FormatAction.h"

#include <QLabel>
#include <QThread>

#include "AppMessageBox.h"
#include "ApplicationTitle.h"
#include "LangConst.h"
#include "LongOperation.h"
#include "MainUiLock.h"
#include "MyGauge.h"
#include "Recorder.h"
#include "StatusWindow.h"

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
