// A Dialect download whose resampler stops midway, over a recorder object
// on a SimRecorder and the real download job. libsox is made to stop by
// its own means: the test links with --wrap=sox_flow_effects, and the wrap
// hands libsox a progress callback that ends the flow after a number of
// rounds, which libsox reports as a failed flow.
#include <gtest/gtest.h>

#include <sox.h>

#include <QFile>
#include <atomic>
#include <memory>

#include "audio/DownloadToFile.h"
#include "core/flash/SoundFileList.h"
#include "core/links/ConnectType.h"
#include "core/protocol/RecorderCommands.h"
#include "core/recorder/ProcessState.h"
#include "core/recorder/Recorder.h"
#include "core/settings/ProgramFolder.h"
#include "core/settings/ProgramOptions.h"
#include "tests/support/ContentBuilder.h"
#include "tests/support/FakeRecorderHost.h"
#include "tests/support/FakeTransferUi.h"
#include "tests/support/SimRecorder.h"
#include "tests/support/SimRecorderLink.h"
#include "tests/support/TempDir.h"

namespace {

// Rounds of the flow before libsox is stopped; 0: never.
std::atomic<int> g_stopAfterRounds{0};
std::atomic<int> g_rounds{0};

int StopAfterRounds(sox_bool, void*)
{
    return ++g_rounds >= g_stopAfterRounds ? SOX_EOF : SOX_SUCCESS;
}

}  // namespace

extern "C" int __real_sox_flow_effects(sox_effects_chain_t* chain, sox_flow_effects_callback callback, void* data);

extern "C" int __wrap_sox_flow_effects(sox_effects_chain_t* chain, sox_flow_effects_callback callback, void* data)
{
    if (g_stopAfterRounds == 0 || callback != nullptr)
        return __real_sox_flow_effects(chain, callback, data);
    g_rounds = 0;
    return __real_sox_flow_effects(chain, StopAfterRounds, nullptr);
}

class DialectStopTest : public ::testing::Test {
protected:
    static constexpr std::uint32_t kRecordingBlocks = 20;

    void SetUp() override
    {
        ResetProcessState();
        SetProgramFolderOverride(QString::fromStdString(m_dir.Path().string()));
        ProgramOptions.DialectFormat = true;
        ContentBuilder content(ContentGeometry::Of(m_sim));
        RecordingSpec spec;
        spec.blockCount = kRecordingBlocks;
        content.AddRecording(spec);
        content.WriteTo(m_sim);
        m_recorder = std::make_unique<TRecorder>(ctUsb20Adapter);
        m_link.emplace(m_sim);
        m_recorder->RefreshContent();
        m_recorder->WaitForJob();
        ASSERT_EQ(m_recorder->LastJobOutcome(), TJobOutcome::Completed);
        ASSERT_EQ(m_recorder->GetSoundFiles()->Count(), 1);
    }
    void TearDown() override
    {
        g_stopAfterRounds = 0;
        m_recorder.reset();
        m_link.reset();
        SetProgramFolderOverride(QString());
        ResetProcessState();
    }

    // The download's page reads, and its answer.
    std::size_t Download(const QString& name, bool& ok)
    {
        TSoundFileInfo& item = *m_recorder->GetSoundFiles()->Item(0);
        m_sim.ClearLog();
        ok = DownloadRecordToFile(m_recorder.get(), name, &item, item.Length, 0, m_ui);
        return m_sim.CommandCount(cmdGetPartsOfPages);
    }

    TempDir m_dir;
    FakeRecorderHost m_host;
    FakeTransferUi m_ui;
    SimRecorder m_sim{SmallFlashGeometry(24, 32)};
    std::optional<SimRecorderLink> m_link;
    std::unique_ptr<TRecorder> m_recorder;
};

// Without SoX the samples would go nowhere: the job stops at the next
// piece instead of reading the rest of the recording first.
TEST_F(DialectStopTest, AResamplerThatStopsEndsTheDownloadAtOnce)
{
    bool ok = false;
    const std::size_t whole = Download(QString::fromStdString(m_dir.File("whole.raw")), ok);
    ASSERT_TRUE(ok);
    ASSERT_GE(whole, kRecordingBlocks);

    g_stopAfterRounds = 2;
    const std::size_t stopped = Download(QString::fromStdString(m_dir.File("stopped.raw")), ok);
    EXPECT_FALSE(ok);
    EXPECT_GE(g_rounds.load(), 2);
    // The block that was being resampled when it stopped, at most one more.
    EXPECT_LE(stopped, 2u) << "of " << whole << " page reads";
    // A download that failed leaves no file under the final name.
    EXPECT_FALSE(QFile::exists(QString::fromStdString(m_dir.File("stopped.raw"))));
}
