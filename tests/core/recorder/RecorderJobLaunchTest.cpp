// The job launcher of the recorder object, with job bodies of the test's own.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "core/links/Link.h"
#include "core/protocol/RecXchange.h"
#include "core/recorder/Recorder.h"
#include "core/settings/ProgramFolder.h"
#include "core/settings/ProgramOptions.h"
#include "core/settings/StagedFile.h"
#include "tests/support/FakeRecorderHost.h"
#include "tests/support/RecorderFields.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

namespace {

// What the bodies saw and do; reset by the fixture.
struct BodyScript {
    std::atomic<std::uint32_t> stateSeen{0};
    std::atomic<int> progressSeen{-1};
    std::atomic<int> abortSeen{-1};
    std::atomic<bool> started{false};
    std::atomic<bool> release{false};
    std::atomic<bool> finished{false};
    std::atomic<int> listsSeen{-1};
    QString name;
    std::uint16_t record = 0;
};
BodyScript* g_script = nullptr;

void WaitFor(const std::atomic<bool>& flag)
{
    if (!WaitUntil([&] { return flag.load(); }))
        ADD_FAILURE() << "the flag was never raised";
}

std::atomic<TRecorder*> g_recorder{nullptr};

TJobOutcome CompletingBody(TRecorderJobContext& context)
{
    g_script->stateSeen = static_cast<std::uint32_t>(g_recorder.load()->GetState());
    g_script->progressSeen = context.Progress.load();
    g_script->abortSeen = context.AbortRequested() ? 1 : 0;
    g_script->started = true;
    WaitFor(g_script->release);
    if (const auto* upload = std::get_if<TDriveFileUploadJobParams>(&context.Params))
        g_script->name = upload->Name;
    if (const auto* erase = std::get_if<TEraseSoundFileJobParams>(&context.Params))
        g_script->record = erase->Record;
    context.SetProgress(100);
    return TJobOutcome::Completed;
}

TJobOutcome QuickBody(TRecorderJobContext& context)
{
    context.SetProgress(100);
    return TJobOutcome::Completed;
}

TJobOutcome LinkFailingBody(TRecorderJobContext&)
{
    ThrowIoError(76);
}

TJobOutcome BrokenBody(TRecorderJobContext&)
{
    throw std::runtime_error("Sink broke");
}

TJobOutcome FileFailingBody(TRecorderJobContext&)
{
    throw EFileWriteError(QStringLiteral("/tmp/x.wav"), QStringLiteral("Disk full"));
}

TJobOutcome TextlessBody(TRecorderJobContext&)
{
    throw 42;
}

// Runs until asked to stop, then still uses the object's lists.
TJobOutcome AbortableBody(TRecorderJobContext& context)
{
    g_script->started = true;
    if (!WaitUntil([&] { return context.AbortRequested(); }))
        ADD_FAILURE() << "the job was never asked to stop";
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    g_script->listsSeen = context.Lists.SoundFiles.Count() + context.Lists.FreeBlocks.Count();
    g_script->finished = true;
    return TJobOutcome::Aborted;
}

class ScriptedJobsRecorder : public TRecorder {
public:
    explicit ScriptedJobsRecorder(std::uint32_t connectType) : TRecorder(connectType) { g_recorder = this; }
    ~ScriptedJobsRecorder() override { g_recorder = nullptr; }
    TRecorderJobBody Body = CompletingBody;

protected:
    const TRecorderJobInfo& JobInfo(TRecorderJob job) const override
    {
        m_info = TRecorderJobInfo{job, "Test job", TRecorder::JobInfo(job).StartState, Body,
                                  TRecorder::JobInfo(job).SetsContentChanged};
        return m_info;
    }

private:
    mutable TRecorderJobInfo m_info{};
};

void WaitIdle(TRecorder& recorder)
{
    if (!WaitUntil([&] { return recorder.GetState() == rsIdle; }))
        ADD_FAILURE() << "the job never went idle";
    recorder.WaitForJob();
}

}  // namespace

class RecorderJobLaunchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramOptions();
        SetProgramFolderOverride(QString::fromStdString(m_dir.Path().string()));
        g_script = &m_script;
    }
    void TearDown() override
    {
        g_script = nullptr;
        SetProgramFolderOverride(QString());
        ResetLink();
    }

    TempDir m_dir;
    FakeRecorderHost m_host;
    BodyScript m_script;
};

