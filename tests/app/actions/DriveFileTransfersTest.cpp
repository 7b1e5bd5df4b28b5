// Flash-drive files between the PC and a recorder object over a
// SimRecorder: the workers' checks before a job, the outcome they answer,
// and the plain wait for a job the caller started.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QTimer>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <optional>
#include <sys/resource.h>

#include "app/actions/DriveFileTransfers.h"
#include "app/dialogs/StatusWindow.h"
#include "app/lists/FileList.h"
#include "app/services/LongOperation.h"
#include "app/services/MainUiLock.h"
#include "core/flash/DriveFileList.h"
#include "core/links/ConnectType.h"
#include "core/protocol/RecorderClock.h"
#include "core/protocol/RecorderCommands.h"
#include "core/recorder/ProcessState.h"
#include "core/recorder/Recorder.h"
#include "core/settings/DocumentsFolder.h"
#include "core/settings/FileUtils.h"
#include "core/settings/ProgramFolder.h"
#include "core/settings/StagedFile.h"
#include "tests/app/ScriptedMessageBoxes.h"
#include "tests/support/ContentBuilder.h"
#include "tests/support/FakeRecorderHost.h"
#include "tests/support/FakeTransferUi.h"
#include "tests/support/SimRecorder.h"
#include "tests/support/SimRecorderLink.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"
#include "widgets/MyGauge.h"

namespace {

SimGeometry SmallFlash()
{
    return SmallFlashGeometry(12, 8);
}

QByteArray Numbered(int count)
{
    QByteArray bytes(count, '\0');
    for (int i = 0; i < count; ++i)
        bytes[i] = static_cast<char>(i * 13 + i / 253 + 1);
    return bytes;
}

}  // namespace

class DriveFileTransfersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessState();
        SetProgramFolderOverride(QString::fromStdString(m_dir.Path().string()));
        // An upload keeps its journal beside the settings while it runs.
        SetDocumentsFolderOverride(QString::fromStdString(m_dir.Path().string()));
        m_recorder = std::make_unique<TRecorder>(ctUsb20Adapter);
        m_link.emplace(m_sim);
        Refresh();
    }
    void TearDown() override
    {
        m_recorder.reset();
        m_link.reset();
        SetProgramFolderOverride(QString());
        ResetProcessState();
    }

    void Refresh()
    {
        m_recorder->RefreshContent();
        m_recorder->WaitForJob();
        ASSERT_EQ(m_recorder->LastJobOutcome(), TJobOutcome::Completed);
    }
    QString Path(const char* name) const { return QString::fromStdString(m_dir.File(name)); }
    QByteArray Contents(const QString& path) const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    TFileListItem Entry(const QString& path, bool folder = false) const
    {
        TFileListItem entry;
        entry.Name = QFileInfo(path).fileName();
        entry.Size = folder ? 17 : QFileInfo(path).size();  // a folder: its entry count
        entry.Time = RtcToSystemTime(1700000000);
        entry.IsFolder = folder;
        return entry;
    }
    QString Source(const QByteArray& bytes)
    {
        QFile file(Path("source.bin"));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return file.fileName();
    }

    TempDir m_dir;
    FakeRecorderHost m_host;
    ScriptedMessageBoxes m_boxes;
    SimRecorder m_sim{SmallFlash()};
    std::optional<SimRecorderLink> m_link;
    std::unique_ptr<TRecorder> m_recorder;
    FakeTransferUi m_ui;
};

TEST_F(DriveFileTransfersTest, FileAndFolderGoUpAndComeBack)
{
    const QByteArray data = Numbered(3 * 16128 + 5);
    const QString source = Source(data);
    ASSERT_TRUE(UploadFileToDrive(m_recorder.get(), source, Entry(source), QStringLiteral("Docs\\source.bin"), m_ui));
    EXPECT_EQ(m_ui.StatusTexts.value(0), QStringLiteral("Uploading file source.bin"));
    Refresh();
    ASSERT_TRUE(UploadFileToDrive(m_recorder.get(), m_dir.Path().c_str(), Entry(Path("Docs"), true),
                                  QStringLiteral("Docs"), m_ui));
    Refresh();

    const TDriveFileList& files = *m_recorder->GetDriveFiles();
    ASSERT_EQ(files.Count(), 2);
    const int file = files.IndexOfName(QStringLiteral("Docs\\source.bin"));
    const int folder = files.IndexOfName(QStringLiteral("Docs"));
    ASSERT_GE(file, 0);
    ASSERT_GE(folder, 0);
    EXPECT_EQ(files.Item(folder)->Flag, 1);
    EXPECT_EQ(files.Item(folder)->Size, 0);

    TWrittenFile written;
    ASSERT_TRUE(DownloadDriveFile(m_recorder.get(), Path("copy.bin"), file, m_ui, &written));
    EXPECT_EQ(Contents(Path("copy.bin")), data);
    // What was written is what reads back.
    EXPECT_EQ(written.Path, Path("copy.bin"));
    EXPECT_EQ(written.Size, static_cast<std::uint64_t>(data.size()));
    EXPECT_TRUE(VerifyWrittenFile(written).Good());
    EXPECT_EQ(m_ui.StatusTexts.last(), QStringLiteral("Downloading file Docs\\source.bin"));
    EXPECT_TRUE(m_boxes.Boxes.empty());
    EXPECT_THROW(DownloadDriveFile(m_recorder.get(), Path("x"), files.Count(), m_ui), std::out_of_range);
}

