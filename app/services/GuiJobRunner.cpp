#include "app/services/GuiJobRunner.h"

#include <QEventLoop>
#include <QTimer>
#include <stdexcept>

#include "app/services/AppMessageBox.h"
#include "app/services/LongOperation.h"
#include "app/services/MainUiLock.h"
#include "app/services/RecorderErrorText.h"
#include "core/protocol/DebugLog.h"
#include "core/recorder/CustomRecorder.h"
#include "core/recorder/RecorderJobs.h"

namespace {

// The gauge follows the job this often; the job's end wakes the wait at
// once through the host (a recorder that does not tell is seen here too).
constexpr int kProgressIntervalMs = 40;

void WaitForJobEnd(TLongOperation& operation, TCustomRecorder& recorder, bool cancellable)
{
    const auto follow = [&] {
        if (cancellable && operation.CancelRequested())
            recorder.Abort();
        operation.SetProgress(recorder.GetProgress());
    };
    QEventLoop loop;
    QTimer progress;
    progress.setInterval(kProgressIntervalMs);
    QObject::connect(&progress, &QTimer::timeout, &loop, follow);
    progress.start();
    while (recorder.GetState() != rsIdle) {
        loop.processEvents(QEventLoop::WaitForMoreEvents);
        follow();
    }
    operation.SetProgress(100);
}

}  // namespace

TRecorderJobResult RunRecorderJob(TLongOperation& operation, TCustomRecorder& recorder, const QString& caption,
                                  bool cancellable, const std::function<void()>& start)
{
    TMainUiLockScope lock(operation.UiLock());
    TLongOperation::TBusyScope busy(operation);
    operation.ResetCancel();
    operation.ShowProgressWindow(caption, cancellable);

    TRecorderJobResult result;
    try {
        start();
        WaitForJobEnd(operation, recorder, cancellable);
        result = {recorder.LastJobOutcome(), recorder.LastJobError()};
    } catch (const std::logic_error& error) {
        DebugLog(QStringLiteral("Recorder job not started: %1").arg(QString::fromUtf8(error.what())));
        throw;
    } catch (const std::exception& error) {
        DebugLog(QStringLiteral("Recorder job not started: %1").arg(QString::fromUtf8(error.what())));
        result = {TJobOutcome::Failed, JobErrorOf(error)};
    }
    if (result.Outcome == TJobOutcome::Failed) {
        operation.CloseProgressBeforeMessage();
        ShowErrorMessage(RecorderErrorText(result.Error));
    }
    return result;
}
