// Copy to recorder of 50 small PC files into the flash drive of the demo
// image, through the main window's action: the time of the one run, the
// content refreshes it made and their share of that time.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <string>

#include "app/actions/CopyToRecorderActions.h"
#include "app/connection/ConnectionController.h"
#include "app/dialogs/ModalResult.h"
#include "app/lists/ContentListsController.h"
#include "app/lists/FileList.h"
#include "app/main/AppForms.h"
#include "app/main/MainWindow.h"
#include "app/services/AppMessageBox.h"
#include "core/flash/DriveFileList.h"
#include "core/links/Link.h"
#include "core/recorder/CustomRecorder.h"
#include "core/settings/DocumentsFolder.h"
#include "core/settings/ProgramFolder.h"
#include "core/settings/ProgramOptions.h"
#include "localizer/LanguageManager.h"

namespace {

constexpr int kFiles = 50;
constexpr int kFileBytes = 1000;

// Any message box means the run went wrong: it is counted and answered
// with the default (OK, or No for a question).
class CountedBoxes : public TMessageBoxAnswerer {
public:
    CountedBoxes() { SetMessageBoxAnswerer(this); }
    ~CountedBoxes() override { SetMessageBoxAnswerer(nullptr); }
    CountedBoxes(const CountedBoxes&) = delete;
    CountedBoxes& operator=(const CountedBoxes&) = delete;

    int Answer(const QString& text, std::uint32_t flags, const QString&) override
    {
        if (First.isEmpty())
            First = text;
        ++Count;
        return (flags & 0xF) == MB_YESNO ? IDNO : IDOK;
    }

    int Count = 0;
    QString First;
};

// The main window over a temporary home (documents and program folders),
// connected in demo mode to the demo image it makes there, with the flash
// drive's root in view.
class DemoSession {
public:
    DemoSession()
    {
        ResetProgramOptions();
        ResetLangManager();
        QDir(m_home.path()).mkpath(QStringLiteral("Documents"));
        QDir(m_home.path()).mkpath(QStringLiteral("Program"));
        QDir(m_home.path()).mkpath(QStringLiteral("Pc"));
        SetDocumentsFolderOverride(m_home.filePath(QStringLiteral("Documents")));
        SetProgramFolderOverride(m_home.filePath(QStringLiteral("Program")));
        m_forms = std::make_unique<TAppForms>();
        Window = m_forms->frmTrellavoxMain;
        Connection = &Window->Connection();
        Connection->SetBackOffMs(30);
        Connection->SetStatusCloseDelayMs(0);
        Window->StartupWork();
        ProgramOptions.ConnectType = 3;
        Window->show();
        QApplication::processEvents();
        for (int pass = 0; pass < 2; ++pass) {
            bool done = true;
            Connection->IdlePass(done);
        }
        if (!Connection->FConnected)
            return;
        Window->actRecRefresh->trigger();
        Window->actShowDrv->trigger();
        Window->Lists().DriveFolderView().SetFolder(QStringLiteral("\\"));
    }

    ~DemoSession()
    {
        m_forms.reset();
        ResetLink();
        ResetProgramOptions();
        SetProgramFolderOverride(QString());
        ResetLangManager();
    }

    DemoSession(const DemoSession&) = delete;
    DemoSession& operator=(const DemoSession&) = delete;

    QStringList WriteSmallFiles(int count, int bytes) const
    {
        QStringList paths;
        for (int n = 0; n < count; ++n) {
            const QString path = m_home.filePath(QStringLiteral("Pc/file%1.txt").arg(n, 2, 10, QLatin1Char('0')));
            QFile file(path);
            if (file.open(QIODevice::WriteOnly))
                file.write(QByteArray(bytes, 'x'));
            paths << path;
        }
        return paths;
    }

    // The files on the flash drive, read by a refresh of their own.
    int DriveFileCount() const
    {
        if (Connection->Recorder()->IsContentChanged())
            Connection->RefreshRecorderContent();
        const TDriveFileList* files = Connection->Recorder()->GetDriveFiles();
        return files ? files->Count() : 0;
    }

    TfrmTrellavoxMain* Window = nullptr;
    TConnectionController* Connection = nullptr;

private:
    QTemporaryDir m_home;
    std::unique_ptr<TAppForms> m_forms;
};

void BM_CopySmallFilesToDrive(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    double totalMs = 0;
    double refreshes = 0;
    double refreshMs = 0;
    for (auto _ : state) {
        CountedBoxes boxes;
        DemoSession session;
        if (!session.Connection->FConnected) {
            state.SkipWithError("the demo connection did not come up");
            break;
        }
        TCopyToRecorderActions& actions = session.Window->CopyToRecorder();
        const QStringList paths = session.WriteSmallFiles(count, kFileBytes);
        actions.SelectedPaths = [paths] { return paths; };
        int asked = 0;
        actions.AskOverwrite = [&asked](QString&, bool) {
            ++asked;
            return static_cast<int>(mrNo);
        };
        actions.actCopyToRecUpdate();
        if (!session.Window->actCopyToRec->isEnabled()) {
            state.SkipWithError("copy to recorder is disabled");
            break;
        }
        const TConnectionController::TRefreshStats before = session.Connection->RefreshStats();

        QElapsedTimer clock;
        clock.start();
        session.Window->actCopyToRec->trigger();
        const qint64 elapsed = clock.nsecsElapsed();

        const TConnectionController::TRefreshStats after = session.Connection->RefreshStats();
        state.SetIterationTime(static_cast<double>(elapsed) / 1e9);
        totalMs += static_cast<double>(elapsed) / 1e6;
        refreshes += after.Count - before.Count;
        refreshMs += static_cast<double>(after.Nanoseconds - before.Nanoseconds) / 1e6;
        const int onDrive = session.DriveFileCount();
        if (boxes.Count > 0 || asked > 0 || onDrive != count) {
            const std::string why = ("the copy did not go through: " + boxes.First).toStdString();
            state.SkipWithError(why.c_str());
            break;
        }
    }
    const auto perRun = benchmark::Counter::kAvgIterations;
    state.counters["files"] = count;
    state.counters["total_ms"] = benchmark::Counter(totalMs, perRun);
    state.counters["refreshes"] = benchmark::Counter(refreshes, perRun);
    state.counters["refresh_ms"] = benchmark::Counter(refreshMs, perRun);
    state.counters["refresh_share_pct"] = totalMs > 0 ? 100.0 * refreshMs / totalMs : 0.0;
}
// A fresh demo image for every run; the run's own clock.
BENCHMARK(BM_CopySmallFilesToDrive)
    ->Arg(kFiles)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace
