// An upload cut before its end (a link fault the program did not live to
// show, a killed program) is told on the next connect of that recorder,
// once, with the file and what arrived; an upload that ended, well or with
// its error shown, leaves nothing to tell.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QMainWindow>
#include <QRegularExpression>
#include <QTest>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "app/actions/DriveFileTransfers.h"
#include "app/connection/CutUploadNotice.h"
#include "app/dialogs/StatusWindow.h"
#include "app/lists/FileList.h"
#include "app/services/LongOperation.h"
#include "app/services/MainUiLock.h"
#include "app/services/RecorderErrorText.h"
#include "audio/TransferUi.h"
#include "audio/UploadToRecorder.h"
#include "audio/WaveFile.h"
#include "core/flash/SoundFileList.h"
#include "core/links/ConnectType.h"
#include "core/links/Link.h"
#include "core/protocol/RecorderClock.h"
#include "core/protocol/RecorderCommands.h"
#include "core/recorder/ProcessState.h"
#include "core/recorder/Recorder.h"
#include "core/settings/DocumentsFolder.h"
#include "core/settings/MainSettingsFile.h"
#include "core/settings/ProgramFolder.h"
#include "core/transfer/UploadJournal.h"
#include "tests/app/ScriptedMessageBoxes.h"
#include "tests/support/FakeRecorderHost.h"
#include "tests/support/ImageBuilder.h"
#include "tests/support/RecorderFields.h"
#include "tests/support/SimRecorder.h"
#include "tests/support/SimRecorderLink.h"
#include "tests/support/TempDir.h"

namespace {

constexpr std::uint32_t kRate = 8000;
constexpr std::size_t kSeconds = 20;
constexpr std::uint16_t kRecord = 7;

// The program going down while it waits for the job: the wait is left by
// an exception, before any failure is shown.
struct ProgramGone {};

// Waits for the job as the program does and shows a failed one, or goes
// down at its end without showing it.
class WaitingUi : public TTransferUi {
public:
    void SetStatusText(const QString&) override {}
    TJobOutcome RunJob(TCustomRecorder& recorder, const QString&, bool, const std::function<void()>& start) override
    {
        start();
        while (recorder.GetState() != rsIdle)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        const TJobOutcome outcome = recorder.LastJobOutcome();
        if (outcome == TJobOutcome::Failed) {
            if (GoesDown)
                throw ProgramGone{};
            ShowErrorMessage(RecorderErrorText(recorder.LastJobError()));
        }
        return outcome;
    }
    bool CancelRequested() const override { return false; }

    bool GoesDown = false;
};

QString MakeWave(const QString& path, std::size_t samples)
{
    TWaveFile wave(path);
    TWaveFile::SetPcmFormat(&wave.FormatBlock(), 1, kRate, 16);
    EXPECT_TRUE(wave.Create());
    std::vector<std::int16_t> data(samples);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::int16_t>(i % 3000 + 1);
    EXPECT_EQ(wave.Write(data.data(), static_cast<std::int32_t>(data.size() * 2)),
              static_cast<std::int32_t>(data.size() * 2));
    EXPECT_TRUE(wave.Close());
    return path;
}

QStringList Journals()
{
    return QDir(QFileInfo(SettingsFilePath()).absolutePath())
        .entryList({QStringLiteral("*.tvu")}, QDir::Files | QDir::System | QDir::Hidden);
}

// The recording's listed length, as the next connect's scan finds it.
std::uint32_t ListedSeconds(TCustomRecorder& recorder)
{
    const TSoundFileList& sounds = *recorder.GetSoundFiles();
    const int index = sounds.IndexOfNumber(kRecord);
    return index < 0 ? 0 : sounds.Item(index)->Length;
}

}  // namespace

class CutUploadNoticeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessState();
        SetProgramFolderOverride(QString::fromStdString(m_dir.Path().string()));
        SetDocumentsFolderOverride(QString::fromStdString(m_dir.Path().string()));
        m_operation.SetStatusWindow(&m_status);
        m_wave = MakeWave(QString::fromStdString(m_dir.File("call.wav")), kSeconds * kRate);
    }
    void TearDown() override
    {
        m_recorder.reset();
        m_link.reset();
        ResetProcessState();
    }

    void ConnectSim()
    {
        m_recorder = std::make_unique<TRecorder>(ctUsb20Adapter);
        m_link.emplace(m_sim);
        m_recorder->RefreshContent();
        m_recorder->WaitForJob();
        ASSERT_EQ(m_recorder->LastJobOutcome(), TJobOutcome::Completed);
        ASSERT_FALSE(m_recorder->GetSerialNumber().isEmpty());
    }

    // The connect path's notice; the boxes it showed.
    std::vector<QString> Connect()
    {
        const std::size_t before = m_boxes.Boxes.size();
        TellCutUploads(*m_recorder, m_operation);
        std::vector<QString> texts;
        for (std::size_t i = before; i < m_boxes.Boxes.size(); ++i)
            texts.push_back(m_boxes.Boxes[i].Text);
        return texts;
    }

    QString CutText(std::uint32_t seconds) const
    {
        return QStringLiteral("The upload of %1 was cut off: record %2 holds %3 s of %4 s.")
            .arg(m_wave)
            .arg(kRecord)
            .arg(seconds)
            .arg(kSeconds);
    }

    // An upload of the wave cut after half its pages: the next connect
    // tells the seconds the scan lists (about half) and clears the journal;
    // the one after tells nothing. seconds: what the scan listed.
    void ExpectHalfAnUploadToldOnce(std::uint32_t& seconds)
    {
        const std::vector<QString> told = Connect();
        seconds = ListedSeconds(*m_recorder);
        EXPECT_GE(seconds, 9u);
        EXPECT_LE(seconds, 11u);
        ASSERT_EQ(told.size(), 1u);
        EXPECT_EQ(told[0], CutText(seconds));
        EXPECT_TRUE(Journals().isEmpty());
        EXPECT_TRUE(Connect().empty());
    }

    TempDir m_dir;
    FakeRecorderHost m_host;
    ScriptedMessageBoxes m_boxes;
    QMainWindow m_window;
    QWidget m_panel;
    TMainUiLock m_lock{m_window, m_panel};
    TLongOperation m_operation{m_lock};
    TfrmStatus m_status{&m_operation, &m_window};
    WaitingUi m_ui;
    // 31 free blocks of about a second each.
    SimRecorder m_sim{SmallFlashGeometry(32, 8)};
    std::optional<SimRecorderLink> m_link;
    std::unique_ptr<TRecorder> m_recorder;
    QString m_wave;
};

// A link fault after 80 of 160 page writes, the program gone before it
// could show it: the next connect names the file and the seconds on the
// recorder, once. The recording itself stays.
TEST_F(CutUploadNoticeTest, AnUploadCutByALinkFaultIsToldOnTheNextConnect)
{
    ConnectSim();
    m_sim.InjectFault({SimFaultKind::Fail, 80, SimFault::kEveryTime, cmdWritePage});
    m_ui.GoesDown = true;
    EXPECT_THROW(UploadWaveAsRecord(m_recorder.get(), m_wave, kRecord, m_ui), ProgramGone);
    EXPECT_EQ(Journals().size(), 1);
    m_sim.ClearFaults();

    std::uint32_t seconds = 0;
    ASSERT_NO_FATAL_FAILURE(ExpectHalfAnUploadToldOnce(seconds));
    EXPECT_EQ(ListedSeconds(*m_recorder), seconds);
}

// Ended uploads leave no journal: one whole, one whose fault was shown.
TEST_F(CutUploadNoticeTest, AnUploadThatEndedLeavesNothingToTell)
{
    ConnectSim();
    m_sim.InjectFault({SimFaultKind::Fail, 40, SimFault::kEveryTime, cmdWritePage});
    EXPECT_FALSE(UploadWaveAsRecord(m_recorder.get(), m_wave, kRecord, m_ui));
    ASSERT_EQ(m_boxes.Boxes.size(), 1u);
    EXPECT_TRUE(m_boxes.Boxes[0].Text.startsWith(QStringLiteral("ERROR: ")));
    EXPECT_TRUE(Journals().isEmpty());
    m_sim.ClearFaults();
    EXPECT_TRUE(Connect().empty());

    m_recorder->RefreshContent();
    m_recorder->WaitForJob();
    EXPECT_TRUE(UploadWaveAsRecord(m_recorder.get(), m_wave, kRecord + 1, m_ui));
    EXPECT_TRUE(Journals().isEmpty());
    EXPECT_TRUE(Connect().empty());
    EXPECT_EQ(m_boxes.Boxes.size(), 1u);

    // Refused before it starts: the content must be read again first.
    Fields(*m_recorder).FContentChanged = 1;
    const QString second = MakeWave(QString::fromStdString(m_dir.File("second.wav")), kRate);
    EXPECT_THROW(UploadWaveAsRecord(m_recorder.get(), second, kRecord + 2, m_ui), std::logic_error);
    EXPECT_TRUE(Journals().isEmpty());
}

