// The scan job that RefreshContent starts, through the recorder object over
// a SimRecorder and over the image link.
#include <gtest/gtest.h>

#include <iostream>
#include <thread>

#include "core/links/ConnectType.h"
#include "core/links/Link.h"
#include "core/links/LinkGeometry.h"
#include "core/links/image/ImageEmulator.h"
#include "core/protocol/RecorderCommands.h"
#include "core/recorder/ProcessState.h"
#include "core/recorder/Recorder.h"
#include "core/settings/ProgramFolder.h"
#include "core/settings/ProgramOptions.h"
#include "tests/support/FakeRecorderHost.h"
#include "tests/support/ContentBuilder.h"
#include "tests/support/ImageBuilder.h"
#include "tests/support/RecorderFields.h"
#include "tests/support/SimRecorder.h"
#include "tests/support/SimRecorderLink.h"
#include "tests/support/TempDir.h"

namespace {

// Translated captions, and the threads they were asked on.
class CaptionHost : public FakeRecorderHost {
public:
    QString CompressionCaption(TCompressionCaption which) override
    {
        CaptionThreads.push_back(std::this_thread::get_id());
        return which == TCompressionCaption::Adpcm4 ? QStringLiteral("ADPCM 4 bits") : QStringLiteral("autre");
    }
    QString ScaleCaption(int index) override
    {
        CaptionThreads.push_back(std::this_thread::get_id());
        return QStringLiteral("x%1").arg(1 << index);
    }
    std::vector<std::thread::id> CaptionThreads;
};

SimGeometry Flash(std::uint8_t chips, std::uint32_t blocks, std::uint32_t pages)
{
    SimGeometry g;
    g.chips = chips;
    g.blocksPerChip = blocks;
    g.pagesPerBlock = pages;
    g.pageSize = 2048;
    g.spareBytes = 64;
    return g;
}

}  // namespace

class ContentScanJobTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessState();
        SetProgramFolderOverride(QString::fromStdString(m_dir.Path().string()));
    }
    void TearDown() override { ResetProcessState(); }

    // Refresh and wait for the scan.
    static void Refresh(TRecorder& recorder)
    {
        recorder.RefreshContent();
        recorder.WaitForJob();
        EXPECT_EQ(recorder.GetState(), rsIdle);
    }

    TempDir m_dir;
    CaptionHost m_host;
};

TEST_F(ContentScanJobTest, RefreshListsTheContentWithCaptionsTakenBeforehand)
{
    TRecorder recorder(ctUsb11Adapter);
    SimRecorder sim(Flash(1, 64, 32));
    SimRecorderLink link(sim);
    ContentBuilder content(ContentGeometry::Of(sim));
    RecordingSpec spec;
    spec.number = 4;
    spec.blockCount = 2;
    content.AddRecording(spec);
    DriveFileSpec file;
    file.name = u"a.txt";
    file.data.assign(10, 1);
    content.AddDriveFile(file);
    content.WriteTo(sim);

    ASSERT_TRUE(recorder.IsContentChanged());
    Refresh(recorder);
    EXPECT_EQ(recorder.LastJobOutcome(), TJobOutcome::Completed);
    EXPECT_FALSE(recorder.IsContentChanged());
    ASSERT_EQ(recorder.GetSoundFiles()->Count(), 1);
    EXPECT_EQ(recorder.GetSoundFiles()->Item(0)->Description, QStringLiteral("8000 Hz; ADPCM 4 bits; "));
    ASSERT_EQ(recorder.GetDriveFiles()->Count(), 1);
    EXPECT_EQ(recorder.GetDriveFiles()->Item(0)->Name, QStringLiteral("a.txt"));
    EXPECT_EQ(Fields(recorder).FFreeBlocks->Count(), 64 - 1 - 3);
    EXPECT_EQ(recorder.GetTotalMemory(), 64 * 32 * 2112);
    EXPECT_EQ(recorder.GetFreeMemory(), std::int64_t{60} * (32 * 2112 - 64));

    ASSERT_FALSE(m_host.CaptionThreads.empty());
    for (std::thread::id id : m_host.CaptionThreads)
        EXPECT_EQ(id, std::this_thread::get_id());  // never on the scan thread
}

