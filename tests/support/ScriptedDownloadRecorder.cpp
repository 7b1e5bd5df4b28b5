#include "tests/support/ScriptedDownloadRecorder.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/protocol/RecXchange.h"
#include "core/recorder/CustomFile.h"
#include "tests/support/WaitUntil.h"

namespace {

std::atomic<ScriptedDownloadRecorder*> g_current{nullptr};

}  // namespace

ScriptedDownloadRecorder::ScriptedDownloadRecorder() : TRecorder(0)
{
    g_current = this;
}

ScriptedDownloadRecorder::~ScriptedDownloadRecorder()
{
    WaitForJob();
    g_current = nullptr;
}

void ScriptedDownloadRecorder::SetSoundFileStatus(std::uint16_t record, std::uint8_t status)
{
    if (StatusUnavailable)
        throw ERecorderJobUnavailable("Changing the status of a recording");
    StatusCalls.emplace_back(record, status);
}

const TRecorderJobInfo& ScriptedDownloadRecorder::JobInfo(TRecorderJob job) const
{
    const TRecorderJobInfo& real = TRecorder::JobInfo(job);
    m_info = TRecorderJobInfo{job, "Scripted download", real.StartState, Body, real.SetsContentChanged};
    return m_info;
}

TJobOutcome ScriptedDownloadRecorder::Body(TRecorderJobContext& context)
{
    ScriptedDownloadRecorder& self = *g_current.load();
    self.SeenJob = self.m_info.Job;
    self.SeenParams = std::get<TDownloadJobParams>(context.Params);
    const Script& plan = self.Plan;
    if (plan.GeneratedBytes > 0)
        return Generate(context, plan.GeneratedBytes);
    std::size_t at = 0;
    for (std::size_t i = 0; i < plan.Pieces.size(); ++i) {
        if (static_cast<int>(i) == plan.FailAtPiece)
            ThrowIoError(76);
        if (plan.BeforePiece)
            plan.BeforePiece(static_cast<int>(i));
        if (context.AbortRequested())
            return TJobOutcome::Aborted;
        const std::size_t n = plan.Pieces[i];
        if (context.Sink->Write(plan.Bytes.data() + at, static_cast<std::int32_t>(n)) == 0)
            return TJobOutcome::SinkRefused;
        at += n;
        context.SetProgress(static_cast<std::uint8_t>(100 * at / std::max<std::size_t>(plan.Bytes.size(), 1)));
    }
    if (plan.WaitForAbort)
        WaitUntil([&] { return context.AbortRequested(); });
    return context.AbortRequested() ? TJobOutcome::Aborted : TJobOutcome::Completed;
}

TJobOutcome ScriptedDownloadRecorder::Generate(TRecorderJobContext& context, std::uint64_t bytes)
{
    // A whole number of periods per piece keeps the signal continuous.
    constexpr std::size_t kPeriod = 64;
    const std::vector<std::uint8_t> piece = SineBytes(2048 * kPeriod, kPeriod, 9000);
    for (std::uint64_t at = 0; at < bytes;) {
        if (context.AbortRequested())
            return TJobOutcome::Aborted;
        const auto n = static_cast<std::int32_t>(std::min<std::uint64_t>(piece.size(), bytes - at));
        if (context.Sink->Write(piece.data(), n) == 0)
            return TJobOutcome::SinkRefused;
        at += static_cast<std::uint64_t>(n);
        context.SetProgress(static_cast<std::uint8_t>(100 * at / bytes));
    }
    return TJobOutcome::Completed;
}

std::vector<std::uint8_t> SineBytes(std::size_t n, double period, double amplitude)
{
    std::vector<std::uint8_t> bytes(2 * n);
    for (std::size_t i = 0; i < n; ++i) {
        const auto s = static_cast<std::int16_t>(
            std::lround(amplitude * std::sin(2 * std::numbers::pi * static_cast<double>(i) / period)));
        bytes[2 * i] = static_cast<std::uint8_t>(s);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(s) >> 8);
    }
    return bytes;
}

std::vector<std::size_t> MixedPieces(std::size_t bytes)
{
    static constexpr std::size_t kCycle[] = {0, 2, 480, 1024, 1025, 256 * 1024};
    std::vector<std::size_t> pieces;
    std::size_t total = 0;
    for (std::size_t i = 0; total < bytes; ++i) {
        const std::size_t n = std::min(kCycle[i % std::size(kCycle)], bytes - total);
        pieces.push_back(n);
        total += n;
    }
    return pieces;
}