TEST_F(DriveFileTransfersTest, RefusalsBeforeAnyJob)
{
    // One byte over the room, a source that does not open.
    const QString source = Source(Numbered(static_cast<int>(m_recorder->GetFreeDriveMemory()) + 1));
    m_sim.ClearLog();
    EXPECT_FALSE(UploadFileToDrive(m_recorder.get(), source, Entry(source), QStringLiteral("big"), m_ui));
    EXPECT_FALSE(
        UploadFileToDrive(m_recorder.get(), Path("missing"), Entry(Path("missing")), QStringLiteral("m"), m_ui));
    ASSERT_GE(m_boxes.Boxes.size(), 2u);
    EXPECT_EQ(m_boxes.Boxes[0].Text, QStringLiteral("Not enough space to locate file ") + source);
    EXPECT_EQ(m_boxes.Boxes[0].Flags, 0u);
    EXPECT_EQ(m_boxes.Boxes[1].Text, QStringLiteral("Can't open missing"));
    EXPECT_EQ(m_sim.CommandCount(), 0u);
    EXPECT_TRUE(m_ui.Captions.isEmpty());

    // Exactly the room fits.
    const QString fits = Source(Numbered(static_cast<int>(m_recorder->GetFreeDriveMemory())));
    EXPECT_TRUE(UploadFileToDrive(m_recorder.get(), fits, Entry(fits), QStringLiteral("fits"), m_ui));
}

// A file larger than the target's disk has free is refused before any job,
// and the message names the file.
TEST_F(DriveFileTransfersTest, ADownloadLargerThanTheDiskHasFreeWritesNothing)
{
    ContentBuilder builder(ContentGeometry::Of(m_sim));
    DriveFileSpec spec;
    spec.data.assign(100, 0x41);
    builder.AddDriveFile(spec);
    builder.WriteTo(m_sim);
    Refresh();
    // As a listed size far beyond any disk.
    m_recorder->GetDriveFiles()->Item(0)->Size = std::int64_t{1} << 58;
    m_sim.ClearLog();
    EXPECT_FALSE(DownloadDriveFile(m_recorder.get(), Path("copy.bin"), 0, m_ui));
    ASSERT_EQ(m_boxes.Boxes.size(), 1u);
    EXPECT_TRUE(m_boxes.Boxes[0].Text.startsWith(QStringLiteral("Not enough disk space in ")));
    EXPECT_TRUE(m_boxes.Boxes[0].Text.endsWith(QStringLiteral("\n") + Path("copy.bin")));
    EXPECT_EQ(m_sim.CommandCount(), 0u);
    EXPECT_FALSE(QFileInfo::exists(Path("copy.bin")));
}

// Every entry takes a block for its name: with none free, an empty file
// and a folder entry are refused before any job, as a file too large is.
TEST_F(DriveFileTransfersTest, AnEmptyFileOrFolderIsRefusedByAFullDrive)
{
    const ContentGeometry geometry = ContentGeometry::Of(m_sim);
    DriveFileSpec filler;
    filler.data.assign((geometry.totalBlocks - geometry.firstDataBlock) * 16128 - (2024 - 64), 0x41);
    ContentBuilder builder(geometry);
    builder.AddDriveFile(filler);
    builder.WriteTo(m_sim);
    Refresh();
    ASSERT_EQ(m_recorder->GetFreeDriveMemory(), 0);
    const QString empty = Source({});
    m_sim.ClearLog();
    EXPECT_FALSE(UploadFileToDrive(m_recorder.get(), empty, Entry(empty), QStringLiteral("empty"), m_ui));
    EXPECT_FALSE(
        UploadFileToDrive(m_recorder.get(), Path("Docs"), Entry(Path("Docs"), true), QStringLiteral("Docs"), m_ui));
    EXPECT_EQ(m_boxes.Texts(), (std::vector<QString>{"Not enough space to locate file " + empty,
                                                     "Not enough space to locate file " + Path("Docs")}));
    EXPECT_EQ(m_sim.CommandCount(), 0u);
    EXPECT_TRUE(m_ui.Captions.isEmpty());
}

