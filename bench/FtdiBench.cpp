// A 256 KiB block read (command 76) through the FTDI link, over the fake
// D2XX library with a SimRecorder behind it; and the recorder model alone
// serving the same request, so the link's own share can be told apart.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "core/links/ftdi/FtdiLink.h"
#include "core/protocol/RecorderCommands.h"
#include "core/protocol/RecorderFrame.h"
#include "tests/support/FakeFtdiLibrary.h"
#include "tests/support/SimRecorder.h"
#include "tests/support/SimRecorderFtdiDevice.h"

namespace {

constexpr std::uint32_t kPageBytes = 2048;
constexpr std::uint32_t kPages = 128;
constexpr std::uint32_t kPayload = kPageBytes * kPages; // 256 KiB
constexpr double kWireBytesPerSecond = 1500000.0 / 10;  // 8N1: ten bits a byte

void FillBlock(SimRecorder& sim)
{
    std::mt19937 random(7);
    std::vector<std::uint8_t> page(sim.Geometry().RawPageSize());
    for (std::uint32_t p = 0; p < kPages; ++p) {
        for (auto& byte : page)
            byte = static_cast<std::uint8_t>(random());
        sim.WritePage(kPages + p, page); // block 1
    }
}

std::array<std::uint8_t, PartsOfPagesRequest::kSize> BlockRequest()
{
    const PartsOfPagesRequest request{kPages, 0, kPageBytes, 1, kPages}; // block 1, data bytes of each page
    std::array<std::uint8_t, PartsOfPagesRequest::kSize> raw{};
    request.Serialize(raw.data());
    return raw;
}

void BM_FtdiBlockRead(benchmark::State& state)
{
    FakeFtdiLibrary fake(std::string(TRELLAVOX_FAKE_FTD2XX_DIR) + "/libftd2xx.so");
    SimRecorder sim;
    FillBlock(sim);
    SimRecorderFtdiDevice device(sim);
    fake->Device = &device;
    fake->LogCalls = false;
    ResetFtdiLink();
    FtdiLinkState().LibraryNames = {fake.Path()};
    if (!FtdiProbe()) {
        state.SkipWithError("the fake adapter did not answer");
        return;
    }
    const auto request = BlockRequest();
    std::vector<std::uint8_t> reply(kPayload);
    const std::uint64_t written = fake->BytesWritten;
    const std::uint64_t read = fake->BytesRead;
    for (auto _ : state) {
        FtdiExecute(cmdGetPartsOfPages, request.data(), request.size(), reply.data(), kPayload, 600);
        benchmark::DoNotOptimize(reply.data());
    }
    const double wire = static_cast<double>(fake->BytesWritten - written + fake->BytesRead - read) /
                        static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kPayload);
    state.counters["wire_bytes_per_payload_byte"] = wire / kPayload;
    state.counters["wire_ms_at_1500000_baud"] = wire / kWireBytesPerSecond * 1000.0;
    ResetFtdiLink();
}
BENCHMARK(BM_FtdiBlockRead)->Unit(benchmark::kMillisecond);

void BM_SimRecorderServesTheBlock(benchmark::State& state)
{
    SimRecorder sim;
    FillBlock(sim);
    const auto request = BlockRequest();
    const std::vector<std::uint8_t> frame = BuildRecorderFrame(cmdGetPartsOfPages, request.data(), request.size());
    for (auto _ : state) {
        auto reply = sim.ServeFrame(frame);
        benchmark::DoNotOptimize(reply);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kPayload);
}
BENCHMARK(BM_SimRecorderServesTheBlock)->Unit(benchmark::kMillisecond);

} // namespace