// Journals of another recorder stay untouched; a damaged one, a link and a
// device under a journal's name are left alone and tell nothing.
TEST_F(CutUploadNoticeTest, OtherRecordersAndDamagedJournalsAreLeftAlone)
{
    ConnectSim();
    TUploadJournal other;
    other.Serial = QStringLiteral("99");
    other.Source = m_wave;
    other.Record = kRecord;
    other.Total = kSeconds * kRate;
    other.Rate = kRate;
    SaveUploadJournal(other);
    const QString folder = QFileInfo(SettingsFilePath()).absolutePath() + QLatin1Char('/');
    const QString serial = m_recorder->GetSerialNumber();
    {
        QFile damaged(folder + serial + QStringLiteral("-upload-r1.tvu"));
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
        damaged.write("TVXUPL01 not a journal");
    }
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), folder + serial + QStringLiteral("-upload-r2.tvu")));
    TUploadJournal linked = other;
    linked.Serial = serial;
    linked.Record = 3;
    SaveUploadJournal(linked);
    ASSERT_TRUE(QFile::rename(UploadJournalPath(linked), folder + QStringLiteral("target")));
    ASSERT_TRUE(QFile::link(folder + QStringLiteral("target"), UploadJournalPath(linked)));

    // Another recorder's journal under this recorder's name, and a file
    // larger than any journal.
    ASSERT_TRUE(QFile::copy(UploadJournalPath(other), folder + serial + QStringLiteral("-upload-r4.tvu")));
    {
        QFile huge(folder + serial + QStringLiteral("-upload-r5.tvu"));
        ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
        ASSERT_TRUE(huge.resize(1 << 20));
    }

    EXPECT_TRUE(Connect().empty());
    EXPECT_EQ(Journals().size(), 6);
    EXPECT_TRUE(QFile::exists(UploadJournalPath(other)));
}

// Killed after its last write, before its journal went: the recording is
// whole, and the journal goes without a message.
TEST_F(CutUploadNoticeTest, AJournalOfAWholeRecordingGoesWithoutAMessage)
{
    ConnectSim();
    ASSERT_TRUE(UploadWaveAsRecord(m_recorder.get(), m_wave, kRecord, m_ui));
    m_recorder->RefreshContent();
    m_recorder->WaitForJob();
    const TSoundFileList& sounds = *m_recorder->GetSoundFiles();
    ASSERT_GE(sounds.IndexOfNumber(kRecord), 0);
    TUploadJournal journal;
    journal.Serial = m_recorder->GetSerialNumber();
    journal.Source = m_wave;
    journal.Record = kRecord;
    journal.Stamp = sounds.Item(sounds.IndexOfNumber(kRecord))->Header.Time();
    journal.Total = kSeconds * kRate;
    journal.Rate = kRate;
    SaveUploadJournal(journal);

    EXPECT_TRUE(Connect().empty());
    EXPECT_TRUE(Journals().isEmpty());
}

namespace {

// The child's hook: after `s_count` commands of code `s_code` the parent is
// told through the pipe, and the job waits there for its end.
int s_pipe = -1;
std::uint8_t s_code = 0;
int s_count = 0;
TLinkTransaction s_inner = nullptr;

void HaltingTransaction(std::uint8_t code, const void* request, std::uint32_t requestLength, void* reply,
                        std::uint32_t replyLength, std::uint32_t timeoutMs)
{
    if (code == s_code && --s_count < 0) {
        (void)!::write(s_pipe, "k", 1);
        for (;;)
            ::pause();
    }
    s_inner(code, request, requestLength, reply, replyLength, timeoutMs);
}

}  // namespace

class KilledUploadTest : public CutUploadNoticeTest {
protected:
    void SetUp() override
    {
        CutUploadNoticeTest::SetUp();
        ImageBuilder builder;
        builder.Geometry(2048, 64, 32).Blocks(24).FirstDataBlock(1).SerialNumber(4200000001u);
        builder.Write(m_image);
    }

    void Open(TRecorder& recorder)
    {
        recorder.SetImageFile(QString::fromStdString(m_image));
        ASSERT_TRUE(recorder.CheckConnection());
        ASSERT_TRUE(recorder.CheckPassword(QString()));
        recorder.RefreshContent();
        recorder.WaitForJob();
        ASSERT_EQ(recorder.LastJobOutcome(), TJobOutcome::Completed);
    }

    // Runs the upload in a child process over the image and kills it when
    // `count` commands of `code` have gone; then connects over the image as
    // the next start of the program does.
    void KillMidway(std::uint8_t code, int count, const std::function<void(TRecorder&)>& upload)
    {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(ready[0]);
            TRecorder recorder(ctImageFile);
            Open(recorder);
            s_pipe = ready[1];
            s_code = code;
            s_count = count;
            s_inner = LinkTransaction;
            SetLink(LinkProbe, HaltingTransaction);
            upload(recorder);
            ::_exit(3);
        }
        ::close(ready[1]);
        char signal = 0;
        const ssize_t got = ::read(ready[0], &signal, 1);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(ready[0]);
        ASSERT_EQ(got, 1) << "the child ended with " << status;
        ASSERT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(Journals().size(), 1);
        m_recorder = std::make_unique<TRecorder>(ctImageFile);
        Open(*m_recorder);
    }

    const std::string m_image = m_dir.File("recorder.qdm");
};

// Killed after 80 of 160 page writes: the next connect over the same image
// names the file and the seconds that arrived, once.
TEST_F(KilledUploadTest, ARecordingCutByAKilledProgramIsToldOnTheNextConnect)
{
    KillMidway(cmdWritePage, 80, [this](TRecorder& recorder) {
        WaitingUi ui;
        UploadWaveAsRecord(&recorder, m_wave, kRecord, ui);
    });
    std::uint32_t seconds = 0;
    ASSERT_NO_FATAL_FAILURE(ExpectHalfAnUploadToldOnce(seconds));
}

// Killed after 3 of 7 blocks of a flash-drive file: the bytes of those
// blocks are told; a whole upload of the same file tells nothing.
TEST_F(KilledUploadTest, AFlashDriveFileCutByAKilledProgramIsToldInBytes)
{
    const QString source = QString::fromStdString(m_dir.File("big.bin"));
    {
        QFile file(source);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(400000, 'b'));
    }
    TFileListItem entry;
    entry.Name = QStringLiteral("big.bin");
    entry.Size = 400000;
    entry.Time = RtcToSystemTime(1700000000);
    KillMidway(cmdWriteBlock, 3, [&](TRecorder& recorder) {
        WaitingUi ui;
        UploadFileToDrive(&recorder, source, entry, QStringLiteral("big.bin"), ui);
    });
    // The first block holds data from its page 1, the others after their
    // header area: 31 + 2 x 32 pages of 2024 data bytes, less 2 x 64.
    const std::uint32_t pageData = 8 * 253;
    ASSERT_EQ(m_recorder->Geometry().PageSize, 2112);
    const std::uint32_t arrived = 31 * pageData + 2 * (32 * pageData - 64);
    const std::vector<QString> told = Connect();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0],
              QStringLiteral("The upload of %1 was cut off: flash drive file big.bin holds %2 of 400000 bytes.")
                  .arg(source)
                  .arg(arrived));
    EXPECT_TRUE(Journals().isEmpty());
    EXPECT_TRUE(Connect().empty());

    entry.Name = QStringLiteral("whole.bin");
    EXPECT_TRUE(UploadFileToDrive(m_recorder.get(), source, entry, QStringLiteral("whole.bin"), m_ui));
    EXPECT_TRUE(Journals().isEmpty());
    EXPECT_TRUE(Connect().empty());
}
