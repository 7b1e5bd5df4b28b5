// The content scan of a 2 x 4096-block recorder (128 pages of 2048 + 64
// bytes) holding 500 recordings, over the image link: RefreshContent and
// its scan job, as the program runs them after connecting.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <stdexcept>

#include "core/links/ConnectType.h"
#include "core/recorder/Recorder.h"
#include "core/settings/ProgramFolder.h"
#include "tests/support/ContentBuilder.h"
#include "tests/support/ImageBuilder.h"

namespace {

constexpr std::uint32_t kBlocks = 2 * 4096;
constexpr std::uint16_t kPages = 128;
constexpr int kRecordings = 500;

// The image, written once (sparsely) into a temporary folder.
const QString& LargeImage()
{
    static QTemporaryDir folder;
    static const QString path = [] {
        if (!folder.isValid())
            throw std::runtime_error("no temporary folder");
        SetProgramFolderOverride(folder.path());  // no preset files there
        ImageBuilder image;
        image.Geometry(2048, 64, kPages).Blocks(kBlocks).FirstDataBlock(1);
        ContentGeometry geometry;
        geometry.totalBlocks = kBlocks;
        geometry.pagesPerBlock = kPages;
        geometry.pageSize = static_cast<std::uint16_t>(image.PageStride());
        geometry.firstDataBlock = 1;
        ContentBuilder content(geometry);
        content.SetWriteFullBlocks(false);
        for (int n = 1; n <= kRecordings; ++n) {
            RecordingSpec spec;
            spec.number = static_cast<std::uint16_t>(n);
            spec.start = 1700000000u + static_cast<std::uint32_t>(n) * 20000u;
            spec.blockCount = 1 + n % 3;
            spec.lastBlockPages = 4;
            if (n % 5 == 0)
                spec.call = CallSpec{1, true, {1, 2, 3}, std::nullopt};
            content.AddRecording(spec);
        }
        const QString file = folder.filePath(QStringLiteral("large.qdm"));
        content.WriteSparseImage(image, file.toStdString());
        return file;
    }();
    return path;
}

void BM_ScanOverImageLink(benchmark::State& state)
{
    const QString& path = LargeImage();
    TRecorder recorder(ctImageFile);
    recorder.SetImageFile(path);
    if (!recorder.CheckConnection() || !recorder.CheckPassword(QString()))
        throw std::runtime_error("the image does not connect");
    for (auto _ : state) {
        recorder.RefreshContent();
        recorder.WaitForJob();
        if (recorder.LastJobOutcome() != TJobOutcome::Completed || recorder.GetSoundFiles()->Count() != kRecordings)
            state.SkipWithError("the scan did not list the recordings");
    }
    state.counters["recordings"] = recorder.GetSoundFiles()->Count();
    state.counters["blocks"] = kBlocks;
}
BENCHMARK(BM_ScanOverImageLink)->Unit(benchmark::kMillisecond);

}  // namespace
