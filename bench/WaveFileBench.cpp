// One hour of 8 kHz 16-bit mono PCM written as a WAV file: through
// TCrcWaveFile (CRC-32 included) and through libsox, in the same pieces.
#include <benchmark/benchmark.h>
#include <sox.h>

#include <QTemporaryDir>

#include <cstdio>
#include <random>
#include <stdexcept>
#include <vector>

#include "audio/CrcWaveFile.h"

namespace {

constexpr std::size_t kHourBytes = 8000u * 2u * 3600u;

const std::vector<std::int16_t>& Hour()
{
    static const std::vector<std::int16_t> samples = [] {
        std::vector<std::int16_t> data(kHourBytes / 2);
        std::mt19937 random(1);
        for (auto& sample : data)
            sample = static_cast<std::int16_t>(random());
        return data;
    }();
    return samples;
}

QString Target()
{
    static QTemporaryDir dir;
    return dir.filePath(QStringLiteral("bench.wav"));
}

void BM_CrcWaveFile(benchmark::State& state)
{
    const auto& samples = Hour();
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(samples.data());
    const auto piece = static_cast<std::size_t>(state.range(0));
    std::uint32_t crc = 0;
    for (auto _ : state) {
        TCrcWaveFile wave(Target());
        if (!wave.Create())
            throw std::runtime_error("cannot create the file");
        wave.ResetCrc();
        for (std::size_t at = 0; at < kHourBytes; at += piece) {
            const auto n = static_cast<std::int32_t>(std::min(piece, kHourBytes - at));
            if (wave.Write(bytes + at, n) != n)
                throw std::runtime_error("write failed");
        }
        crc = wave.GetCrc();
        if (!wave.Close())
            throw std::runtime_error("close failed");
    }
    benchmark::DoNotOptimize(crc);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kHourBytes));
}

void BM_SoxWav(benchmark::State& state)
{
    static const bool initialised = sox_init() == SOX_SUCCESS;
    if (!initialised) {
        state.SkipWithError("sox_init failed");
        return;
    }
    const auto& samples = Hour();
    const auto piece = static_cast<std::size_t>(state.range(0)) / 2;  // in samples
    std::vector<sox_sample_t> wide(piece);
    const QByteArray target = Target().toLocal8Bit();
    sox_signalinfo_t signal{8000, 1, 16, 0, nullptr};
    sox_encodinginfo_t encoding{SOX_ENCODING_SIGN2, 16,       0, sox_option_default, sox_option_default,
                                sox_option_default, sox_false};
    for (auto _ : state) {
        sox_format_t* out = sox_open_write(target.constData(), &signal, &encoding, "wav", nullptr, nullptr);
        if (!out)
            throw std::runtime_error("sox cannot create the file");
        for (std::size_t at = 0; at < samples.size(); at += piece) {
            const std::size_t n = std::min(piece, samples.size() - at);
            // libsox takes 32-bit samples: the widening is part of its cost.
            for (std::size_t i = 0; i < n; ++i)
                wide[i] = static_cast<sox_sample_t>(samples[at + i]) * 65536;
            if (sox_write(out, wide.data(), n) != n)
                throw std::runtime_error("sox write failed");
        }
        sox_close(out);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kHourBytes));
}

// Pieces of 2 KiB to 1 MiB.
void Pieces(benchmark::internal::Benchmark* bench)
{
    for (std::int64_t piece = 2 << 10; piece <= 1 << 20; piece *= 8)
        bench->Arg(piece);
    bench->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(BM_CrcWaveFile)->Apply(Pieces);
BENCHMARK(BM_SoxWav)->Apply(Pieces);
