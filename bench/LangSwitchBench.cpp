// A job thread formats constant texts while the GUI thread switches
// languages: how long does one formatted text wait at worst?
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <numeric>
#include <thread>
#include <vector>

#include "localizer/LangFormat.h"
#include "localizer/LanguageManager.h"

namespace {

// A language file with its constants and many form sections, so that reading
// and parsing it takes a while, as a full translation does.
QString WriteLanguage(const QTemporaryDir& dir, const char* suffix, int langId, int sections)
{
    QByteArray text = "LANGID=" + QByteArray::number(langId) + "\r\n[$CONSTANTS]\r\n";
    text += "ExceptErrorStr=" + QByteArray(suffix) + ": %s. code %d\r\n";
    for (int s = 0; s < sections; ++s) {
        text += "[frmForm" + QByteArray::number(s) + "]\r\n";
        for (int id = 1; id <= 40; ++id)
            text += QByteArray::number(id) + "=Caption " + QByteArray::number(id) + " of form " +
                    QByteArray::number(s) + " in " + suffix + "\r\n";
    }
    const QString path = dir.filePath(QStringLiteral("Trellavox_%1.lng").arg(QLatin1String(suffix)));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
    return path;
}

// What the main thread does while the reader formats: switch languages, only
// read and parse the same files (what the machine and the allocator add to a
// switch), or nothing (what the machine adds by itself).
enum class TMode { Switch, ReadOnly, Idle };

void FormatWhileSwitching(benchmark::State& state, TMode mode)
{
    const QTemporaryDir dir;
    ResetLangManager();
    TLanguageManager& manager = LangManager();
    const int sections = static_cast<int>(state.range(0));
    manager.AddLangFile(WriteLanguage(dir, "de", 1031, sections));
    manager.AddLangFile(WriteLanguage(dir, "ru", 1049, sections));

    std::atomic<bool> stop{false};
    // Every wait in nanoseconds, kept without allocating in the loop.
    std::vector<long long> waits(std::size_t{1} << 23);
    std::size_t count = 0;
    std::thread reader([&] {
        while (!stop.load(std::memory_order_relaxed) && count < waits.size()) {
            const auto start = std::chrono::steady_clock::now();
            benchmark::DoNotOptimize(LangConstFormat(QStringLiteral("ExceptErrorStr"), QStringLiteral("I/O"), 76));
            waits[count++] = std::chrono::nanoseconds(std::chrono::steady_clock::now() - start).count();
        }
    });

    const quint16 ids[] = {1031, 1049, 1033};
    int round = 0;
    for (auto _ : state) {
        switch (mode) {
        case TMode::Switch:
            manager.SetActiveLangID(ids[round++ % 3]);
            break;
        case TMode::ReadOnly:
            benchmark::DoNotOptimize(manager.LoadTranslations(ids[round++ % 2]));
            break;
        case TMode::Idle:
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            break;
        }
    }
    stop = true;
    reader.join();

    waits.resize(count);
    std::sort(waits.begin(), waits.end());
    const auto percentile = [&waits](double p) {
        return waits.empty() ? 0.0
                             : static_cast<double>(waits[static_cast<std::size_t>(p * (waits.size() - 1))]) / 1000.0;
    };
    state.counters["file_kB"] = static_cast<double>(QFile(dir.filePath("Trellavox_de.lng")).size()) / 1024.0;
    state.counters["texts"] = static_cast<double>(count);
    state.counters["wait_p50_us"] = percentile(0.5);
    state.counters["wait_p99.9_us"] = percentile(0.999);
    state.counters["wait_max_us"] = percentile(1.0);
    const auto longWaits = std::upper_bound(waits.begin(), waits.end(), 1'000'000LL);
    state.counters["waits_over_1ms"] = static_cast<double>(waits.end() - longWaits);
    // The time lost in long waits per switch: near the time of a switch when
    // a reader waits for the file, near nothing when it does not.
    state.counters["long_wait_ms_per_iteration"] = static_cast<double>(std::accumulate(longWaits, waits.end(), 0LL)) /
                                                   1e6 /
                                                   static_cast<double>(std::max<std::int64_t>(state.iterations(), 1));
    ResetLangManager();
}

}  // namespace

// The time per switch is how long a reader could wait if the file were read
// under the lock; the wait counters are what one formatted text waits now.
BENCHMARK_CAPTURE(FormatWhileSwitching, switching, TMode::Switch)
    ->Arg(10)
    ->Arg(200)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(FormatWhileSwitching, reading_only, TMode::ReadOnly)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(FormatWhileSwitching, idle, TMode::Idle)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
