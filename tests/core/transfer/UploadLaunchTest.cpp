// Slot 31 through the recorder object over a SimRecorder: the job it runs,
// what the launcher refuses, and how the job ends.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "core/links/ConnectType.h"
#include "core/protocol/RecorderClock.h"
#include "core/protocol/RecorderCommands.h"
#include "core/recorder/ProcessState.h"
#include "core/recorder/Recorder.h"
#include "core/settings/ProgramFolder.h"
#include "tests/support/FakeRecorderHost.h"
#include "tests/support/MemoryWaveSource.h"
#include "tests/support/RecorderFields.h"
#include "tests/support/RecorderRefresh.h"
#include "tests/support/SimRecorder.h"
#include "tests/support/SimRecorderLink.h"
#include "tests/support/TempDir.h"

namespace {

SimGeometry SmallFlash()
{
    return SmallFlashGeometry(16, 8);
}

std::vector<std::int16_t> Ramp(std::size_t count)
{
    std::vector<std::int16_t> samples(count);
    for (std::size_t i = 0; i < count; ++i)
        samples[i] = static_cast<std::int16_t>(i * 3);
    return samples;
}

const SYSTEMTIME kTime = RtcToSystemTime(1700000000);

}  // namespace

class UploadLaunchTest : public ::testing::TestWithParam<TConnectType> {
protected:
    void SetUp() override
    {
        ResetProcessState();
        SetProgramFolderOverride(QString::fromStdString(m_dir.Path().string()));
        m_recorder = std::make_unique<TRecorder>(GetParam());
        m_link.emplace(m_sim);
        Refresh();
    }
    void TearDown() override
    {
        m_recorder.reset();
        m_link.reset();
        ResetProcessState();
    }

    void Refresh() { RefreshAndWait(*m_recorder); }
    void Upload(std::uint16_t record, TWaveSource& source)
    {
        m_sim.ClearLog();
        m_recorder->StartUpload(record, &source, kTime);
        m_recorder->WaitForJob();
    }

    TempDir m_dir;
    FakeRecorderHost m_host;
    SimRecorder m_sim{SmallFlash()};
    std::optional<SimRecorderLink> m_link;
    std::unique_ptr<TRecorder> m_recorder;
};

TEST_P(UploadLaunchTest, RunsTheJobWritingPageByPageInStateFive)
{
    Fields(*m_recorder).FUploadCompress = 2;  // the chosen format reaches the job
    Fields(*m_recorder).FUploadParam = 1;
    MemorySource source(Ramp(20000), 8000);
    std::atomic<int> stateSeen{0};
    source.OnRead = [&] { stateSeen = m_recorder->GetState(); };
    Upload(3, source);
    EXPECT_EQ(m_recorder->LastJobOutcome(), TJobOutcome::Completed);
    EXPECT_EQ(m_recorder->GetState(), rsIdle);
    EXPECT_EQ(stateSeen.load(), rsWriting);
    // The job filed the new recording itself.
    EXPECT_FALSE(m_recorder->IsContentChanged());
    // Pages on every connection type: commands 14 and 16 only, then the
    // reads of what was written.
    const std::size_t pages = m_sim.CommandCount(cmdWritePage);
    EXPECT_GT(pages, 0u);
    EXPECT_EQ(m_sim.CommandCount(cmdBeginWritePage), pages);
    EXPECT_EQ(m_sim.CommandCount(), 2 * pages + m_sim.CommandCount(cmdGetPartsOfPages));

    Refresh();
    ASSERT_EQ(m_recorder->GetSoundFiles()->Count(), 1);
    const TSoundFileInfo& file = *m_recorder->GetSoundFiles()->Item(0);
    EXPECT_EQ(file.Number, 3);
    EXPECT_EQ(file.Status, 0xAA);
    EXPECT_EQ(file.Header.Compress(), 2);
    EXPECT_EQ(file.Header.CompressParam(), 1);
    EXPECT_EQ(SystemTimeToRtc(file.StartTime), 1700000000u);
}

TEST_P(UploadLaunchTest, RefusesBeforeARescanAndFlashDriveNumbers)
{
    MemorySource source(Ramp(100), 8000);
    Upload(1, source);
    ASSERT_EQ(m_recorder->LastJobOutcome(), TJobOutcome::Completed);
    // A change the upload did not make leaves a free-block list that may
    // name blocks in use.
    m_recorder->SetSkipSilence(!m_recorder->GetSkipSilence());
    m_sim.ClearLog();
    EXPECT_THROW(m_recorder->StartUpload(2, &source, kTime), std::logic_error);
    Refresh();
    EXPECT_THROW(m_recorder->StartUpload(0x8000, &source, kTime), std::invalid_argument);
    EXPECT_THROW(m_recorder->StartUpload(0xFFFF, &source, kTime), std::invalid_argument);
    EXPECT_EQ(m_sim.CommandCount(cmdWritePage), 0u);
    EXPECT_EQ(m_recorder->GetState(), rsIdle);
}

TEST_P(UploadLaunchTest, NoFreeBlocksEndsIdleHavingWrittenNothing)
{
    Fields(*m_recorder).FFreeBlocks->Clear();
    MemorySource source(Ramp(100), 8000);
    Upload(1, source);
    EXPECT_EQ(m_recorder->LastJobOutcome(), TJobOutcome::Completed);
    EXPECT_EQ(m_recorder->GetState(), rsIdle);
    EXPECT_EQ(m_sim.CommandCount(), 0u);
}

TEST_P(UploadLaunchTest, AFailedReadFailsTheJobWithItsReason)
{
    MemorySource source(Ramp(20000), 8000, 15000);
    Upload(1, source);
    EXPECT_EQ(m_recorder->LastJobOutcome(), TJobOutcome::Failed);
    EXPECT_EQ(m_recorder->LastJobError().Text, QStringLiteral("Reading the wave file failed."));
    EXPECT_GT(m_sim.CommandCount(cmdWritePage), 0u);  // what was written stays
}

INSTANTIATE_TEST_SUITE_P(Types, UploadLaunchTest, ::testing::Values(ctUsb11Adapter, ctUsb20Adapter),
                         [](const ::testing::TestParamInfo<TConnectType>& info) {
                             return info.param == ctUsb11Adapter ? std::string("Usb11") : std::string("Usb20");
                         });
