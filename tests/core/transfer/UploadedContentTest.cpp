// Uploads bring the recorder's lists up to date themselves: after a batch of
// recordings and flash-drive files the lists equal a full scan's, with no
// scan in between.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <sstream>

#include "core/flash/BlockList.h"
#include "core/flash/DriveFileList.h"
#include "core/flash/SoundFileList.h"
#include "core/flash/SoundPageList.h"
#include "core/links/ConnectType.h"
#include "core/protocol/RecorderClock.h"
#include "core/protocol/RecorderCommands.h"
#include "core/recorder/ProcessState.h"
#include "core/recorder/Recorder.h"
#include "core/settings/ProgramFolder.h"
#include "tests/support/ContentBuilder.h"
#include "tests/support/FakeRecorderHost.h"
#include "tests/support/MemoryWaveSource.h"
#include "tests/support/RecorderFields.h"
#include "tests/support/RecorderRefresh.h"
#include "tests/support/SimRecorder.h"
#include "tests/support/SimRecorderLink.h"
#include "tests/support/TempDir.h"

namespace {

constexpr std::uint32_t kPages = 8;

std::vector<std::int16_t> Tone(std::size_t count)
{
    std::vector<std::int16_t> samples(count);
    for (std::size_t i = 0; i < count; ++i)
        samples[i] = static_cast<std::int16_t>((i * 37) % 4000 - 2000);
    return samples;
}

void Put(std::ostringstream& out, const TBlockHeader& header)
{
    for (std::uint8_t b : header.Bytes)
        out << int{b} << ',';
}

void Put(std::ostringstream& out, const TBlockList& blocks)
{
    out << '[';
    for (int i = 0; i < blocks.Count(); ++i) {
        const TBlockRecord& r = *blocks.Item(i);
        out << r.Block << '/' << r.PageCount << '/';
        Put(out, r.Header);
        for (std::uint8_t b : r.CallInfo.Bytes)
            out << int{b} << '.';
        out << ' ';
    }
    out << "]\n";
}

void Put(std::ostringstream& out, const TCustomSoundFileList& files)
{
    for (int i = 0; i < files.Count(); ++i) {
        const TSoundFileInfo& f = *files.Item(i);
        out << "recording " << f.Number << ' ' << f.NumberText.toStdString() << " size " << f.Size << " length "
            << f.Length << " start " << SystemTimeToRtc(f.StartTime) << " rate " << f.Format.SamplesPerSec << ' '
            << f.CallText.toStdString() << " | " << f.Description.toStdString() << " status " << int{f.Status}
            << " spb " << f.SecondsPerBlock << " codec " << int{f.CodecId} << " spp " << f.SecondsPerPage << " header ";
        Put(out, f.Header);
        if (f.Blocks)
            Put(out, *f.Blocks);
        if (f.Pages)
            for (int p = 0; p < f.Pages->Count(); ++p) {
                const TSoundPage& page = *f.Pages->Item(p);
                out << page.Page << '@' << page.PlayTime << '/' << page.RecorderTime << '/' << int{page.Break} << ' ';
            }
        out << '\n';
        if (f.VoiceParts) {
            out << "parts {\n";
            Put(out, *f.VoiceParts);
            out << "}\n";
        }
    }
}

// Everything the lists hold, as text (a difference shows where it is).
std::string Describe(TRecorder& recorder)
{
    std::ostringstream out;
    out << "free ";
    Put(out, *Fields(recorder).FFreeBlocks);
    out << "free bytes " << recorder.GetFreeMemory() << " drive " << recorder.GetFreeDriveMemory() << '\n';
    Put(out, *recorder.GetSoundFiles());
    const TDriveFileList& drives = *recorder.GetDriveFiles();
    for (int i = 0; i < drives.Count(); ++i) {
        const TDriveFileInfo& d = *drives.Item(i);
        out << "drive " << d.Number << ' ' << d.Name.toStdString() << " size " << d.Size << " time "
            << SystemTimeToRtc(d.Time) << " flag " << int{d.Flag} << ' ' << d.SecondText.toStdString() << " header ";
        Put(out, d.Header);
        Put(out, *d.Blocks);
    }
    return out.str();
}

const SYSTEMTIME kTime = RtcToSystemTime(1700000000);

}  // namespace

