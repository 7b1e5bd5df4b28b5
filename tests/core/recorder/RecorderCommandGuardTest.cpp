// While a job runs, the recorder object refuses commands from any thread
// but the job's; the job's own commands go through.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <thread>

#include "core/links/ConnectType.h"
#include "core/links/Link.h"
#include "core/protocol/RecorderCommands.h"
#include "core/recorder/ProcessState.h"
#include "core/recorder/Recorder.h"
#include "core/settings/ProgramFolder.h"
#include "tests/support/FakeRecorderHost.h"
#include "tests/support/SimRecorder.h"
#include "tests/support/SimRecorderLink.h"
#include "tests/support/TempDir.h"

namespace {

std::atomic<bool> g_held{false};
std::atomic<bool> g_release{false};

void WaitFor(const std::atomic<bool>& flag)
{
    while (!flag.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// A format that reads the voltage, is held until the test lets it go, and
// reads it again.
TJobOutcome HeldJob(TRecorderJobContext&)
{
    std::uint8_t voltage[2] = {};
    RunCommand(cmdGetVolt, nullptr, 0, voltage, sizeof voltage);
    g_held = true;
    WaitFor(g_release);
    RunCommand(cmdGetVolt, nullptr, 0, voltage, sizeof voltage);
    return TJobOutcome::Completed;
}

class HeldJobRecorder : public TRecorder {
public:
    using TRecorder::TRecorder;

protected:
    const TRecorderJobInfo& JobInfo(TRecorderJob job) const override
    {
        static const TRecorderJobInfo held{TRecorderJob::Format, "Held job", rsFormatting, HeldJob, false};
        return job == TRecorderJob::Format ? held : TRecorder::JobInfo(job);
    }
};

}  // namespace

class RecorderCommandGuardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessState();
        SetProgramFolderOverride(QString::fromStdString(m_dir.Path().string()));
        g_held = false;
        g_release = false;
    }
    void TearDown() override { ResetProcessState(); }

    TempDir m_dir;
    FakeRecorderHost m_host;
};

TEST_F(RecorderCommandGuardTest, ACommandBesideARunningJobRaisesWhileTheJobsOwnCommandsRun)
{
    HeldJobRecorder recorder(ctUsb11Adapter);
    SimRecorder sim;
    SimRecorderLink link(sim);
    TCustomRecorder& seam = recorder;

    seam.StartFormat();
    WaitFor(g_held);
    const std::pair<const char*, std::function<void()>> besideTheJob[] = {
        {"SetRecorderTime", [&] { seam.SetRecorderTime(SYSTEMTIME{2024, 1, 1, 1, 0, 0, 0, 0}); }},
        {"CheckConnection", [&] { seam.CheckConnection(); }},
        {"CheckPassword", [&] { seam.CheckPassword(QStringLiteral("x")); }},
        {"ResetToDefaults", [&] { seam.ResetToDefaults(); }},
        {"ResetDefaultsNoErase", [&] { seam.ResetDefaultsNoErase(); }},
        {"SetImageFile", [&] { seam.SetImageFile(QStringLiteral("other.qdm")); }},
        {"StoreRecorderSettings", [&] { recorder.StoreRecorderSettings(); }},
        {"another job", [&] { seam.RefreshContent(); }},
    };
    for (const auto& [name, call] : besideTheJob) {
        SCOPED_TRACE(name);
        EXPECT_THROW(call(), std::logic_error);
    }
    EXPECT_EQ(sim.CommandCount(), 1u);  // only the job's first command

    g_release = true;
    while (seam.GetState() != rsIdle)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(seam.LastJobOutcome(), TJobOutcome::Completed);
    EXPECT_EQ(sim.CommandCount(cmdGetVolt), 2u);
    EXPECT_EQ(sim.CommandCount(cmdSetRtc), 0u);
    EXPECT_EQ(sim.CommandCount(cmdCheckPassword), 0u);

    // Once the job has ended the same command goes through.
    seam.SetRecorderTime(SYSTEMTIME{2024, 1, 1, 1, 0, 0, 0, 0});
    EXPECT_EQ(sim.CommandCount(cmdSetRtc), 1u);
}
