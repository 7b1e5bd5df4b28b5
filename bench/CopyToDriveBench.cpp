// Copy to recorder through the main window's action: 50 small PC files into
// the flash drive of the demo image, and 50 small wave files as recordings
// onto a demo image of 8192 blocks. The time of the one run, the content
// refreshes it made and their share of that time.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <functional>
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
#include "audio/WaveFile.h"
#include "bench/BenchHome.h"
#include "bench/CountedBoxes.h"
#include "core/flash/DriveFileList.h"
#include "core/flash/SoundFileList.h"
#include "core/recorder/CustomRecorder.h"
#include "core/settings/ProgramOptions.h"
#include "tests/app/ModalDialogRunner.h"
#include "tests/support/ContentBuilder.h"
#include "tests/support/ImageBuilder.h"

namespace {

constexpr int kFiles = 50;
constexpr int kFileBytes = 1000;

// The main window over a temporary home (documents and program folders),
// connected in demo mode to the demo image it makes there, with the flash
// drive's root in view.
class DemoSession {
public:
    // With a writer, the demo image is the one it writes (at the path given).
    explicit DemoSession(const std::function<void(const std::string&)>& writeImage = {})
    {
        QDir(m_home.Path()).mkpath(QStringLiteral("Pc"));
        if (writeImage)
            writeImage(m_home.FilePath(QStringLiteral("Documents/ZEL4_DEMO.QDM")).toStdString());
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
    }

    void ShowDriveRoot() const
    {
        Window->actShowDrv->trigger();
        Window->Lists().DriveFolderView().SetFolder(QStringLiteral("\\"));
    }

    DemoSession(const DemoSession&) = delete;
    DemoSession& operator=(const DemoSession&) = delete;

    QStringList WriteSmallFiles(int count, int bytes) const
    {
        QStringList paths;
        for (int n = 0; n < count; ++n) {
            const QString path = m_home.FilePath(QStringLiteral("Pc/file%1.txt").arg(n, 2, 10, QLatin1Char('0')));
            QFile file(path);
            if (file.open(QIODevice::WriteOnly))
                file.write(QByteArray(bytes, 'x'));
            paths << path;
        }
        return paths;
    }

    QStringList WriteSmallWaves(int count) const
    {
        QStringList paths;
        const std::vector<std::int16_t> samples(800, 100);
        for (int n = 0; n < count; ++n) {
            const QString path = m_home.FilePath(QStringLiteral("Pc/wave%1.wav").arg(n, 2, 10, QLatin1Char('0')));
            TWaveFile wave(path);
            TWaveFile::SetPcmFormat(&wave.FormatBlock(), 1, 8000, 16);
            if (wave.Create())
                wave.Write(samples.data(), static_cast<std::int32_t>(samples.size() * 2));
            wave.Close();
            paths << path;
        }
        return paths;
    }

    int RecordingCount() const
    {
        if (Connection->Recorder()->IsContentChanged())
            Connection->RefreshRecorderContent();
        const TSoundFileList* files = Connection->Recorder()->GetSoundFiles();
        return files ? files->Count() : 0;
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
    BenchHome m_home;  // outlives the window
    std::unique_ptr<TAppForms> m_forms;
};

// Copy to recorder triggered and timed, run after run, with the content
// refreshes each run made.
class TimedCopies {
public:
    void Run(DemoSession& session, benchmark::State& state)
    {
        const TConnectionController::TRefreshStats before = session.Connection->RefreshStats();
        QElapsedTimer clock;
        clock.start();
        session.Window->actCopyToRec->trigger();
        const qint64 elapsed = clock.nsecsElapsed();
        const TConnectionController::TRefreshStats after = session.Connection->RefreshStats();
        state.SetIterationTime(static_cast<double>(elapsed) / 1e9);
        m_totalMs += static_cast<double>(elapsed) / 1e6;
        m_refreshes += after.Count - before.Count;
        m_refreshMs += static_cast<double>(after.Nanoseconds - before.Nanoseconds) / 1e6;
    }

    void Report(benchmark::State& state) const
    {
        const auto perRun = benchmark::Counter::kAvgIterations;
        state.counters["total_ms"] = benchmark::Counter(m_totalMs, perRun);
        state.counters["refreshes"] = benchmark::Counter(m_refreshes, perRun);
        state.counters["refresh_ms"] = benchmark::Counter(m_refreshMs, perRun);
        state.counters["refresh_share_pct"] = m_totalMs > 0 ? 100.0 * m_refreshMs / m_totalMs : 0.0;
    }

private:
    double m_totalMs = 0;
    double m_refreshes = 0;
    double m_refreshMs = 0;
};

void BM_CopySmallFilesToDrive(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    TimedCopies copies;
    for (auto _ : state) {
        CountedBoxes boxes;
        DemoSession session;
        if (!session.Connection->FConnected) {
            state.SkipWithError("the demo connection did not come up");
            break;
        }
        session.ShowDriveRoot();
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
        copies.Run(session, state);
        const int onDrive = session.DriveFileCount();
        if (boxes.Count > 0 || asked > 0 || onDrive != count) {
            const std::string why = ("the copy did not go through: " + boxes.First).toStdString();
            state.SkipWithError(why.c_str());
            break;
        }
    }
    state.counters["files"] = count;
    copies.Report(state);
}
// A fresh demo image for every run; the run's own clock.
BENCHMARK(BM_CopySmallFilesToDrive)->Arg(kFiles)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// An empty demo image of 8192 blocks, written sparsely.
void WriteLargeImage(const std::string& path)
{
    constexpr std::uint32_t kBlocks = 8192;
    constexpr std::uint16_t kPages = 16;
    ImageBuilder image;
    image.Geometry(2048, 64, kPages).Blocks(kBlocks).FirstDataBlock(1);
    ContentGeometry geometry;
    geometry.totalBlocks = kBlocks;
    geometry.pagesPerBlock = kPages;
    geometry.pageSize = 2048 + 64;
    geometry.firstDataBlock = 1;
    ContentBuilder(geometry).WriteSparseImage(image, path);
}

void BM_UploadSmallWavesAsRecordings(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    TimedCopies copies;
    for (auto _ : state) {
        CountedBoxes boxes;
        DemoSession session(WriteLargeImage);
        if (!session.Connection->FConnected) {
            state.SkipWithError("the demo connection did not come up");
            break;
        }
        TCopyToRecorderActions& actions = session.Window->CopyToRecorder();
        const QStringList paths = session.WriteSmallWaves(count);
        actions.SelectedPaths = [paths] { return paths; };
        actions.actCopyToRecUpdate();
        if (!session.Window->actCopyToRec->isEnabled()) {
            state.SkipWithError("copy to recorder is disabled");
            break;
        }
        WhenModalShown(QStringLiteral("frmFmtChoose"),
                       [](QWidget* dialog) { dialog->findChild<QPushButton*>(QStringLiteral("OKBtn"))->click(); });
        copies.Run(session, state);
        const int recordings = session.RecordingCount();
        if (boxes.Count > 0 || recordings != count) {
            const std::string why =
                ("the upload did not go through: " + QString::number(recordings) + " " + boxes.First).toStdString();
            state.SkipWithError(why.c_str());
            break;
        }
    }
    state.counters["files"] = count;
    copies.Report(state);
}
BENCHMARK(BM_UploadSmallWavesAsRecordings)->Arg(kFiles)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
