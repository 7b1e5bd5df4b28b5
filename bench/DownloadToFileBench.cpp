// Downloads into files through the real sinks, from a recorder whose job
// writes a generated sine (so only the sink's memory counts):
// - one hour into a Dialect file beside the sox command line resampling
//   the same samples, and their ratio;
// - the peak resident size of a 10-hour download against a 10-minute one,
//   wave and Dialect, each peak measured on its own (VmHWM reset between).
#include <benchmark/benchmark.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <fstream>
#include <string>

#include "audio/DownloadToFile.h"
#include "bench/ProcessMemory.h"
#include "core/flash/SoundFileInfo.h"
#include "core/settings/ProgramFolder.h"
#include "core/settings/ProgramOptions.h"
#include "tests/support/FakeRecorderHost.h"
#include "tests/support/FakeTransferUi.h"
#include "tests/support/ScriptedDownloadRecorder.h"

namespace {

constexpr std::uint32_t kRate = 8000;

std::uint64_t BytesOf(std::uint64_t seconds)
{
    return seconds * kRate * 2;
}

void Describe(TSoundFileInfo& item, std::uint32_t seconds)
{
    item.Number = 1;
    item.NumberText = QStringLiteral("1");
    item.Format = TPcmWaveFormat::Mono16(kRate);
    item.Length = seconds;
    item.Status = 0xFF;
    item.CodecId = 1;
}

// Downloads seconds of the sine into path; false when it did not complete.
bool Download(const QString& path, std::uint32_t seconds, bool dialect)
{
    static QTemporaryDir programFolder;
    SetProgramFolderOverride(programFolder.path());
    ProgramOptions.DialectFormat = dialect;
    ProgramOptions.Split = false;
    FakeRecorderHost host;
    FakeTransferUi ui;
    ScriptedDownloadRecorder recorder;
    recorder.Plan.GeneratedBytes = BytesOf(seconds);
    TSoundFileInfo item;
    Describe(item, seconds);
    return DownloadRecordToFile(&recorder, path, &item, seconds, 0, ui);
}

void BM_DialectOneHourBesideSox(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString raw = folder.filePath("hour.raw");
    {
        // The same samples for sox: what the scripted job writes.
        const std::vector<std::uint8_t> period = SineBytes(2048 * 64, 64, 9000);
        QFile file(raw);
        file.open(QIODevice::WriteOnly);
        for (std::uint64_t at = 0; at < BytesOf(3600); at += period.size())
            file.write(reinterpret_cast<const char*>(period.data()),
                       static_cast<qint64>(std::min<std::uint64_t>(period.size(), BytesOf(3600) - at)));
    }
    double ours = 0, sox = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        if (!Download(folder.filePath("ours.raw"), 3600, true))
            state.SkipWithError("the download did not complete");
        const auto t1 = std::chrono::steady_clock::now();
        if (QProcess::execute("sox", {"-r", "8000", "-e", "signed", "-b", "16", "-c", "1", "-t", "raw", raw, "-t",
                                      "raw", folder.filePath("sox.raw"), "rate", "-v", "11150"}) != 0)
            state.SkipWithError("sox failed");
        const auto t2 = std::chrono::steady_clock::now();
        ours += std::chrono::duration<double>(t1 - t0).count();
        sox += std::chrono::duration<double>(t2 - t1).count();
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    }
    state.counters["ours_s"] = ours / static_cast<double>(state.iterations());
    state.counters["sox_s"] = sox / static_cast<double>(state.iterations());
    state.counters["ratio"] = ours / sox;
}
BENCHMARK(BM_DialectOneHourBesideSox)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();

void BM_PeakRssTenHoursAgainstTenMinutes(benchmark::State& state)
{
    const bool dialect = state.range(0) != 0;
    QTemporaryDir folder;
    long shortPeak = 0, longPeak = 0;
    for (auto _ : state) {
        ResetPeakRss();
        if (!Download(folder.filePath("short"), 600, dialect))
            state.SkipWithError("the 10-minute download did not complete");
        shortPeak = PeakRssKib();
        QFile::remove(folder.filePath("short"));
        ResetPeakRss();
        if (!Download(folder.filePath("long"), 36000, dialect))
            state.SkipWithError("the 10-hour download did not complete");
        longPeak = PeakRssKib();
        QFile::remove(folder.filePath("long"));
    }
    state.SetLabel(dialect ? "Dialect" : "wave");
    state.counters["rss_10min_kib"] = static_cast<double>(shortPeak);
    state.counters["rss_10h_kib"] = static_cast<double>(longPeak);
    state.counters["ratio"] = static_cast<double>(longPeak) / static_cast<double>(shortPeak);
}
BENCHMARK(BM_PeakRssTenHoursAgainstTenMinutes)->Arg(0)->Arg(1)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
