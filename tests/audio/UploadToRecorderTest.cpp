// UploadWaveAsRecord over a recorder object on a SimRecorder, with the
// program's message boxes answered by script and a transfer user interface
// that waits for the job as the program's does.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <atomic>
#include <memory>
#include <optional>

#include "app/services/AppMessageBox.h"
#include "app/services/RecorderErrorText.h"
#include "audio/TransferUi.h"
#include "audio/UploadToRecorder.h"
#include "audio/WaveFile.h"
#include "core/links/ConnectType.h"
#include "core/links/Link.h"
#include "core/protocol/RecorderClock.h"
#include "core/protocol/RecorderCommands.h"
#include "core/recorder/ProcessState.h"
#include "core/recorder/Recorder.h"
#include "core/settings/DocumentsFolder.h"
#include "core/settings/FileUtils.h"
#include "core/settings/ProgramFolder.h"
#include "localizer/LanguageManager.h"
#include "tests/app/ScriptedMessageBoxes.h"
#include "tests/support/FakeRecorderHost.h"
#include "tests/support/RecorderFields.h"
#include "tests/support/SimRecorder.h"
#include "tests/support/SimRecorderLink.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

namespace {

// The recorder's questions go to the program's message boxes.
class BoxHost : public FakeRecorderHost {
public:
    int AppMessageBox(const QString& text, std::uint32_t flags, const QString& caption) override
    {
        return ::AppMessageBox(text, flags, caption);
    }
};

// Waits for the job with the event loop served, as the program's job runner
// does, and shows a failed job once.
class FakeTransferUi : public TTransferUi {
public:
    void SetStatusText(const QString& text) override
    {
        Texts.append(text);
        if (OnStatus)
            OnStatus(text);
    }
    TJobOutcome RunJob(TCustomRecorder& recorder, const QString&, bool, const std::function<void()>& start) override
    {
        ++Runs;
        start();
        EXPECT_TRUE(QTest::qWaitFor([&] { return recorder.GetState() == rsIdle; }, 20000));
        const TJobOutcome outcome = recorder.LastJobOutcome();
        if (outcome == TJobOutcome::Failed)
            ShowErrorMessage(RecorderErrorText(recorder.LastJobError()));
        return outcome;
    }
    bool CancelRequested() const override { return false; }

    QStringList Texts;
    std::function<void(const QString&)> OnStatus;
    int Runs = 0;
};

SimGeometry SmallFlash()
{
    return SmallFlashGeometry(16, 8);
}

// Holds the first page write until released, so that a wait sees the job
// writing.
std::atomic<bool> g_holdWrites{false};
TLinkTransaction g_inner = nullptr;

void HeldTransaction(std::uint8_t code, const void* request, std::uint32_t requestLength, void* reply,
                     std::uint32_t replyLength, std::uint32_t timeoutMs)
{
    if (code == cmdWritePage)
        (void)WaitUntil([] { return !g_holdWrites.load(); });
    g_inner(code, request, requestLength, reply, replyLength, timeoutMs);
}

const SYSTEMTIME kRecorded{2021, 3, 0, 14, 9, 26, 53, 0};

}  // namespace

class UploadToRecorderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessState();
        SetProgramFolderOverride(QString::fromStdString(m_dir.Path().string()));
        // An upload keeps its journal beside the settings while it runs.
        SetDocumentsFolderOverride(QString::fromStdString(m_dir.Path().string()));
        m_recorder = std::make_unique<TRecorder>(ctUsb20Adapter);
        m_link.emplace(m_sim);
        m_recorder->RefreshContent();
        m_recorder->WaitForJob();
        ASSERT_EQ(m_recorder->LastJobOutcome(), TJobOutcome::Completed);
        m_sim.ClearLog();
    }
    void TearDown() override
    {
        m_recorder.reset();
        m_link.reset();
        ResetProcessState();
    }

    // A mono 16-bit file of `samples` samples; a private chunk when given.
    QString MakeWave(const char* name, std::uint32_t rate, std::size_t samples, std::uint16_t channels = 1,
                     std::vector<std::uint8_t> privateChunk = {})
    {
        const QString path = QString::fromStdString(m_dir.File(name));
        TWaveFile wave(path);
        TWaveFile::SetPcmFormat(&wave.FormatBlock(), channels, rate, 16);
        if (!privateChunk.empty())
            wave.SetPrivateChunk(privateChunk.data(), static_cast<std::int32_t>(privateChunk.size()));
        EXPECT_TRUE(wave.Create());
        std::vector<std::int16_t> data(samples * channels);
        for (std::size_t i = 0; i < data.size(); ++i)
            data[i] = static_cast<std::int16_t>(i * 5);
        EXPECT_EQ(wave.Write(data.data(), static_cast<std::int32_t>(data.size() * 2)),
                  static_cast<std::int32_t>(data.size() * 2));
        EXPECT_TRUE(wave.Close());
        return path;
    }

    void Rescan()
    {
        m_recorder->RefreshContent();
        m_recorder->WaitForJob();
    }

    TempDir m_dir;
    BoxHost m_host;
    ScriptedMessageBoxes m_boxes;
    FakeTransferUi m_ui;
    SimRecorder m_sim{SmallFlash()};
    std::optional<SimRecorderLink> m_link;
    std::unique_ptr<TRecorder> m_recorder;
};