TEST_F(DriveFileTransfersTest, FailedOrCancelledDownloadsAnswerFalse)
{
    ContentBuilder builder(ContentGeometry::Of(m_sim));
    DriveFileSpec spec;
    const QByteArray data = Numbered(3 * 16128);
    spec.data.assign(data.begin(), data.end());
    const std::vector<std::uint32_t> blocks = builder.AddDriveFile(spec);
    builder.WriteTo(m_sim);
    Refresh();

    // A target that cannot be made (a directory opens, but not for writing).
    EXPECT_FALSE(DownloadDriveFile(m_recorder.get(), QString::fromStdString(m_dir.Path().string()), 0, m_ui));
    ASSERT_EQ(m_boxes.Boxes.size(), 1u);
    EXPECT_EQ(m_boxes.Boxes[0].Text,
              QStringLiteral("Can't create (modify) file ") + QString::fromStdString(m_dir.Path().string()));
    EXPECT_TRUE(m_ui.Captions.isEmpty());

    // Cancel: no new file, and a file of the name stays as it was.
    m_ui.CancelDuringJob = true;
    EXPECT_FALSE(DownloadDriveFile(m_recorder.get(), Path("cancelled"), 0, m_ui));
    EXPECT_FALSE(QFile::exists(Path("cancelled")));
    const QString existing = Source("old");
    EXPECT_FALSE(DownloadDriveFile(m_recorder.get(), existing, 0, m_ui));
    EXPECT_EQ(Contents(existing), QByteArray("old"));
    EXPECT_EQ(QDir(QString::fromStdString(m_dir.Path().string())).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("source.bin")});
    m_ui.CancelDuringJob = false;
    m_ui.Cancel = false;

    // Two wrong bits in one chunk: told from the job, the download fails.
    std::vector<std::uint8_t> page = m_sim.ReadPage(std::uint64_t{blocks[1]} * 8 + 2);
    page[10] ^= 1;
    page[11] ^= 1;
    m_sim.WritePage(std::uint64_t{blocks[1]} * 8 + 2, page);
    EXPECT_FALSE(DownloadDriveFile(m_recorder.get(), Path("ecc"), 0, m_ui));
    EXPECT_TRUE(m_host.Messages.contains(QStringLiteral("ECC UNCORRECTABLE ERROR")));
    EXPECT_EQ(m_recorder->LastJobOutcome(), TJobOutcome::Failed);

    // A middle block with a damaged header.
    builder.CorruptHeaderCrc(blocks[1]);
    builder.WriteTo(m_sim);
    Refresh();
    EXPECT_FALSE(DownloadDriveFile(m_recorder.get(), Path("gap"), 0, m_ui));
    EXPECT_EQ(m_recorder->LastJobOutcome(), TJobOutcome::Failed);
}

// A write the file system refuses midway (here: a file size limit) is told
// with a reason that fits; the unnamed file has no name to have lost.
TEST_F(DriveFileTransfersTest, ARefusedWriteIsToldWithoutAMissingFolder)
{
    ContentBuilder builder(ContentGeometry::Of(m_sim));
    DriveFileSpec spec;
    const QByteArray data = Numbered(3 * 16128);
    spec.data.assign(data.begin(), data.end());
    builder.AddDriveFile(spec);
    builder.WriteTo(m_sim);
    Refresh();

    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct TRestore {
        struct rlimit Limit;
        void (*Handler)(int);
        ~TRestore()
        {
            ::setrlimit(RLIMIT_FSIZE, &Limit);
            std::signal(SIGXFSZ, Handler);
        }
    } restore{saved, std::signal(SIGXFSZ, SIG_IGN)};
    struct rlimit small = saved;
    small.rlim_cur = 20000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    EXPECT_FALSE(DownloadDriveFile(m_recorder.get(), Path("big.bin"), 0, m_ui));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ASSERT_EQ(m_boxes.Boxes.size(), 1u);
    EXPECT_TRUE(m_boxes.Boxes[0].Text.startsWith(QStringLiteral("Writing error\n")))
        << m_boxes.Boxes[0].Text.toStdString();
    EXPECT_FALSE(m_boxes.Boxes[0].Text.endsWith(GetSystemErrorText(ENOENT))) << m_boxes.Boxes[0].Text.toStdString();
    EXPECT_FALSE(QFile::exists(Path("big.bin")));
}

