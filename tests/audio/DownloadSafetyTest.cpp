// What a download and an erase do when the flash is not what the lists say,
// the span is a part, or a time stamp is damaged: over an image file, the
// image emulator and the real jobs.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <filesystem>
#include <memory>

#include "audio/DownloadToFile.h"
#include "core/flash/SoundFileList.h"
#include "core/protocol/SampleRate.h"
#include "core/recorder/CustomFile.h"
#include "core/recorder/Recorder.h"
#include "core/settings/StagedFile.h"
#include "core/transfer/BlockRecovery.h"
#include "core/transfer/DownloadJob.h"
#include "localizer/LangConst.h"
#include "tests/audio/ImageRecorderFixture.h"
#include "tests/support/ContentBuilder.h"

namespace {

constexpr std::uint32_t kRate = 8000;

// Counts what comes; refuses what would pass 64 MiB, so that a download
// running away ends soon.
class CountingSink : public TCustomFile {
public:
    std::uint64_t Bytes = 0;

    std::int32_t Read(void*, std::int32_t) override { return 0; }
    std::int32_t Write(const void*, std::int32_t length) override
    {
        if (Bytes + static_cast<std::uint64_t>(length) > (std::uint64_t{64} << 20))
            return 0;
        Bytes += static_cast<std::uint64_t>(length);
        return length;
    }
};

}  // namespace

class DownloadSafetyTest : public ImageRecorderFixture {
protected:
    void SetUp() override
    {
        ImageRecorderFixture::SetUp();
        WriteImage(m_dir.File("content.qdm"), 1700000000u);
        ASSERT_NO_FATAL_FAILURE(OpenImage(m_dir.File("content.qdm"), 2));
    }

    // Recording 1: three blocks of ADPCM; recording 2: one block whose
    // second stretch carries a stamp 4,000,000 s late.
    static void WriteImage(const std::string& path, std::uint32_t start)
    {
        ContentBuilder content = SmallFlashContent();
        RecordingSpec longer;
        longer.number = 1;
        longer.start = start;
        longer.blockCount = 3;
        content.AddRecording(longer);
        RecordingSpec damaged;
        damaged.number = 2;
        damaged.start = start + 10000;
        BreakSpec gap;
        gap.page = 12;
        gap.gapSeconds = 4000000;
        damaged.breaks = {gap};
        content.AddRecording(damaged);
        WriteSmallFlashImage(content, path);
    }
    void Refresh()
    {
        m_recorder->RefreshContent();
        m_recorder->WaitForJob();
        ASSERT_EQ(m_recorder->LastJobOutcome(), TJobOutcome::Completed);
    }
    TSoundFileInfo& Recording(std::uint16_t number)
    {
        TSoundFileList& files = *m_recorder->GetSoundFiles();
        return *files.Item(files.IndexOfNumber(number));
    }
    std::uint64_t Download(std::uint16_t number, std::uint32_t start, std::uint32_t length)
    {
        CountingSink sink;
        m_recorder->StartDownload(number, start, length, &sink);
        m_recorder->WaitForJob();
        EXPECT_EQ(m_recorder->LastJobOutcome(), TJobOutcome::Completed);
        return sink.Bytes;
    }
    std::uint64_t Planned(std::uint16_t number, std::uint32_t start, std::uint32_t length)
    {
        TDownloadRequest request;
        request.Recording = &Recording(number);
        request.RecordNumber = number;
        request.Start = start;
        request.Length = length;
        request.Geometry = m_recorder->Geometry();
        return DownloadOutputBytes(request);
    }
    QStringList Files() const
    {
        return QDir(QString::fromStdString(m_dir.Path().string()))
            .entryList({QStringLiteral("*.wav"), QStringLiteral(".*.part")}, QDir::Files | QDir::Hidden);
    }
    static std::vector<char> FileBytes(const std::string& path)
    {
        QFile file(QString::fromStdString(path));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QByteArray bytes = file.readAll();
        return {bytes.begin(), bytes.end()};
    }
};

// "Copy selected part": the span ends where it was chosen, to the sample,
// not at the end of the block it ends in; the planned size is what comes.
TEST_F(DownloadSafetyTest, ThePartAskedForIsThePartWritten)
{
    const TSoundFileInfo& recording = Recording(1);
    ASSERT_GT(recording.Length, 40u);
    const TSoundPageList& pages = *recording.Pages;
    const struct {
        std::uint32_t start;
        std::uint32_t length;
    } spans[] = {{2, 3}, {0, 1}, {20, 7}};
    for (const auto& span : spans) {
        SCOPED_TRACE(span.start);
        const double start = std::trunc(pages.Item(0)->PlayTime + span.start);
        int k = 0;
        while (k < pages.Count() && pages.Item(k)->PlayTime < start)
            ++k;
        const double first = pages.Item(k > 0 ? k - 1 : 0)->PlayTime;
        const auto expected = 2 * static_cast<std::uint64_t>(std::llround((start + span.length - first) * kRate));
        EXPECT_EQ(Download(1, span.start, span.length), expected);
        EXPECT_EQ(Planned(1, span.start, span.length), expected);
    }
    // The whole recording still runs to its last sample.
    const std::uint64_t whole = Download(1, 0, recording.Length);
    EXPECT_GE(whole, 2ull * kRate * recording.Length);
    EXPECT_EQ(Planned(1, 0, recording.Length), whole);
}

