// The download of one hour of 8 kHz ADPCM (4-bit) from a SimRecorder,
// decoded and marked into a sink that drops what it gets; beside it, sox
// decoding the same hour stored as an IMA ADPCM wave file. The ratio of the
// two times is what to compare.
#include <benchmark/benchmark.h>

#include <QProcess>
#include <QTemporaryDir>
#include <atomic>
#include <cstdio>
#include <memory>
#include <stdexcept>

#include "audio/MarkStream.h"
#include "core/flash/BlockList.h"
#include "core/flash/ContentScan.h"
#include "core/flash/DriveFileList.h"
#include "core/flash/SoundFileList.h"
#include "core/recorder/CustomFile.h"
#include "core/recorder/RecorderCapacity.h"
#include "core/transfer/DownloadJob.h"
#include "tests/support/ContentBuilder.h"
#include "tests/support/SimRecorder.h"
#include "tests/support/SimRecorderLink.h"

namespace {

constexpr std::uint32_t kBlocks = 160;
constexpr std::uint16_t kPages = 64;
constexpr std::uint32_t kSeconds = 3600;

// Marks every piece and drops the marked output, as the download to file
// would before writing it.
class MarkingNullSink : public TCustomFile {
public:
    explicit MarkingNullSink(std::uint16_t rate)
    {
        TMarkParams params{};
        params.Flags = 3;
        params.SamplesPerSec = rate;
        params.Channels = 1;
        params.Codec = 1;
        params.Tone1Frequency = 1100;
        params.Tone1Amplitude = 40;
        params.Tone2Frequency = 2300;
        params.Tone2Amplitude = 30;
        params.Tone3Frequency = 3500;
        params.Tone3Amplitude = 22;
        m_mark.Init(params);
    }
    std::int32_t Read(void*, std::int32_t) override { return 0; }
    std::int32_t Write(const void* buffer, std::int32_t length) override
    {
        const std::uint8_t* out = nullptr;
        std::uint32_t outLength = 0;
        m_mark.Process(static_cast<const std::int16_t*>(buffer), static_cast<std::uint32_t>(length), out, outLength);
        m_bytes += outLength;
        return length;
    }
    std::uint64_t Finish()
    {
        const std::uint8_t* out = nullptr;
        std::uint32_t outLength = 0;
        m_mark.Process(nullptr, 0, out, outLength);
        return m_bytes + outLength;
    }

private:
    MarkStream m_mark;
    std::uint64_t m_bytes = 0;
};

// Writes what it gets into a file (for sox's copy of the hour).
class FileSink : public TCustomFile {
public:
    explicit FileSink(const std::string& path) : m_file(std::fopen(path.c_str(), "wb")) {}
    ~FileSink() override { std::fclose(m_file); }
    std::int32_t Read(void*, std::int32_t) override { return 0; }
    std::int32_t Write(const void* buffer, std::int32_t length) override
    {
        return static_cast<std::int32_t>(std::fwrite(buffer, 1, static_cast<std::size_t>(length), m_file));
    }

private:
    std::FILE* m_file;
};

struct Hour {
    SimRecorder recorder;
    SimRecorderLink link;
    TBlockList free;
    TSoundFileList sounds;
    TDriveFileList drives;
    TFlashGeometry geometry;
    QTemporaryDir folder;
    QString wave;

    Hour() : recorder(Flash(), SimPageStride::PageOnly), link(recorder)
    {
        geometry = {1, static_cast<std::uint16_t>(kBlocks), kPages, 2048, 1};
        ContentGeometry content;
        content.totalBlocks = kBlocks;
        content.pagesPerBlock = kPages;
        content.pageSize = 2048;
        content.firstDataBlock = 1;
        ContentBuilder builder(content);
        RecordingSpec spec;
        spec.compress = 2;
        spec.param = 2;
        spec.rateCode = 1;
        const double blockSeconds = SecondsPerBlock(spec.rateCode, spec.compress, spec.param, kPages, 2048);
        spec.blockCount = static_cast<std::uint32_t>(kSeconds / blockSeconds) + 1;
        builder.AddRecording(spec);
        builder.WriteTo(recorder);
        TScanContext context;
        context.Geometry = geometry;
        TContentScan(context).Run({free, sounds, drives}, [](std::uint8_t) {});

        // The same hour as sox reads it: decoded once, then stored as IMA ADPCM.
        if (!folder.isValid())
            throw std::runtime_error("no temporary folder");
        const QString raw = folder.filePath("hour.raw");
        wave = folder.filePath("hour.wav");
        {
            FileSink sink(raw.toStdString());
            std::atomic<std::uint8_t> progress{0}, abort{0};
            DownloadRecording(Request(), progress, abort, &sink);
        }
        if (QProcess::execute("sox", {"-q", "-t", "raw", "-r", "8000", "-e", "signed", "-b", "16", "-c", "1", raw, "-e",
                                      "ima-adpcm", wave}) != 0)
            throw std::runtime_error("sox could not make the IMA ADPCM file");
    }

    static SimGeometry Flash()
    {
        SimGeometry g;
        g.blocksPerChip = kBlocks;
        g.pagesPerBlock = kPages;
        g.pageSize = 2048;
        return g;
    }

    TDownloadRequest Request() const
    {
        TDownloadRequest request;
        request.Recording = sounds.Item(0);
        request.RecordNumber = 1;
        request.Length = kSeconds;
        request.Geometry = geometry;
        return request;
    }
};

Hour& TheHour()
{
    static Hour hour;
    return hour;
}

void BM_DownloadAndMarkOneHourAdpcm(benchmark::State& state)
{
    Hour& hour = TheHour();
    std::uint64_t bytes = 0;
    for (auto _ : state) {
        MarkingNullSink sink(8000);
        std::atomic<std::uint8_t> progress{0}, abort{0};
        if (DownloadRecording(hour.Request(), progress, abort, &sink) != TDownloadResult::Completed)
            state.SkipWithError("the download did not complete");
        bytes = sink.Finish();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
    state.counters["audio_s"] = kSeconds;
}
BENCHMARK(BM_DownloadAndMarkOneHourAdpcm)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The download alone, for the share of the mark in the time above.
void BM_DownloadOneHourAdpcm(benchmark::State& state)
{
    class NullSink : public TCustomFile {
    public:
        std::int32_t Read(void*, std::int32_t) override { return 0; }
        std::int32_t Write(const void*, std::int32_t length) override { return length; }
    };
    Hour& hour = TheHour();
    for (auto _ : state) {
        NullSink sink;
        std::atomic<std::uint8_t> progress{0}, abort{0};
        if (DownloadRecording(hour.Request(), progress, abort, &sink) != TDownloadResult::Completed)
            state.SkipWithError("the download did not complete");
    }
    state.counters["audio_s"] = kSeconds;
}
BENCHMARK(BM_DownloadOneHourAdpcm)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_SoxDecodeOneHourImaAdpcm(benchmark::State& state)
{
    Hour& hour = TheHour();
    for (auto _ : state)
        if (QProcess::execute("sox", {"-q", hour.wave, "-t", "raw", "-e", "signed", "-b", "16", "/dev/null"}) != 0)
            state.SkipWithError("sox failed");
    state.counters["audio_s"] = kSeconds;
}
BENCHMARK(BM_SoxDecodeOneHourImaAdpcm)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
