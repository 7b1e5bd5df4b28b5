// The content scan over a SimRecorder filled by the content builder, at the
// page size of the image link (page and spare, 2112) and of the device
// library (2048).
#include <gtest/gtest.h>

#include <QFile>
#include <cmath>
#include <memory>
#include <random>

#include "core/flash/BlockHeader.h"
#include "core/flash/BlockList.h"
#include "core/flash/ContentScan.h"
#include "core/flash/DriveFileList.h"
#include "core/flash/SoundFileList.h"
#include "core/protocol/DebugLog.h"
#include "core/protocol/RecXchange.h"
#include "core/protocol/RecorderClock.h"
#include "core/protocol/RecorderCommands.h"
#include "tests/support/ContentBuilder.h"
#include "tests/support/SimRecorder.h"
#include "tests/support/SimRecorderLink.h"
#include "tests/support/TempDir.h"

namespace {

constexpr std::uint32_t kBlocks = 40;
constexpr std::uint16_t kPages = 32;
constexpr std::uint16_t kFirstDataBlock = 2;
constexpr std::uint32_t kStart = 1700000000;

SimGeometry SmallFlash()
{
    SimGeometry g;
    g.chips = 1;
    g.blocksPerChip = kBlocks;
    g.pagesPerBlock = kPages;
    g.pageSize = 2048;
    g.spareBytes = 64;
    return g;
}

}  // namespace

class ContentScanTest : public ::testing::TestWithParam<SimPageStride> {
protected:
    ContentScanTest()
        : m_sim(std::make_unique<SimRecorder>(SmallFlash(), GetParam())), m_link(*m_sim), m_content(Geometry())
    {
        m_sim->SetFirstDataBlock(kFirstDataBlock);
    }

    void SetUp() override
    {
        ResetDebugLog();
        DebugLogState().FileName = m_dir.File("debug.log");
        DebugLogState().DebugLevel = 1;
    }
    void TearDown() override { ResetDebugLog(); }

    ContentGeometry Geometry() const
    {
        ContentGeometry g;
        g.totalBlocks = kBlocks;
        g.pagesPerBlock = kPages;
        g.pageSize = static_cast<std::uint16_t>(m_sim->PageStride());
        g.firstDataBlock = kFirstDataBlock;
        return g;
    }
    std::uint16_t P() const { return static_cast<std::uint16_t>(m_sim->PageStride()); }

    TScanContext Context() const
    {
        TScanContext context;
        context.Geometry = {1, static_cast<std::uint16_t>(kBlocks), kPages, P(), kFirstDataBlock};
        context.SkipSilence = m_skipSilence;
        context.Texts = m_texts;
        return context;
    }

    // Writes the content into the recorder and scans it with a fresh log.
    void Scan()
    {
        m_content.WriteTo(*m_sim);
        m_sim->ClearLog();
        TContentScan scan(Context());
        m_progress.clear();
        scan.Run(Lists(), [this](std::uint8_t percent) { m_progress.push_back(percent); });
        m_freeBytes = scan.FreeBytes();
    }
    TContentLists Lists() { return {m_free, m_sounds, m_drives}; }

    // Reply sizes of the command-76 reads of the last scan.
    std::vector<std::uint32_t> PartReads() const
    {
        std::vector<std::uint32_t> sizes;
        for (const SimCommandRecord& record : m_sim->CommandLog())
            if (record.code == cmdGetPartsOfPages)
                sizes.push_back(record.replyBytes);
        return sizes;
    }
    std::uint32_t HeaderRead() const { return 64 * kBlocks; }
    std::uint32_t StatusRead() const { return 2 * kPages; }
    std::uint32_t StampRead() const { return 16 * kPages; }

