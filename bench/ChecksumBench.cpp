// CRC-16, TCrc32 and zlib's crc32 over the same 64 MiB buffer.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <random>
#include <vector>

#include "core/protocol/Crc16.h"
#include "core/protocol/Crc32.h"

namespace {

const std::vector<std::uint8_t>& Buffer()
{
    static const std::vector<std::uint8_t> buffer = [] {
        std::vector<std::uint8_t> data(64u << 20);
        std::mt19937 random(1);
        for (auto& byte : data)
            byte = static_cast<std::uint8_t>(random());
        return data;
    }();
    return buffer;
}

void BM_Crc16Update(benchmark::State& state)
{
    const auto& data = Buffer();
    for (auto _ : state)
        benchmark::DoNotOptimize(Crc16Update(data.data(), static_cast<std::uint32_t>(data.size()), 0));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}

void BM_TCrc32(benchmark::State& state)
{
    const auto& data = Buffer();
    TCrc32 crc;
    for (auto _ : state) {
        crc.Reset();
        benchmark::DoNotOptimize(crc.Update(data.data(), static_cast<std::uint32_t>(data.size())));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}

void BM_ZlibCrc32(benchmark::State& state)
{
    const auto& data = Buffer();
    for (auto _ : state)
        benchmark::DoNotOptimize(crc32(0, data.data(), static_cast<uInt>(data.size())));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}

}  // namespace

BENCHMARK(BM_Crc16Update)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TCrc32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibCrc32)->Unit(benchmark::kMillisecond);