TEST_F(ContentScanJobTest, LinkFailureKeepsContentChangedAndNoHalfBuiltRecording)
{
    TRecorder recorder(ctUsb11Adapter);
    SimRecorder sim(Flash(1, 64, 32));
    SimRecorderLink link(sim);
    ContentBuilder content(ContentGeometry::Of(sim));
    for (std::uint16_t n = 1; n <= 2; ++n) {
        RecordingSpec spec;
        spec.number = n;
        content.AddRecording(spec);
    }
    content.WriteTo(sim);
    SimFault fault;
    fault.skip = 2;  // headers, the first recording's status words
    fault.code = cmdGetPartsOfPages;
    sim.InjectFault(fault);

    Refresh(recorder);
    EXPECT_EQ(recorder.LastJobOutcome(), TJobOutcome::Failed);
    EXPECT_TRUE(recorder.IsContentChanged());
    EXPECT_EQ(recorder.LastJobError().Code, cmdGetPartsOfPages);
    ASSERT_EQ(recorder.GetSoundFiles()->Count(), 1);
    EXPECT_EQ(recorder.GetSoundFiles()->Item(0)->Number, 1);
    EXPECT_GT(recorder.GetSoundFiles()->Item(0)->Pages->Count(), 0);

    // The next refresh gets it all.
    Refresh(recorder);
    EXPECT_EQ(recorder.LastJobOutcome(), TJobOutcome::Completed);
    EXPECT_EQ(recorder.GetSoundFiles()->Count(), 2);
    EXPECT_FALSE(recorder.IsContentChanged());
}

TEST_F(ContentScanJobTest, SkipSilenceReachesTheScan)
{
    TRecorder recorder(ctUsb11Adapter);
    SimRecorder sim(Flash(1, 16, 32));
    SimRecorderLink link(sim);
    ContentBuilder content(ContentGeometry::Of(sim));
    RecordingSpec spec;
    BreakSpec brk;
    brk.page = 3;
    brk.gapSeconds = 100;
    spec.breaks = {brk};
    content.AddRecording(spec);
    content.WriteTo(sim);

    Refresh(recorder);
    const std::uint32_t withGap = recorder.GetSoundFiles()->Item(0)->Length;
    recorder.SetSkipSilence(true);
    EXPECT_TRUE(recorder.IsContentChanged());
    Refresh(recorder);
    const std::uint32_t skipped = recorder.GetSoundFiles()->Item(0)->Length;
    EXPECT_GE(withGap, skipped + 99);
}