TEST_F(UploadToRecorderTest, UnsupportedFormatsAndUnreadableFilesWriteNothing)
{
    Fields(*m_recorder).FHardwareVariant = 2;
    const QString wide = MakeWave("wide.wav", 16000, 1000);
    const QString stereo = MakeWave("stereo.wav", 8000, 1000, 2);
    EXPECT_FALSE(UploadWaveAsRecord(m_recorder.get(), wide, 7, m_ui));
    EXPECT_FALSE(UploadWaveAsRecord(m_recorder.get(), stereo, 7, m_ui));
    const QString missing = QString::fromStdString(m_dir.File("none.wav"));
    EXPECT_FALSE(UploadWaveAsRecord(m_recorder.get(), missing, 7, m_ui));
    ASSERT_EQ(m_boxes.Boxes.size(), 3u);
    EXPECT_EQ(m_boxes.Boxes[0].Text, QStringLiteral("Unsupported audio format."));
    EXPECT_EQ(m_boxes.Boxes[0].Flags, 0u);
    EXPECT_EQ(m_boxes.Boxes[1].Text, QStringLiteral("Unsupported audio format."));
    EXPECT_EQ(m_boxes.Boxes[2].Text, QStringLiteral("Can't open ") + missing);
    EXPECT_EQ(m_ui.Runs, 0);
    EXPECT_EQ(m_sim.CommandCount(), 0u);
}

TEST_F(UploadToRecorderTest, APartialUploadIsAskedForAndNoWritesNothing)
{
    // 15 free blocks of 8 pages (P = 2112, page and spare): one sample more
    // than they hold asks.
    const std::size_t P = Fields(*m_recorder).FPageSize;
    ASSERT_EQ(P, 2112u);
    const std::size_t fill = 15 * ((P - 66) / 2 + 7 * (P - 2) / 2);
    const QString exact = MakeWave("exact.wav", 8000, fill);
    const QString over = MakeWave("over.wav", 8000, fill + 1);
    m_boxes.Queue({IDNO});
    EXPECT_FALSE(UploadWaveAsRecord(m_recorder.get(), over, 7, m_ui));
    ASSERT_EQ(m_boxes.Boxes.size(), 1u);
    EXPECT_EQ(m_boxes.Boxes[0].Text, QStringLiteral("Not enough space to locate all file. Save it partly?"));
    EXPECT_EQ(m_boxes.Boxes[0].Flags, 0x34u);
    EXPECT_EQ(m_ui.Runs, 0);
    EXPECT_EQ(m_sim.CommandCount(), 0u);

    // Exactly the free blocks: no question.
    EXPECT_TRUE(UploadWaveAsRecord(m_recorder.get(), exact, 7, m_ui));
    EXPECT_EQ(m_boxes.Boxes.size(), 1u);
    EXPECT_EQ(m_sim.CommandCount(cmdWritePage), 15u * 8);
}

TEST_F(UploadToRecorderTest, YesStoresWhatFits)
{
    const QString over = MakeWave("over.wav", 8000, 16 * (1023 + 7 * 1055));
    m_boxes.Queue({IDYES});
    EXPECT_TRUE(UploadWaveAsRecord(m_recorder.get(), over, 7, m_ui));
    EXPECT_EQ(m_boxes.Boxes.size(), 1u);
    EXPECT_EQ(m_sim.CommandCount(cmdWritePage), 15u * 8);
}

