// The download a user runs: the main window shown (offscreen) in demo mode
// over a generated image with recordings of 10 minutes, 1 hour and 10 hours
// of 8 kHz ADPCM; F6's action on one of them writes the marked wave file
// through the image link, the wave sink with its CRC and the mark; then the
// file is flushed to disk and its marks are checked. Every thread of this
// process starts with the upper halves of the vector registers dirty (one
// AVX instruction), as a job thread of the GUI program may.
//
// In the same run sox decodes the same audio, stored by the bench as an IMA
// ADPCM wave file, into a 16-bit wave file with the same flush. Counters:
// both times, their ratio and the peak resident size of both (ours beside
// what the process held before the download).
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QItemSelectionModel>
#include <QTreeView>
#include <array>
#include <cstdio>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

#include "app/actions/CopyToPcActions.h"
#include "app/connection/ConnectionController.h"
#include "app/lists/ContentListsController.h"
#include "app/main/AppForms.h"
#include "app/main/MainWindow.h"
#include "app/services/AppMessageBox.h"
#include "audio/MarkExports.h"
#include "audio/WaveAddInfo.h"
#include "audio/WaveFile.h"
#include "bench/BenchHome.h"
#include "bench/CountedBoxes.h"
#include "bench/MadeOnce.h"
#include "bench/ProcessMemory.h"
#include "core/recorder/RecorderCapacity.h"
#include "core/settings/ProgramOptions.h"
#include "tests/support/ContentBuilder.h"
#include "tests/support/ImageBuilder.h"

extern char** environ;

// Every new thread first leaves the upper halves of the vector registers
// dirty, then runs its own start routine.
namespace {

struct ThreadStart {
    void* (*routine)(void*);
    void* argument;
};

void* DirtyStart(void* raw)
{
    const ThreadStart start = *static_cast<ThreadStart*>(raw);
    delete static_cast<ThreadStart*>(raw);
    asm volatile("vpxor %%ymm0, %%ymm0, %%ymm0" ::: "xmm0");
    return start.routine(start.argument);
}

}  // namespace

extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attr, void* (*routine)(void*), void* argument)
{
    using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
    static const auto real = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "pthread_create"));
    auto* start = new ThreadStart{routine, argument};
    const int result = real(thread, attr, DirtyStart, start);
    if (result != 0)
        delete start;
    return result;
}

namespace {

constexpr std::uint16_t kPageSize = 2048;
constexpr std::uint8_t kSpare = 64;
constexpr std::uint16_t kPages = 64;
constexpr std::uint32_t kSeconds[] = {600, 3600, 36000};  // recordings 1, 2, 3

std::uint32_t BlocksFor(std::uint32_t seconds)
{
    return static_cast<std::uint32_t>(seconds / SecondsPerBlock(1, 2, 2, kPages, kPageSize + kSpare)) + 1;
}

// The image with the three recordings, written sparsely into path.
void WriteImage(const std::string& path)
{
    std::uint32_t blocks = 2;
    for (std::uint32_t seconds : kSeconds)
        blocks += BlocksFor(seconds);
    ImageBuilder image;
    image.Geometry(kPageSize, kSpare, kPages).Blocks(blocks).FirstDataBlock(1);
    ContentGeometry geometry;
    geometry.totalBlocks = blocks;
    geometry.pagesPerBlock = kPages;
    geometry.pageSize = kPageSize + kSpare;
    geometry.firstDataBlock = 1;
    ContentBuilder content(geometry);
    std::uint16_t number = 1;
    for (std::uint32_t seconds : kSeconds) {
        RecordingSpec spec;
        spec.number = number++;
        spec.start = 1700000000 + 100000 * spec.number;
        spec.compress = 2;
        spec.param = 2;
        spec.rateCode = 1;
        spec.blockCount = BlocksFor(seconds);
        content.AddRecording(spec);
    }
    content.WriteSparseImage(image, path);
}

void Flush(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0 || ::fsync(fd) != 0)
        throw std::runtime_error("cannot flush " + path.toStdString());
    ::close(fd);
}