TEST_F(ContentScanJobTest, ImageFileWithRecordingsAndFiles)
{
    const std::string path = m_dir.File("content.qdm");
    ImageBuilder image;
    image.Geometry(2048, 64, 32).Blocks(24).FirstDataBlock(1);
    ContentGeometry geometry;
    geometry.totalBlocks = 24;
    geometry.pagesPerBlock = 32;
    geometry.pageSize = 2112;  // what command 29 reports on images
    geometry.firstDataBlock = 1;
    ContentBuilder content(geometry);
    RecordingSpec spec;
    spec.compress = 1;
    spec.param = 1;
    spec.blockCount = 2;
    BreakSpec brk;
    brk.block = 1;
    brk.page = 10;
    spec.breaks = {brk};
    spec.call = CallSpec{1, false, {5, 5, 5}, std::nullopt};
    content.AddRecording(spec);
    DriveFileSpec file;
    file.number = 2;
    file.name = u"dir\\b.bin";
    file.data.assign(70000, 7);
    content.AddDriveFile(file);
    content.WriteTo(image);
    image.Write(path);

    TRecorder recorder(ctImageFile);
    recorder.SetImageFile(QString::fromStdString(path));
    ASSERT_TRUE(recorder.CheckConnection());
    ASSERT_TRUE(recorder.CheckPassword(QString()));
    Refresh(recorder);
    ASSERT_EQ(recorder.LastJobOutcome(), TJobOutcome::Completed);
    EXPECT_EQ(Fields(recorder).FPageSize, 2112);

    ASSERT_EQ(recorder.GetSoundFiles()->Count(), 1);
    const TSoundFileInfo& r = *recorder.GetSoundFiles()->Item(0);
    EXPECT_EQ(r.Description, QStringLiteral("In \u2116 555; 8000 Hz; autre; x2"));
    EXPECT_EQ(r.CodecId, 2);
    EXPECT_EQ(r.Pages->Count(), 64);
    EXPECT_EQ(r.VoiceParts->Count(), 2);
    EXPECT_EQ(r.Size, 2 * 32 * 2112);
    ASSERT_EQ(recorder.GetDriveFiles()->Count(), 1);
    EXPECT_EQ(recorder.GetDriveFiles()->Item(0)->Name, QStringLiteral("dir\\b.bin"));
    EXPECT_EQ(recorder.GetDriveFiles()->Item(0)->Size, 70000);
    EXPECT_EQ(recorder.GetDriveFiles()->Item(0)->Blocks->Count(), 2);
    EXPECT_EQ(Fields(recorder).FFreeBlocks->Count(), 24 - 1 - 4);
}

// A 2 x 4096-block recorder with 500 recordings: what the scan moves over
// the link against the header and status bytes it needs.
TEST_F(ContentScanJobTest, LinkEfficiencyOfALargeScan)
{
    TRecorder recorder(ctUsb11Adapter);
    SimRecorder sim(Flash(2, 4096, 128));
    SimRecorderLink link(sim);
    ContentBuilder content(ContentGeometry::Of(sim));
    content.SetWriteFullBlocks(false);
    content.SetSignal([](std::uint64_t i) { return static_cast<std::int16_t>((i % 64) * 300 - 9600); });
    std::uint64_t calls = 0;
    for (std::uint16_t n = 1; n <= 500; ++n) {
        RecordingSpec spec;
        spec.number = n;
        spec.start = 1700000000u + n * 20000u;
        spec.blockCount = 1 + n % 3;
        spec.lastBlockPages = 4;
        if (n % 5 == 0) {
            spec.call = CallSpec{1, true, {1, 2, 3}, std::nullopt};
            ++calls;
        }
        content.AddRecording(spec);
    }
    content.WriteTo(sim);

    Refresh(recorder);
    ASSERT_EQ(recorder.LastJobOutcome(), TJobOutcome::Completed);
    ASSERT_EQ(recorder.GetSoundFiles()->Count(), 500);
    EXPECT_EQ(recorder.GetTotalMemory(), std::int64_t{2214592512});  // beyond 31 bits
    const std::int64_t freeBlocks = Fields(recorder).FFreeBlocks->Count();
    EXPECT_EQ(recorder.GetFreeMemory(), freeBlocks * (128 * 2112 - 64));

    std::uint64_t moved = 0;
    std::uint64_t commands = 0;
    for (const SimCommandRecord& record : sim.CommandLog()) {
        if (record.code != cmdGetPartsOfPages)
            continue;
        moved += record.requestBytes + record.replyBytes;
        ++commands;
    }
    const std::uint64_t needed = 8192 * 64 + 500 * 128 * 2 + calls * 26;
    std::cout << "scan of 2 x 4096 blocks, 500 recordings: " << commands << " commands, " << moved << " bytes moved, "
              << needed << " bytes needed\n";
    EXPECT_EQ(commands, 8192 / 256 + 500 + calls);
    EXPECT_LE(static_cast<double>(moved), 1.2 * static_cast<double>(needed));
}