TEST_F(DriveFileTransfersTest, WaitOnAnIdleRecorderShowsNothingAndFillsTheGauge)
{
    QMainWindow window;
    QWidget panel;
    TMainUiLock lock(window, panel);
    TLongOperation operation(lock);
    TfrmStatus status(&operation, &window);
    operation.SetStatusWindow(&status);
    status.lbStatus->setText(QStringLiteral("before"));
    operation.RequestCancel();

    WaitForRecorderJob(*m_recorder, operation, QStringLiteral("Erasing"));
    EXPECT_FALSE(status.isVisible());
    EXPECT_EQ(status.lbStatus->text(), QStringLiteral("before"));
    EXPECT_EQ(status.cg1->Progress(), 100);
    EXPECT_TRUE(operation.CancelRequested());  // the caller's to look at

    // A running job: its text, the gauge full at the end.
    m_recorder->RefreshContent();
    WaitForRecorderJob(*m_recorder, operation, QStringLiteral("Reading"));
    EXPECT_EQ(m_recorder->GetState(), rsIdle);
    EXPECT_EQ(status.cg1->Progress(), 100);
    EXPECT_TRUE(operation.CancelRequested());
}

// Cancel in the wait for an erase is offered and only asks: the erase ends
// whole, and the upload that would follow it copies nothing.
TEST_F(DriveFileTransfersTest, CancelInTheEraseWaitLetsTheEraseEndAndCopiesNothingMore)
{
    // Aborts are counted: Cancel must not ask for one.
    struct TCountingRecorder : TRecorder {
        using TRecorder::TRecorder;
        void Abort() override
        {
            ++aborts;
            TRecorder::Abort();
        }
        std::atomic<int> aborts{0};
    };
    m_recorder.reset();
    m_link.reset();
    auto counting = std::make_unique<TCountingRecorder>(ctUsb20Adapter);
    TCountingRecorder& recorder = *counting;
    m_recorder = std::move(counting);
    m_link.emplace(m_sim);
    Refresh();
    const QString source = Source(Numbered(3 * 16128 + 5));
    ASSERT_TRUE(UploadFileToDrive(m_recorder.get(), source, Entry(source), QStringLiteral("old.bin"), m_ui));
    Refresh();
    ASSERT_EQ(m_recorder->GetDriveFiles()->Count(), 1);

    QMainWindow window;
    QWidget panel;
    TMainUiLock lock(window, panel);
    TLongOperation operation(lock);
    TfrmStatus status(&operation, &window);
    operation.SetStatusWindow(&status);
    // The erase holds at its first command until Cancel was pressed.
    std::atomic<bool> armed{false};
    std::atomic<bool> released{false};
    m_sim.SetCommandHook([&](std::uint8_t) {
        if (armed.exchange(false))
            WaitUntil([&] { return released.load(); }, std::chrono::seconds(20));
    });
    bool offered = false;
    QTimer press;
    press.setInterval(5);
    QObject::connect(&press, &QTimer::timeout, [&] {
        if (!status.isVisible())
            return;
        offered = status.Button1->isEnabled();
        status.Button1->click();
        released = true;
        press.stop();
    });
    press.start();
    armed = true;
    m_recorder->StartEraseDriveFile(0);
    WaitForRecorderJob(*m_recorder, operation, QStringLiteral("Erasing old.bin"));
    released = true;
    m_sim.SetCommandHook({});

    EXPECT_TRUE(offered) << "Cancel is enabled in the wait";
    EXPECT_EQ(m_recorder->LastJobOutcome(), TJobOutcome::Completed);
    EXPECT_EQ(recorder.aborts, 0) << "the erase was not aborted";
    EXPECT_TRUE(operation.CancelRequested()) << "the caller's to look at";
    Refresh();
    EXPECT_EQ(m_recorder->GetDriveFiles()->Count(), 0) << "erased whole";

    // The upload that would replace it starts nothing.
    m_ui.Cancel = true;
    m_ui.Captions.clear();
    EXPECT_FALSE(UploadFileToDrive(m_recorder.get(), source, Entry(source), QStringLiteral("old.bin"), m_ui));
    EXPECT_TRUE(m_ui.Captions.isEmpty());
    Refresh();
    EXPECT_EQ(m_recorder->GetDriveFiles()->Count(), 0);
    EXPECT_TRUE(m_boxes.Boxes.empty());
}