    QString LogText() const
    {
        QFile file(QString::fromStdString(DebugLogState().FileName));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    // Erased flash, empty lists and a new builder for the next case.
    void ResetFlash()
    {
        for (std::uint32_t b = 0; b < kBlocks; ++b)
            m_sim->EraseBlock(b);
        m_content = ContentBuilder(Geometry());
        m_free.Clear();
        m_sounds.Clear();
        m_drives.Clear();
    }

    TSoundFileInfo& Recording(int index = 0) { return *m_sounds.Item(index); }

    TempDir m_dir;
    std::unique_ptr<SimRecorder> m_sim;
    SimRecorderLink m_link;
    ContentBuilder m_content;
    bool m_skipSilence = false;
    TScanTexts m_texts;
    TBlockList m_free;
    TSoundFileList m_sounds;
    TDriveFileList m_drives;
    std::vector<std::uint8_t> m_progress;
    std::uint64_t m_freeBytes = 0;
};

// Flash whose headers are valid but whose fields and pages are anything at
// all: the scan ends, and what it lists is whole.
TEST_P(ContentScanTest, HostileFlashNeverBreaksTheScan)
{
    std::mt19937 random(17);
    auto byte = [&random] { return static_cast<std::uint8_t>(random()); };
    int listed = 0;
    for (int round = 0; round < 12; ++round) {
        ResetFlash();
        for (std::uint32_t block = 0; block < kBlocks; ++block) {
            if (random() % 4 == 0)
                continue;  // erased
            for (std::uint16_t page = 0; page < kPages; ++page) {
                std::vector<std::uint8_t> bytes(P());
                for (auto& b : bytes)
                    b = random() % 3 == 0 ? 0xFF : byte();
                if (page == 0) {
                    TBlockHeader header;
                    for (auto& b : header.Bytes)
                        b = byte();
                    header.SetOwner(static_cast<std::uint16_t>(random() % 2 ? random() % 6 : 0x8000 | random() % 4));
                    header.SetTime(kStart + random() % 50000);
                    header.SetSequence(static_cast<std::uint16_t>(random() % 4));
                    header.UpdateCrc();
                    header.WriteCopies(bytes.data());
                }
                m_sim->WritePage(static_cast<std::uint64_t>(block) * kPages + page, bytes);
            }
        }
        TContentScan scan(Context());
        try {
            scan.Run(Lists(), [](std::uint8_t) {});
        } catch (const TERecXchange&) {
        }
        EXPECT_LE(scan.FreeBytes(), std::uint64_t{kBlocks} * kPages * P()) << "round " << round;
        for (int i = 0; i < m_sounds.Count(); ++i) {
            const TSoundFileInfo& recording = *m_sounds.Item(i);
            ASSERT_TRUE(recording.Pages) << "round " << round;
            EXPECT_GT(recording.Pages->Count(), 0) << "round " << round;
        }
        listed += m_sounds.Count() + m_drives.Count();
    }
    EXPECT_GT(listed, 0) << "the hostile flash must reach the assembly";
}

INSTANTIATE_TEST_SUITE_P(PageSizes, ContentScanTest,
                         ::testing::Values(SimPageStride::PageAndSpare, SimPageStride::PageOnly), [](const auto& info) {
                             return info.param == SimPageStride::PageAndSpare ? "P2112" : "P2048";
                         });

TEST_P(ContentScanTest, ContiguousRecordingReadsOnlyItsLastBlocksStatusWords)
{
    RecordingSpec spec;
    spec.number = 3;
    spec.blockCount = 3;
    const BuiltRecording built = m_content.AddRecording(spec);
    Scan();

    // One header read for the whole flash, then the last block's status
    // words (its next stamp is -1); no stamps.
    EXPECT_EQ(PartReads(), (std::vector<std::uint32_t>{HeaderRead(), StatusRead()}));
    ASSERT_EQ(m_sounds.Count(), 1);
    TSoundFileInfo& r = Recording();
    EXPECT_EQ(r.Number, 3);
    EXPECT_EQ(r.NumberText, QStringLiteral("3"));
    ASSERT_EQ(r.Pages->Count(), 3 * kPages);
    // The play clock runs on from block to block; it is not reset to the
    // blocks' (truncated) stamps.
    const double s = built.secondsPerBlock / kPages;
    EXPECT_DOUBLE_EQ(r.SecondsPerPage, s);
    for (int k = 0; k < r.Pages->Count(); ++k) {
        const TSoundPage& page = *r.Pages->Item(k);
        EXPECT_NEAR(page.PlayTime, kStart + k * s, 1e-3) << k;
        EXPECT_EQ(page.Break, 0);
        EXPECT_EQ(page.Page, built.blocks[static_cast<std::size_t>(k / kPages)] * kPages + k % kPages);
    }
    ASSERT_NE(r.VoiceParts, nullptr);
    EXPECT_EQ(r.VoiceParts->Count(), 0);
    EXPECT_EQ(r.Size, std::int64_t{3} * kPages * P());
    EXPECT_EQ(r.Length, static_cast<std::uint32_t>(3 * kPages * s));
    EXPECT_EQ(r.StartTime.wYear, RtcToSystemTime(kStart).wYear);
    EXPECT_EQ(r.StartTime.wSecond, RtcToSystemTime(kStart).wSecond);
    EXPECT_EQ(r.Blocks->Count(), 3);
    EXPECT_EQ(r.Format.SamplesPerSec, 8000u);
    EXPECT_EQ(r.Format.AvgBytesPerSec, 16000u);
}

TEST_P(ContentScanTest, LastBlockWithPagesZeroToNineWritten)
{
    RecordingSpec spec;
    spec.lastBlockPages = 10;
    m_content.AddRecording(spec);
    Scan();

    ASSERT_EQ(m_sounds.Count(), 1);
    const TSoundPageList& pages = *Recording().Pages;
    ASSERT_EQ(pages.Count(), 11);
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(pages.Item(k)->Break, 0);
    EXPECT_EQ(pages.Item(10)->Break, 1);
    EXPECT_TRUE(LogText().contains(QStringLiteral("Page 10 is last sound page")));
    EXPECT_TRUE(LogText().contains(QStringLiteral("Block 0 has break at page 10")));
    // Unwritten pages but no break before them: no stamps read.
    EXPECT_EQ(PartReads(), (std::vector<std::uint32_t>{HeaderRead(), StatusRead()}));
    EXPECT_EQ(Recording().VoiceParts->Count(), 0);
}

TEST_P(ContentScanTest, BlocksOutOfOrderAreSortedByTime)
{
    RecordingSpec spec;
    spec.blockCount = 3;
    spec.blocks = {20, 5, 12};  // in time order
    const BuiltRecording built = m_content.AddRecording(spec);
    // Another recording with equal stamps: the sequence field decides.
    RecordingSpec same;
    same.number = 9;
    same.blockCount = 2;
    same.blocks = {30, 25};
    same.start = kStart + 100000;
    m_content.AddRecording(same);
    TBlockHeader h = TBlockHeader::Vote(m_content.PageBytes(25 * kPages).data());
    h.SetTime(kStart + 100000);
    h.UpdateCrc();
    m_content.WriteHeader(25, h);
    Scan();

    ASSERT_EQ(m_sounds.Count(), 2);
    const TBlockList& blocks = *Recording(m_sounds.IndexOfNumber(1)).Blocks;
    ASSERT_EQ(blocks.Count(), 3);
    EXPECT_EQ(blocks.Item(0)->Block, 20);
    EXPECT_EQ(blocks.Item(1)->Block, 5);
    EXPECT_EQ(blocks.Item(2)->Block, 12);
    EXPECT_EQ(Recording().Header.Time(), built.times[0]);
    EXPECT_EQ(Recording().Pages->Item(kPages)->Page, 5u * kPages);

    const TBlockList& tied = *Recording(m_sounds.IndexOfNumber(9)).Blocks;
    EXPECT_EQ(tied.Item(0)->Block, 30);  // sequence 1
    EXPECT_EQ(tied.Item(1)->Block, 25);  // sequence 2
}

TEST_P(ContentScanTest, StampsCompareAsSignedNumbersNotAsADifference)
{
    // Two blocks more than 2^31 seconds apart: an unsigned or 32-bit
    // difference would put them the other way round.
    RecordingSpec spec;
    spec.blockCount = 2;
    spec.blocks = {10, 4};
    spec.start = 5;
    m_content.AddRecording(spec);
    TBlockHeader late = TBlockHeader::Vote(m_content.PageBytes(4 * kPages).data());
    late.SetTime(0xF0000000u);
    late.UpdateCrc();
    m_content.WriteHeader(4, late);
    Scan();
    EXPECT_EQ(Recording().Blocks->Item(0)->Block, 10);
    EXPECT_EQ(Recording().Blocks->Item(1)->Block, 4);
}

TEST_P(ContentScanTest, MidBlockBreakGivesATimeJumpAndTwoVoiceParts)
{
    for (bool skip : {false, true}) {
        SCOPED_TRACE(skip ? "skip silence" : "real time");
        ResetFlash();
        m_skipSilence = skip;
        RecordingSpec spec;
        spec.blockCount = 2;
        BreakSpec brk;
        brk.block = 0;
        brk.page = 5;
        brk.gapSeconds = 7;
        spec.breaks = {brk};
        const BuiltRecording built = m_content.AddRecording(spec);
        Scan();

        // Block 0's next stamp is 7 s late: status words and stamps are read.
        EXPECT_EQ(PartReads(), (std::vector<std::uint32_t>{HeaderRead(), StatusRead(), StampRead(), StatusRead()}));
        const double s = built.secondsPerBlock / kPages;
        TSoundFileInfo& r = Recording();
        const TSoundPageList& pages = *r.Pages;
        ASSERT_EQ(pages.Count(), 2 * kPages);
        EXPECT_EQ(pages.Item(5)->Break, 1);
        const auto stamp = static_cast<std::uint32_t>(std::trunc(kStart + 6 * s + 7));
        EXPECT_EQ(pages.Item(6)->RecorderTime, stamp);
        EXPECT_NEAR(pages.Item(6)->PlayTime, skip ? kStart + 6 * s : stamp, 1e-6);
        EXPECT_NEAR(pages.Item(7)->PlayTime - pages.Item(6)->PlayTime, s, 1e-6);
        EXPECT_TRUE(LogText().contains(QStringLiteral("Block 0 has break at page 5")));

        ASSERT_EQ(r.VoiceParts->Count(), 2);
        const TSoundFileInfo& first = *r.VoiceParts->Item(0);
        const TSoundFileInfo& second = *r.VoiceParts->Item(1);
        EXPECT_EQ(first.Pages->Count(), 6);
        EXPECT_EQ(second.Pages->Count(), 2 * kPages - 6);
        EXPECT_EQ(first.Pages->Item(0), pages.Item(0));  // the recording's own entries
        EXPECT_EQ(second.Pages->Item(0), pages.Item(6));
        EXPECT_EQ(first.NumberText, QStringLiteral("1.1"));
        EXPECT_EQ(second.NumberText, QStringLiteral("1.2"));
        EXPECT_EQ(second.Number, 2);
        EXPECT_EQ(second.Parent, &r);
        EXPECT_EQ(second.Blocks->Count(), 0);
        EXPECT_EQ(first.Size, 6 * P());
        EXPECT_EQ(first.Length, static_cast<std::uint32_t>(6 * s));
        EXPECT_EQ(second.StartTime.wSecond, RtcToSystemTime(stamp).wSecond);
        // Skipping silence shortens the recording by the gap.
        const double expected = skip ? 2 * kPages * s : pages.Last().PlayTime - kStart + s;
        EXPECT_EQ(r.Length, static_cast<std::uint32_t>(expected));
    }
}

TEST_P(ContentScanTest, BreakOnTheLastPageOfABlockResumesAtTheNextBlocksTime)
{
    RecordingSpec spec;
    spec.blockCount = 2;
    BreakSpec brk;
    brk.page = kPages - 1;
    brk.gapSeconds = 30;
    spec.breaks = {brk};
    const BuiltRecording built = m_content.AddRecording(spec);
    Scan();
    const TSoundPageList& pages = *Recording().Pages;
    ASSERT_EQ(pages.Count(), 2 * kPages);
    EXPECT_EQ(pages.Item(kPages - 1)->Break, 1);
    EXPECT_DOUBLE_EQ(pages.Item(kPages)->PlayTime, built.times[1]);
    EXPECT_EQ(pages.Item(kPages)->RecorderTime, built.times[1]);
    EXPECT_EQ(Recording().VoiceParts->Count(), 2);
}

TEST_P(ContentScanTest, BadStampsResumeAtTheNextBlocksTime)
{
    struct Case {
        const char* name;
        std::optional<std::uint32_t> stamp;
        bool unwrittenTail;  // block 0 ends early, no stamps are read
    };
    const Case cases[] = {
        {"erased stamp", 0xFFFFFFFFu, false},
        {"stamp before the clock", 1000u, false},
        {"stamp after the next block", kStart + 100000u, false},
        {"unwritten pages, no stamps read", std::nullopt, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetFlash();
        RecordingSpec spec;
        spec.blockCount = 2;
        if (c.unwrittenTail) {
            spec.blockSoundPages[0] = 10;
        } else {
            BreakSpec brk;
            brk.page = 5;
            brk.gapSeconds = 10;  // beyond the tolerance, so block 0 is read
            brk.stamp = c.stamp;
            spec.breaks = {brk};
        }
        const BuiltRecording built = m_content.AddRecording(spec);
        std::uint32_t next = built.times[1];
        if (c.unwrittenTail) {
            // The recording paused: block 1 starts 20 s late.
            TBlockHeader late = TBlockHeader::Vote(m_content.PageBytes(built.blocks[1] * kPages).data());
            next = late.Time() + 20;
            late.SetTime(next);
            late.UpdateCrc();
            m_content.WriteHeader(built.blocks[1], late);
        }
        Scan();
        const TSoundPageList& pages = *Recording().Pages;
        for (int k = 0; k < pages.Count(); ++k) {
            EXPECT_LE(pages.Item(k)->PlayTime, next + 2 * built.secondsPerBlock) << k;
            EXPECT_GE(pages.Item(k)->PlayTime, kStart) << k;
            EXPECT_LE(pages.Item(k)->RecorderTime, next + 2 * built.secondsPerBlock) << k;
        }
        const int resumed = c.unwrittenTail ? 11 : 6;
        EXPECT_EQ(pages.Item(resumed - 1)->Break, 1);
        EXPECT_DOUBLE_EQ(pages.Item(resumed)->PlayTime, next);
        EXPECT_EQ(pages.Item(resumed)->RecorderTime, next);
        EXPECT_LT(Recording().Length, 3600u);
    }
}

// The last block has no next stamp to check a break's stamp against: an
// erased stamp must not move the clocks to 2106.
TEST_P(ContentScanTest, AnErasedStampAfterABreakInTheLastBlockKeepsTheClocksInTheRecording)
{
    RecordingSpec spec;
    spec.blockCount = 2;
    BreakSpec brk;
    brk.block = 1;
    brk.page = 5;
    brk.stamp = 0xFFFFFFFFu;
    spec.breaks = {brk};
    const BuiltRecording built = m_content.AddRecording(spec);
    Scan();
    const TSoundPageList& pages = *Recording().Pages;
    ASSERT_EQ(pages.Count(), 2 * kPages);
    EXPECT_EQ(pages.Item(kPages + 5)->Break, 1);
    const double end = built.times[1] + built.secondsPerBlock + 1;
    for (int k = 0; k < pages.Count(); ++k) {
        EXPECT_LE(pages.Item(k)->PlayTime, end) << k;
        EXPECT_LE(pages.Item(k)->RecorderTime, end) << k;
    }
    EXPECT_LT(Recording().Length, 3600u);
}

TEST_P(ContentScanTest, LastBlockBreakThenUnwrittenTail)
{
    RecordingSpec spec;
    BreakSpec brk;
    brk.page = 3;
    brk.gapSeconds = 5;
    spec.breaks = {brk};
    spec.lastBlockPages = 10;
    m_content.AddRecording(spec);
    Scan();
    // The unwritten page after page 9 votes its stamp to 0xFFFFFFFF; the
    // clocks run on instead.
    const TSoundPageList& pages = *Recording().Pages;
    ASSERT_EQ(pages.Count(), 11);
    EXPECT_EQ(pages.Item(3)->Break, 1);
    EXPECT_EQ(pages.Item(10)->Break, 1);
    EXPECT_EQ(Recording().VoiceParts->Count(), 2);
    EXPECT_LT(Recording().Length, 60u);
}

TEST_P(ContentScanTest, HeaderCopiesCrcAndReservedBlocks)
{
    RecordingSpec one;
    one.blocks = {4};
    m_content.AddRecording(one);
    m_content.CorruptHeaderCopy(4, 1);  // read right from the other two
    RecordingSpec two;
    two.number = 2;
    two.blocks = {6};
    m_content.AddRecording(two);
    m_content.CorruptHeaderCrc(6);
    m_content.WriteHalfWrittenHeader(8);
    TBlockHeader reserved;
    reserved.SetOwner(5);
    reserved.UpdateCrc();
    m_content.WriteHeader(1, reserved);  // a recording's header in a reserved block
    Scan();

    ASSERT_EQ(m_sounds.Count(), 1);
    EXPECT_EQ(Recording().Number, 1);
    EXPECT_EQ(Recording().Blocks->Item(0)->Block, 4);
    EXPECT_TRUE(LogText().contains(QStringLiteral("ERROR: Block 6 is not empty, but has invalid header.")));
    EXPECT_TRUE(LogText().contains(QStringLiteral("ERROR: Block 8 is not empty, but has invalid header.")));
    EXPECT_TRUE(LogText().contains(QStringLiteral("    02 00 ")));  // the bytes of block 6's header
    EXPECT_FALSE(LogText().contains(QStringLiteral("Block 1 ")));

    // Free: every data block but 4, 6 and 8; never 0 or 1, erased or not.
    std::vector<std::uint32_t> free;
    for (int i = 0; i < m_free.Count(); ++i)
        free.push_back(m_free.Item(i)->Block);
    EXPECT_EQ(free.size(), kBlocks - kFirstDataBlock - 3);
    EXPECT_EQ(free.front(), kFirstDataBlock);
    EXPECT_EQ(std::count(free.begin(), free.end(), 6u), 0);
    EXPECT_EQ(std::count(free.begin(), free.end(), 8u), 0);
    EXPECT_EQ(m_freeBytes, free.size() * (std::uint64_t{kPages} * P() - 64));
}

TEST_P(ContentScanTest, DescriptionsPerCodec)
{
    // The dialog's current caption.
    m_texts.Compressions[static_cast<std::size_t>(TCompressionCaption::NoCompress)] = QStringLiteral("Sans compression");
    struct Case {
        std::uint8_t compress, param, rate, statusVas, cyclic;
        const char* description;
        std::uint8_t codecId;
        std::uint8_t status;
    };
    const Case cases[] = {
        {0, 0, 0, 0x00, 0, "16000 Hz; Sans compression; ", 0, 0xFF},
        {1, 2, 1, 0x40, 0, "8000 Hz; uLaw; 4", 2, 0x55},
        {1, 7, 1, 0x00, 0, "8000 Hz; uLaw; ", 2, 0xFF},  // scale beyond the list
        {2, 1, 2, 0xC0, 0, "4000 Hz; ADPCM 2 bit; ", 3, 0xFF},
        {2, 2, 1, 0x05, 1, "8000 Hz; ADPCM 4 bit;  Circular; VAS; ", 1, 0xFF},
        {2, 0, 1, 0x85, 0, "8000 Hz; ADPCM 4 bit; ", 1, 0xAA},  // uploaded: no VAS note
        {7, 0, 1, 0x00, 0, "8000 Hz; ", 0, 0xFF},
    };
    std::uint16_t number = 1;
    for (const Case& c : cases) {
        RecordingSpec spec;
        spec.number = number++;
        spec.compress = c.compress;
        spec.param = c.param;
        spec.rateCode = c.rate;
        spec.statusVas = c.statusVas;
        spec.cyclic = c.cyclic;
        m_content.AddRecording(spec);
    }
    RecordingSpec call;
    call.number = number;
    call.call = CallSpec{1, true, {0, 4, 9, 5, 12}, std::nullopt};
    m_content.AddRecording(call);
    Scan();

    ASSERT_EQ(m_sounds.Count(), static_cast<int>(std::size(cases)) + 1);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const TSoundFileInfo& r = *m_sounds.Item(static_cast<int>(i));
        EXPECT_EQ(r.Description, QString::fromUtf8(cases[i].description)) << i;
        EXPECT_EQ(r.CodecId, cases[i].codecId) << i;
        EXPECT_EQ(r.Status, cases[i].status) << i;
        EXPECT_TRUE(r.CallText.isEmpty());
    }
    const TSoundFileInfo& withCall = *m_sounds.Item(m_sounds.Count() - 1);
    EXPECT_EQ(withCall.CallText, QStringLiteral("Out \u2116 04950"));
    EXPECT_EQ(withCall.Description, QStringLiteral("Out \u2116 04950; 8000 Hz; ADPCM 4 bit; "));
    // One more read for the call information of its first block.
    const std::vector<std::uint32_t> reads = PartReads();
    EXPECT_EQ(std::count(reads.begin(), reads.end(), 90u), 1);
}

TEST_P(ContentScanTest, CallInformationThatIsNotValidOrTooLong)
{
    RecordingSpec invalid;
    invalid.call = CallSpec{2, false, {1, 2}, std::nullopt};
    m_content.AddRecording(invalid);
    RecordingSpec tooLong;
    tooLong.number = 2;
    tooLong.call = CallSpec{1, false, std::vector<std::uint8_t>(20, 3), 250};
    m_content.AddRecording(tooLong);
    Scan();
    EXPECT_TRUE(Recording(0).CallText.isEmpty());
    EXPECT_EQ(Recording(1).CallText, QStringLiteral("In \u2116 ") + QString(20, u'3'));
}

TEST_P(ContentScanTest, FlashDriveNamesSizesAndFolders)
{
    RecordingSpec recording;
    m_content.AddRecording(recording);
    DriveFileSpec big;
    big.number = 3;
    big.name = u"Docs\\Report.txt";
    big.data.assign(90000, 0x5A);
    big.time = kStart + 60;
    const std::vector<std::uint32_t> bigBlocks = m_content.AddDriveFile(big);
    DriveFileSpec folder;
    folder.number = 0x7FFE;
    folder.name = u"Docs";
    folder.folder = true;
    m_content.AddDriveFile(folder);
    Scan();

    ASSERT_EQ(bigBlocks.size(), 2u);
    ASSERT_EQ(m_drives.Count(), 2);
    const TDriveFileInfo& file = *m_drives.Item(m_drives.IndexOfNumber(3));
    EXPECT_EQ(file.Name, QStringLiteral("Docs\\Report.txt"));
    EXPECT_EQ(file.Size, 90000);
    EXPECT_EQ(file.Flag, 0);
    EXPECT_EQ(file.Time.wMinute, RtcToSystemTime(kStart + 60).wMinute);
    EXPECT_TRUE(file.SecondText.isEmpty());
    ASSERT_EQ(file.Blocks->Count(), 2);
    EXPECT_EQ(file.Blocks->Item(0)->Block, bigBlocks[0]);
    EXPECT_EQ(file.Blocks->Item(1)->Block, bigBlocks[1]);
    EXPECT_EQ(file.Header.DriveSequence(), 1);

    const TDriveFileInfo& dir = *m_drives.Item(m_drives.IndexOfNumber(0x7FFE));
    EXPECT_EQ(dir.Name, QStringLiteral("Docs"));
    EXPECT_EQ(dir.Size, 0);
    EXPECT_EQ(dir.Flag, 1);
    EXPECT_EQ(m_drives.IndexOfName(QStringLiteral("Docs")), m_drives.IndexOfNumber(0x7FFE));
    EXPECT_EQ(m_sounds.Count(), 1);
}

TEST_P(ContentScanTest, LinkFailureDropsWhatWasNotAssembled)
{
    for (std::uint16_t n = 1; n <= 3; ++n) {
        RecordingSpec spec;
        spec.number = n;
        spec.blockCount = 2;
        m_content.AddRecording(spec);
    }
    DriveFileSpec file;
    m_content.AddDriveFile(file);
    m_content.WriteTo(*m_sim);
    // Header read and the first recording's status read pass; the second's fails.
    SimFault fault;
    fault.skip = 2;
    fault.code = cmdGetPartsOfPages;
    m_sim->InjectFault(fault);
    TContentScan scan(Context());
    EXPECT_THROW(scan.Run(Lists(), [](std::uint8_t) {}), TERecXchange);

    ASSERT_EQ(m_sounds.Count(), 1);
    EXPECT_EQ(Recording().Number, 1);
    EXPECT_EQ(Recording().Pages->Count(), 2 * kPages);
    EXPECT_EQ(m_drives.Count(), 0);
    EXPECT_GT(m_free.Count(), 0);
}

TEST_P(ContentScanTest, ProgressOverHeadersThenRecordings)
{
    for (std::uint16_t n = 1; n <= 4; ++n) {
        RecordingSpec spec;
        spec.number = n;
        m_content.AddRecording(spec);
    }
    Scan();
    // 40 blocks in one run, then one step per recording.
    EXPECT_EQ(m_progress, (std::vector<std::uint8_t>{100, 0, 25, 50, 75}));
}