// Runs a command to its end: false unless it exits with 0.
bool Run(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The same under GNU time, for the command's own peak resident size in KiB
// (a child spawned from this large process would count this one's pages)
// and its processor time in seconds.
bool RunMeasured(std::vector<std::string> arguments, const QString& measureFile, long& peakKib, double& cpuSeconds)
{
    arguments.insert(arguments.begin(), {"/usr/bin/time", "-f", "%M %U %S", "-o", measureFile.toStdString()});
    if (!Run(arguments))
        return false;
    double user = 0, system = 0;
    std::ifstream(measureFile.toStdString()) >> peakKib >> user >> system;
    cpuSeconds = user + system;
    return true;
}

// This process's processor time so far, every thread.
double CpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The marks of a downloaded wave file, read back from disk against the
// block in its private chunk: mrk_Check's result.
int CheckMarksOnDisk(const QString& path)
{
    static TWaveFile* reading = nullptr;
    TWaveFile wave(path);
    if (!wave.Open())
        return -100;
    const TWaveAddInfo info = ReadWaveAddInfo(wave.PrivateChunk(), wave.PrivateChunkLength());
    reading = &wave;
    return mrk_Check([](void* buffer, std::int32_t length) { return reading->Read(buffer, length); }, info.Mark.data(),
                     nullptr);
}

// The main window over a temporary home with the image as its demo image,
// connected, the record list shown.
class Session {
public:
    Session()
    {
        QDir(m_home.Path()).mkpath(QStringLiteral("Out"));
        WriteImage(m_home.FilePath(QStringLiteral("Documents/ZEL4_DEMO.QDM")).toStdString());
        m_forms = std::make_unique<TAppForms>();
        Window = m_forms->frmTrellavoxMain;
        TConnectionController& connection = Window->Connection();
        connection.SetBackOffMs(30);
        connection.SetStatusCloseDelayMs(0);
        Window->StartupWork();
        ProgramOptions.ConnectType = 3;
        Window->show();
        QApplication::processEvents();
        for (int pass = 0; pass < 2; ++pass) {
            bool done = true;
            connection.IdlePass(done);
        }
        if (!connection.FConnected)
            throw std::runtime_error("the demo connection did not come up");
        ProgramOptions.DefFolder = Out();
        ProgramOptions.FileNameMask = QStringLiteral("rec[RN].wav");
        ProgramOptions.Split = false;
        Window->actRecRefresh->trigger();
    }

    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    QString Out() const { return m_home.FilePath(QStringLiteral("Out")); }
    QString Path(const QString& name) const { return m_home.FilePath(name); }

    // Selects the recording's row alone; false when it is not listed.
    bool Select(int number)
    {
        QTreeView* view = Window->lvRecContent;
        for (int row = 0; row < view->model()->rowCount(); ++row) {
            const QModelIndex index = view->model()->index(row, 0);
            if (index.data().toString().trimmed() == QString::number(number)) {
                view->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
                view->setCurrentIndex(index);
                return true;
            }
        }
        return false;
    }

    TfrmTrellavoxMain* Window = nullptr;

private:
    BenchHome m_home;  // outlives the window
    std::unique_ptr<TAppForms> m_forms;
};

void BM_F6DownloadBesideSox(benchmark::State& state)
{
    const int number = static_cast<int>(state.range(0));
    Session& session = MadeOnce<Session>();
    const QString target = session.Out() + QStringLiteral("/rec%1.wav").arg(number);
    const QString ima = session.Path(QStringLiteral("ima%1.wav").arg(number));
    const QString decoded = session.Path(QStringLiteral("sox%1.wav").arg(number));
    double ours = 0, sox = 0, ourCpu = 0, soxCpu = 0;
    long ourPeak = 0, ourBefore = 0, soxPeak = 0;
    for (auto _ : state) {
        CountedBoxes boxes;
        QFile::remove(target);
        if (!session.Select(number)) {
            state.SkipWithError("the recording is not listed");
            break;
        }
        session.Window->Lists().UpdateActions();
        session.Window->CopyToPc().UpdateActions();
        if (!session.Window->actCopyToDefFolder->isEnabled()) {
            state.SkipWithError("F6 is disabled");
            break;
        }
        ResetPeakRss();
        ourBefore = RssKib();
        const double cpuBefore = CpuSeconds();
        QElapsedTimer clock;
        clock.start();
        session.Window->actCopyToDefFolder->trigger();
        if (!QFile::exists(target)) {
            state.SkipWithError(("no file: " + boxes.First).toStdString().c_str());
            break;
        }
        Flush(target);
        ours = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        ourCpu = CpuSeconds() - cpuBefore;
        ourPeak = PeakRssKib();
        if (const int check = CheckMarksOnDisk(target); check != 0 || !boxes.First.isEmpty()) {
            state.SkipWithError(
                ("the file's marks fail: " + std::to_string(check) + " " + boxes.First.toStdString()).c_str());
            break;
        }

        if (!QFile::exists(ima) && !Run({"sox", "-q", target.toStdString(), "-e", "ima-adpcm", ima.toStdString()})) {
            state.SkipWithError("sox could not write the IMA ADPCM file");
            break;
        }
        QFile::remove(decoded);
        clock.restart();
        if (!RunMeasured({"sox", "-q", ima.toStdString(), "-e", "signed", "-b", "16", decoded.toStdString()},
                         session.Path(QStringLiteral("measured")), soxPeak, soxCpu)) {
            state.SkipWithError("sox failed");
            break;
        }
        Flush(decoded);
        sox = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        state.SetIterationTime(ours);
    }
    state.counters["audio_s"] = kSeconds[number - 1];
    state.counters["ours_s"] = ours;
    state.counters["sox_s"] = sox;
    state.counters["ratio"] = sox > 0 ? ours / sox : 0;
    // Processor time, steadier on a busy machine.
    state.counters["ours_cpu_s"] = ourCpu;
    state.counters["sox_cpu_s"] = soxCpu;
    state.counters["cpu_ratio"] = soxCpu > 0 ? ourCpu / soxCpu : 0;
    // The process's peak during the download and what it held before.
    state.counters["ours_peak_mib"] = static_cast<double>(ourPeak) / 1024;
    state.counters["ours_before_mib"] = static_cast<double>(ourBefore) / 1024;
    state.counters["sox_peak_mib"] = static_cast<double>(soxPeak) / 1024;
}

double Min(const std::vector<double>& v)
{
    return *std::min_element(v.begin(), v.end());
}

double Max(const std::vector<double>& v)
{
    return *std::max_element(v.begin(), v.end());
}

// One download a repetition; the aggregates give min, median and max.
BENCHMARK(BM_F6DownloadBesideSox)
    ->DenseRange(1, 3)
    ->Iterations(1)
    ->Repetitions(5)
    ->ComputeStatistics("min", Min)
    ->ComputeStatistics("max", Max)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