// A recorder whose content leaves holes below and between its items, so
// that new items land in front of old ones in a scan's order.
class UploadedContentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessState();
        SetProgramFolderOverride(QString::fromStdString(m_dir.Path().string()));
        ContentBuilder builder(ContentGeometry::Of(m_sim));
        RecordingSpec five;
        five.number = 5;
        five.blockCount = 2;
        five.blocks = {9, 6};
        builder.AddRecording(five);
        RecordingSpec nine;
        nine.number = 9;
        nine.blocks = {12};
        builder.AddRecording(nine);
        DriveFileSpec file;
        file.number = 1;
        file.name = u"OLD.TXT";
        file.data.assign(300, 0x33);
        file.blocks = {4};
        builder.AddDriveFile(file);
        builder.WriteTo(m_sim);
        m_recorder = std::make_unique<TRecorder>(ctUsb20Adapter);
        m_link.emplace(m_sim);
        RefreshAndWait(*m_recorder);
    }
    void TearDown() override
    {
        m_recorder.reset();
        m_link.reset();
        ResetProcessState();
    }

    void UploadRecording(std::uint16_t number, std::size_t samples, std::uint8_t compress = 2, std::uint8_t param = 2)
    {
        Fields(*m_recorder).FUploadCompress = compress;
        Fields(*m_recorder).FUploadParam = param;
        MemorySource source(Tone(samples), 8000);
        m_recorder->StartUpload(number, &source, kTime);
        m_recorder->WaitForJob();
        ASSERT_EQ(m_recorder->LastJobOutcome(), TJobOutcome::Completed)
            << m_recorder->LastJobError().Text.toStdString();
        EXPECT_FALSE(m_recorder->IsContentChanged());
    }

    void UploadFile(const QString& name, int bytes)
    {
        int fd = INVALID_HANDLE_VALUE;
        std::string path;
        if (bytes >= 0) {
            path = (m_dir.Path() / "source").string();
            QFile file(QString::fromStdString(path));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(bytes, 'q'));
            file.close();
            fd = ::open(path.c_str(), O_RDONLY);
        }
        m_recorder->StartDriveFileUpload(name, fd, kTime);
        m_recorder->WaitForJob();
        if (fd >= 0)
            ::close(fd);
        ASSERT_EQ(m_recorder->LastJobOutcome(), TJobOutcome::Completed)
            << m_recorder->LastJobError().Text.toStdString();
        EXPECT_FALSE(m_recorder->IsContentChanged());
    }

    TempDir m_dir;
    FakeRecorderHost m_host;
    SimRecorder m_sim{SmallFlashGeometry(32, kPages)};
    std::optional<SimRecorderLink> m_link;
    std::unique_ptr<TRecorder> m_recorder;
};

TEST_F(UploadedContentTest, ABatchOfUploadsLeavesTheListsOfAFullScan)
{
    const std::size_t blockSamples = 2 * 2048 * kPages;  // about one block of 4-bit ADPCM
    UploadRecording(10, 1000);
    UploadFile(QStringLiteral("NEW.TXT"), 5000);
    UploadFile(QStringLiteral("DIR"), -1);
    UploadRecording(11, 3 * blockSamples, 0, 0);  // several blocks, into the holes and beyond
    UploadFile(QStringLiteral("DIR\\EMPTY.BIN"), 0);
    UploadRecording(12, blockSamples / 2, 1, 2);
    m_sim.ClearLog();
    const std::string updated = Describe(*m_recorder);

    RefreshAndWait(*m_recorder);
    EXPECT_EQ(updated, Describe(*m_recorder));
    EXPECT_EQ(m_recorder->GetSoundFiles()->Count(), 5);
    EXPECT_EQ(m_recorder->GetDriveFiles()->Count(), 4);
}

// The read back costs the written blocks, not a scan: no identity reads,
// fewer page reads than the scan of this small flash.
TEST_F(UploadedContentTest, TheUpdateReadsOnlyWhatTheUploadWrote)
{
    m_sim.ClearLog();
    UploadRecording(10, 1000);
    UploadFile(QStringLiteral("NEW.TXT"), 5000);
    EXPECT_EQ(m_sim.CommandCount(cmdGetFlashParam), 0u);
    const std::size_t updateReads = m_sim.CommandCount(cmdGetPartsOfPages);
    EXPECT_GT(updateReads, 0u);
    m_sim.ClearLog();
    RefreshAndWait(*m_recorder);
    EXPECT_LT(updateReads, m_sim.CommandCount(cmdGetPartsOfPages));
}

// What the update cannot file as a scan would leaves the content changed:
// an upload to a number that is listed already joins that recording.
TEST_F(UploadedContentTest, AnUploadToAListedNumberLeavesTheContentChanged)
{
    MemorySource source(Tone(1000), 8000);
    m_recorder->StartUpload(9, &source, kTime);
    m_recorder->WaitForJob();
    ASSERT_EQ(m_recorder->LastJobOutcome(), TJobOutcome::Completed);
    EXPECT_TRUE(m_recorder->IsContentChanged());
    EXPECT_THROW(m_recorder->StartUpload(13, &source, kTime), std::logic_error);
}
