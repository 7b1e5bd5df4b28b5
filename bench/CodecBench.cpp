// Decoder throughput of the three sample codecs, in samples per second.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "core/flash/SampleCodecs.h"

namespace {

std::vector<std::uint8_t> RandomBytes(std::size_t count)
{
    std::vector<std::uint8_t> bytes(count);
    std::mt19937 random(5);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(random());
    return bytes;
}

constexpr std::size_t kBytes = 1 << 20;

void BM_ImaAdpcmDecode4(benchmark::State& state)
{
    const auto bytes = RandomBytes(kBytes);
    std::vector<std::int16_t> out(2 * kBytes);
    for (auto _ : state) {
        TAdpcmState codec;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            out[2 * i] = ImaAdpcmDecode4(bytes[i] & 0x0F, codec);
            out[2 * i + 1] = ImaAdpcmDecode4(bytes[i] >> 4, codec);
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * out.size()));
}

void BM_Adpcm2Decode(benchmark::State& state)
{
    const auto bytes = RandomBytes(kBytes);
    std::vector<std::int16_t> out(4 * kBytes);
    for (auto _ : state) {
        TAdpcmState codec;
        for (std::size_t i = 0; i < bytes.size(); ++i)
            for (int k = 0; k < 4; ++k)
                out[4 * i + k] = Adpcm2Decode(static_cast<std::uint8_t>(bytes[i] >> (2 * k)), codec);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * out.size()));
}

void BM_CompandDecode8(benchmark::State& state)
{
    const auto bytes = RandomBytes(kBytes);
    std::vector<std::int16_t> out(kBytes);
    for (auto _ : state) {
        TCompandState codec;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            out[i] = CompandDecode8(bytes[i], codec);
            if (codec.Counter == 0xFFFF)
                codec.Counter = 160;
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * out.size()));
}

}  // namespace

BENCHMARK(BM_ImaAdpcmDecode4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Adpcm2Decode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompandDecode8)->Unit(benchmark::kMillisecond);