TEST_F(RecorderJobLaunchTest, LauncherPreparesTheFieldsAndRecordsTheOutcome)
{
    ScriptedJobsRecorder recorder(0);
    Fields(recorder).FProgress = 77;
    Fields(recorder).FAbort = 1;
    Fields(recorder).FContentChanged = 0;  // a flash-drive upload needs a fresh scan
    {
        QString name = QStringLiteral("notes.txt");
        recorder.StartDriveFileUpload(name, 4, SYSTEMTIME{});
        name = QStringLiteral("changed");  // the job has its own copy
    }
    WaitFor(m_script.started);
    EXPECT_EQ(recorder.GetState(), rsRunning);
    EXPECT_EQ(m_script.stateSeen, rsRunning);
    EXPECT_EQ(m_script.progressSeen, 0);
    EXPECT_EQ(m_script.abortSeen, 0);
    // One job at a time.
    EXPECT_THROW(recorder.StartFormat(), std::logic_error);
    m_script.release = true;
    WaitIdle(recorder);
    EXPECT_EQ(recorder.LastJobOutcome(), TJobOutcome::Completed);
    EXPECT_EQ(recorder.GetProgress(), 100);
    EXPECT_EQ(m_script.name, QStringLiteral("notes.txt"));
    EXPECT_TRUE(recorder.IsContentChanged());  // every job that may change the flash marks it

    // The next job joins the finished thread and starts in its own state.
    m_script.started = false;
    recorder.StartEraseSoundFile(9);
    WaitFor(m_script.started);
    EXPECT_EQ(m_script.stateSeen, rsErasing);
    WaitIdle(recorder);
    EXPECT_EQ(m_script.record, 9);

    Fields(recorder).FContentChanged = 0;
    m_script.started = false;
    recorder.StartFormat();
    WaitFor(m_script.started);
    EXPECT_EQ(m_script.stateSeen, rsFormatting);
    WaitIdle(recorder);
    EXPECT_FALSE(recorder.IsContentChanged());  // a format is followed by a refresh anyway
}

// Callers start the next job as soon as the state is 1 again, while the last
// job's thread may still be on its way out.
TEST_F(RecorderJobLaunchTest, TheNextJobMayStartOnceTheStateIsIdle)
{
    ScriptedJobsRecorder recorder(0);
    recorder.Body = QuickBody;
    for (int i = 0; i < 200; ++i) {
        ASSERT_NO_THROW(recorder.StartDownload(1, 0, 0, nullptr)) << i;
        ASSERT_TRUE(WaitUntil([&] { return recorder.GetState() == rsIdle; })) << i;
        ASSERT_EQ(recorder.LastJobOutcome(), TJobOutcome::Completed);
    }
}

// The failure is recorded on the seam for the waiting GUI; the job thread
// shows nothing itself.
TEST_F(RecorderJobLaunchTest, AFailureIsRecordedOnTheSeamNotShownFromTheJob)
{
    struct Case {
        const char* name;
        TRecorderJobBody body;
        TJobError::TKind kind;
        QString text;
        int code;
    };
    const Case cases[] = {
        {"link fault", LinkFailingBody, TJobError::TKind::LinkFault, QStringLiteral("I/O Error"), 76},
        {"other failure", BrokenBody, TJobError::TKind::Other, QStringLiteral("Sink broke"), 0},
        {"file not written", FileFailingBody, TJobError::TKind::Other,
         QStringLiteral("Writing error\n/tmp/x.wav\nDisk full"), 0},
        {"no text", TextlessBody, TJobError::TKind::Other, QString(), 0},
    };
    ScriptedJobsRecorder recorder(0);
    TCustomRecorder& seam = recorder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        recorder.Body = c.body;
        const int ends = m_host.JobEnds;
        recorder.StartDownload(3, 0, 100, nullptr);
        WaitIdle(recorder);
        EXPECT_EQ(seam.LastJobOutcome(), TJobOutcome::Failed);
        const TJobError error = seam.LastJobError();
        EXPECT_EQ(error.Kind, c.kind);
        EXPECT_EQ(error.Text, c.text);
        EXPECT_EQ(error.Code, c.code);
        EXPECT_EQ(m_host.JobEnds, ends + 1);
    }
    EXPECT_TRUE(m_host.Messages.isEmpty());

    // The next job starts with a clean record.
    recorder.Body = QuickBody;
    recorder.StartDownload(3, 0, 100, nullptr);
    WaitIdle(recorder);
    EXPECT_EQ(seam.LastJobOutcome(), TJobOutcome::Completed);
    EXPECT_FALSE(seam.LastJobError().IsSet());
}

TEST_F(RecorderJobLaunchTest, AbortStopsAJobThatChecksIt)
{
    ScriptedJobsRecorder recorder(0);
    recorder.Body = AbortableBody;
    recorder.StartDownload(1, 0, 0, nullptr);
    WaitFor(m_script.started);
    recorder.Abort();
    WaitIdle(recorder);
    EXPECT_EQ(recorder.LastJobOutcome(), TJobOutcome::Aborted);
}

TEST_F(RecorderJobLaunchTest, DestroyingTheObjectStopsAndJoinsTheJobFirst)
{
    auto recorder = std::make_unique<ScriptedJobsRecorder>(0);
    recorder->Body = AbortableBody;
    Fields(*recorder).FSoundFiles->Add(std::make_unique<TSoundFileInfo>());
    recorder->StartDownload(1, 0, 0, nullptr);
    WaitFor(m_script.started);
    recorder.reset();  // the job still reads the lists after the abort
    EXPECT_TRUE(m_script.finished);
    EXPECT_EQ(m_script.listsSeen, 1);
}