// A stamp 4,000,000 s late is damaged: no silence for it, and the size
// planned for the download says so before it starts.
TEST_F(DownloadSafetyTest, ADamagedStampWritesNoSilence)
{
    const TSoundFileInfo& recording = Recording(2);
    ASSERT_GT(recording.Length, 4000000u);
    const std::uint64_t bytes = Download(2, 0, recording.Length);
    EXPECT_LT(bytes, 2ull * kRate * 60);
    EXPECT_GT(bytes, 2ull * kRate * 10);
    EXPECT_EQ(Planned(2, 0, recording.Length), bytes);
}

// A download whose output is larger than the free space writes nothing
// and says so once, with the sizes.
TEST_F(DownloadSafetyTest, ADownloadLargerThanTheFreeSpaceWritesNothing)
{
    const QString target = QString::fromStdString(m_dir.File("rec.wav"));
    EXPECT_FALSE(DownloadRecordToFile(m_recorder.get(), target, &Recording(1), 0xFFFFFFFFu, 0, m_ui));
    EXPECT_TRUE(m_ui.Captions.isEmpty());  // no job started
    ASSERT_EQ(m_host.Messages.size(), 1);
    EXPECT_TRUE(m_host.Messages[0].startsWith(QStringLiteral("Not enough disk space in ")))
        << m_host.Messages[0].toStdString();
    EXPECT_TRUE(Files().isEmpty());

    EXPECT_FALSE(CheckDiskSpace(QString::fromStdString(m_dir.Path().string()), 1).has_value());
}

// The program's own erase without a rescan: the row left behind is refused
// with "content has changed", and no file of decoded erased flash is made.
TEST_F(DownloadSafetyTest, AStaleRowIsRefused)
{
    m_recorder->StartEraseSoundFile(1);
    m_recorder->WaitForJob();
    ASSERT_EQ(m_recorder->LastJobOutcome(), TJobOutcome::Completed);
    TSoundFileInfo& stale = Recording(1);
    const QString target = QString::fromStdString(m_dir.File("rec.wav"));
    EXPECT_FALSE(DownloadRecordToFile(m_recorder.get(), target, &stale, stale.Length, 0, m_ui));
    EXPECT_EQ(m_recorder->LastJobOutcome(), TJobOutcome::Failed);
    EXPECT_EQ(m_recorder->LastJobError().Text, LangConst(QStringLiteral("ContentChangedStr")));
    EXPECT_TRUE(Files().isEmpty());
}

// Another image put in place of the attached one: an erase from the old
// lists erases nothing of it; the next probe is a disconnect with a
// message, the one after connects to the new image, to be scanned anew.
TEST_F(DownloadSafetyTest, AReplacedImageIsADisconnectAndErasesNothingOfIt)
{
    const std::string path = m_dir.File("content.qdm");
    WriteImage(m_dir.File("other.qdm"), 1710000000u);
    std::filesystem::rename(m_dir.File("other.qdm"), path);
    const std::vector<char> before = FileBytes(path);

    m_recorder->StartEraseSoundFile(1);
    m_recorder->WaitForJob();
    EXPECT_EQ(m_recorder->LastJobOutcome(), TJobOutcome::Failed);
    EXPECT_EQ(FileBytes(path), before);

    EXPECT_FALSE(m_recorder->CheckConnection());
    ASSERT_EQ(m_host.Messages.size(), 1);
    EXPECT_TRUE(m_host.Messages[0].contains(QStringLiteral("was replaced"))) << m_host.Messages[0].toStdString();
    EXPECT_TRUE(m_host.Messages[0].contains(QString::fromStdString(path)));
    EXPECT_TRUE(m_recorder->CheckConnection());
    EXPECT_TRUE(m_recorder->IsContentChanged());
    ASSERT_TRUE(m_recorder->CheckPassword(QString()));
    Refresh();
    EXPECT_EQ(m_recorder->GetSoundFiles()->Count(), 2);
    EXPECT_EQ(FileBytes(path), before);
    EXPECT_EQ(m_host.Messages.size(), 1);
}

// The downloaded mark needs a recovery copy of the recording's first block;
// when it cannot be saved (a folder in its way) the WAV stays, the "Writing
// error" naming the copy and the system's reason is told once, and the
// flash is as it was.
TEST_F(DownloadSafetyTest, AMarkWhoseRecoveryCopyCannotBeSavedIsToldOnceAndChangesNothing)
{
    TSoundFileInfo& recording = Recording(1);
    const QString copy = BlockRecoveryPath(m_recorder->GetSerialNumber(), recording.Blocks->Item(0)->Block);
    ASSERT_TRUE(QDir().mkpath(copy));
    const std::vector<char> image = FileBytes(m_dir.File("content.qdm"));
    const QString wav = QString::fromStdString(m_dir.File("rec.wav"));

    EXPECT_TRUE(DownloadRecordToFile(m_recorder.get(), wav, &recording, recording.Length, 0, m_ui));
    EXPECT_TRUE(QFileInfo::exists(wav));
    ASSERT_EQ(m_host.Messages.size(), 1);
    EXPECT_EQ(m_host.Messages[0], EFileWriteError(copy, EISDIR).Text());
    EXPECT_NE(recording.Status, 0x55);
    EXPECT_EQ(FileBytes(m_dir.File("content.qdm")), image);
}