TEST_F(UploadToRecorderTest, ALinkFaultOnAPageWriteReturnsFalseWithOneErrorShown)
{
    const QString path = MakeWave("a.wav", 8000, 5000);
    m_sim.InjectFault({SimFaultKind::Fail, 2, SimFault::kEveryTime, cmdWritePage});
    EXPECT_FALSE(UploadWaveAsRecord(m_recorder.get(), path, 7, m_ui));
    EXPECT_EQ(m_ui.Runs, 1);
    ASSERT_EQ(m_boxes.Boxes.size(), 1u);
    EXPECT_TRUE(m_boxes.Boxes[0].Text.startsWith(QStringLiteral("ERROR: "))) << m_boxes.Boxes[0].Text.toStdString();
}

TEST_F(UploadToRecorderTest, AVersion5FileKeepsItsRecordingTimeAnotherTakesItsModificationTime)
{
    std::vector<std::uint8_t> chunk(170, 0);
    const std::uint16_t fields[] = {kRecorded.wYear, kRecorded.wMonth,  kRecorded.wDayOfWeek, kRecorded.wDay,
                                    kRecorded.wHour, kRecorded.wMinute, kRecorded.wSecond,    0};
    for (int i = 0; i < 8; ++i) {
        chunk[88 + 2 * i] = static_cast<std::uint8_t>(fields[i]);
        chunk[89 + 2 * i] = static_cast<std::uint8_t>(fields[i] >> 8);
    }
    const QString downloaded = MakeWave("downloaded.wav", 8000, 3000, 1, chunk);
    const QString other = MakeWave("other.wav", 8000, 3000, 1, std::vector<std::uint8_t>(40, 1));
    {
        QFile file(other);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2019, 7, 2), QTime(18, 4, 5)), QFileDevice::FileModificationTime));
    }
    SYSTEMTIME modified{};
    GetFileLocalTime(other, modified);

    EXPECT_TRUE(UploadWaveAsRecord(m_recorder.get(), downloaded, 7, m_ui));
    Rescan();
    EXPECT_TRUE(UploadWaveAsRecord(m_recorder.get(), other, 8, m_ui));
    Rescan();
    TSoundFileList& files = *m_recorder->GetSoundFiles();
    ASSERT_EQ(files.Count(), 2);
    ASSERT_GE(files.IndexOfNumber(7), 0);
    ASSERT_GE(files.IndexOfNumber(8), 0);
    EXPECT_EQ(SystemTimeToRtc(files.Item(files.IndexOfNumber(7))->StartTime), SystemTimeToRtc(kRecorded));
    EXPECT_EQ(SystemTimeToRtc(files.Item(files.IndexOfNumber(8))->StartTime), SystemTimeToRtc(modified));
    EXPECT_EQ(modified.wYear, 2019);
    EXPECT_EQ(modified.wHour, 18);
}

// The status line while the job writes: the built-in text has no
// placeholder, a language text may show the speed.
TEST_F(UploadToRecorderTest, TheStatusLineNamesTheRecordAndALanguageTextTheSpeed)
{
    g_inner = LinkTransaction;
    SetLink(LinkProbe, HeldTransaction);
    const QString path = MakeWave("a.wav", 8000, 3000);
    auto uploadHeld = [&](std::uint16_t record, const QString& expected) {
        m_ui.Texts.clear();
        g_holdWrites = true;
        m_ui.OnStatus = [&](const QString& text) {
            if (QRegularExpression(expected).match(text).hasMatch())
                g_holdWrites = false;
        };
        EXPECT_TRUE(UploadWaveAsRecord(m_recorder.get(), path, record, m_ui));
        EXPECT_FALSE(g_holdWrites.load()) << "no status line in state 5";
        ASSERT_FALSE(m_ui.Texts.isEmpty());
        EXPECT_EQ(m_ui.Texts.front(), QStringLiteral("Preparing"));
        g_holdWrites = false;
        Rescan();
    };
    uploadHeld(7, QStringLiteral("^Uploading record 7$"));

    const QString lng = QString::fromStdString(m_dir.File("Trellavox_test.lng"));
    {
        QFile file(lng);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("LANGID=1049\n[$CONSTANTS]\nStatusUploadingRecordStr=%d KB/s, record\n");
    }
    ASSERT_TRUE(LangManager().AddLangFile(lng));
    LangManager().SetActiveLangID(1049);
    uploadHeld(8, QStringLiteral("^\\d+ KB/s, record 8$"));
    ResetLangManager();
}
