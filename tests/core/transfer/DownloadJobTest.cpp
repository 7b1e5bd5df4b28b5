// The download over recordings that the content builder lays into a
// SimRecorder and the scan assembles, at the page size of the device
// library (2048) and of the image link (page and spare, 2112).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>

#include "core/flash/BlockList.h"
#include "core/flash/ContentScan.h"
#include "core/flash/DriveFileList.h"
#include "core/flash/SoundFileList.h"
#include "core/protocol/RecorderCommands.h"
#include "core/recorder/RecorderJobContext.h"
#include "core/recorder/RecorderJobs.h"
#include "core/transfer/DownloadJob.h"
#include "core/transfer/DownloadJobBodies.h"
#include "tests/support/CaptureSink.h"
#include "tests/support/ContentBuilder.h"
#include "tests/support/SimRecorder.h"
#include "tests/support/SimRecorderLink.h"

namespace {

constexpr std::uint32_t kBlocks = 24;
constexpr std::uint16_t kPages = 16;
constexpr std::uint32_t kRate = 8000;
constexpr std::size_t kSecond = 2 * kRate;  // bytes of one second of silence

SimGeometry SmallFlash()
{
    return SmallFlashGeometry(kBlocks, kPages);
}

// A PCM signal that names its sample: never 0, so silence stands apart.
std::int16_t Numbered(std::uint64_t index)
{
    return static_cast<std::int16_t>(index % 20000 + 1);
}

std::int16_t Tone(std::uint64_t index)
{
    return static_cast<std::int16_t>(6000 * std::sin(0.21 * static_cast<double>(index)));
}

std::vector<std::int16_t> Signal(std::uint64_t first, std::size_t count)
{
    std::vector<std::int16_t> samples(count);
    for (std::size_t i = 0; i < count; ++i)
        samples[i] = Numbered(first + i);
    return samples;
}

bool IsSilence(const std::vector<std::uint8_t>& piece)
{
    return std::all_of(piece.begin(), piece.end(), [](std::uint8_t b) { return b == 0; });
}

std::vector<std::int16_t> AsSamples(const std::vector<std::uint8_t>& piece)
{
    std::vector<std::int16_t> samples(piece.size() / 2);
    std::memcpy(samples.data(), piece.data(), samples.size() * 2);
    return samples;
}

// A break at page `page` of block `block`: sound in its first `filled`
// bytes, the next stretch `gap` seconds later.
BreakSpec Break(std::uint32_t block, std::uint32_t page, double gap, std::uint32_t filled)
{
    BreakSpec spec;
    spec.block = block;
    spec.page = page;
    spec.gapSeconds = gap;
    spec.filledBytes = filled;
    return spec;
}

// A sink that raises the abort flag while it takes its first piece.
class AbortingSink : public CaptureSink {
public:
    explicit AbortingSink(std::atomic<std::uint8_t>& abort) : m_abort(abort) {}
    std::int32_t Write(const void* buffer, std::int32_t length) override
    {
        m_abort = 1;
        return CaptureSink::Write(buffer, length);
    }

private:
    std::atomic<std::uint8_t>& m_abort;
};

}  // namespace

class DownloadJobTest : public ::testing::TestWithParam<SimPageStride> {
protected:
    DownloadJobTest()
        : m_sim(std::make_unique<SimRecorder>(SmallFlash(), GetParam())), m_link(*m_sim), m_content(Content())
    {
    }

    ContentGeometry Content() const
    {
        ContentGeometry g;
        g.totalBlocks = kBlocks;
        g.pagesPerBlock = kPages;
        g.pageSize = static_cast<std::uint16_t>(m_sim->PageStride());
        g.firstDataBlock = 1;
        return g;
    }
    std::uint32_t P() const { return m_sim->PageStride(); }
    TFlashGeometry Geometry() const
    {
        return {1, static_cast<std::uint16_t>(kBlocks), kPages, static_cast<std::uint16_t>(P()), 1};
    }

    // PCM samples of a page by its framing, as the builder encodes them.
    std::size_t PcmSamples(bool blockStart, bool afterStamp = false) const
    {
        return (P() - 2 - ContentBuilder::SoundStart(0, blockStart, afterStamp)) / 2;
    }
    std::size_t PcmStampSamples() const { return (P() - 2 - 12) / 2; }

    const TSoundFileInfo& Scan(bool skipSilence = false)
    {
        m_content.WriteTo(*m_sim);
        m_free.Clear();
        m_sounds.Clear();
        m_drives.Clear();
        TScanContext context;
        context.Geometry = Geometry();
        context.SkipSilence = skipSilence;
        TContentScan(context).Run({m_free, m_sounds, m_drives}, [](std::uint8_t) {});
        EXPECT_EQ(m_sounds.Count(), 1);
        return *m_sounds.Item(0);
    }

    TDownloadRequest Request(const TSoundFileInfo* recording, std::uint32_t start, std::uint32_t length)
    {
        TDownloadRequest request;
        request.Recording = recording;
        request.RecordNumber = 1;
        request.Start = start;
        request.Length = length;
        request.Geometry = Geometry();
        request.ReadPages = [this, link = LinkPageReader(Geometry())](std::uint8_t* out, std::uint32_t first,
                                                                      std::uint16_t pages) {
            m_reads.emplace_back(first, pages);
            link(out, first, pages);
        };
        return request;
    }

    TDownloadResult Run(const TDownloadRequest& request, TCustomFile* sink)
    {
        m_reads.clear();
        m_sim->ClearLog();
        return DownloadRecording(request, m_progress, m_abort, sink);
    }

    std::vector<std::uint32_t> PartReadSizes() const
    {
        std::vector<std::uint32_t> sizes;
        for (const SimCommandRecord& record : m_sim->CommandLog())
            if (record.code == cmdGetPartsOfPages)
                sizes.push_back(record.replyBytes);
        return sizes;
    }

    std::unique_ptr<SimRecorder> m_sim;
    SimRecorderLink m_link;
    ContentBuilder m_content;
    TBlockList m_free;
    TSoundFileList m_sounds;
    TDriveFileList m_drives;
    std::vector<std::pair<std::uint32_t, std::uint16_t>> m_reads;
    std::atomic<std::uint8_t> m_progress{0};
    std::atomic<std::uint8_t> m_abort{0};
};

TEST_P(DownloadJobTest, OneStretchHasNoSilenceAndAWholeSecondTail)
{
    m_content.SetSignal(Numbered);
    RecordingSpec spec;
    spec.compress = 0;
    spec.blockCount = 2;
    spec.lastBlockPages = 5;
    m_content.AddRecording(spec);
    const TSoundFileInfo& file = Scan();
    // Block 0, then block 1's five pages and its first unwritten page (a
    // break page, whose erased words decode as 0).
    ASSERT_EQ(file.Pages->Count(), kPages + 6);
    std::vector<std::int16_t> expected = Signal(0, 2 * PcmSamples(true) + 19 * PcmSamples(false));
    expected.insert(expected.end(), PcmSamples(false), 0);

    // The recording's length in whole seconds: the pages up to its end, no
    // silence.
    CaptureSink exact;
    EXPECT_EQ(Run(Request(&file, 0, file.Length), &exact), TDownloadResult::Completed);
    ASSERT_FALSE(exact.Pieces.empty());
    EXPECT_TRUE(std::none_of(exact.Pieces.begin(), exact.Pieces.end(), IsSilence));
    const auto samples = exact.Samples();
    ASSERT_LE(samples.size(), expected.size());
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), expected.begin()));
    EXPECT_EQ(m_progress, 100);

    // Three seconds more: every page, then the time left after them rounded
    // up to whole seconds of silence.
    const double left = file.Length + 3 - (kPages + 6) * file.SecondsPerPage;
    ASSERT_GT(left - std::floor(left), 0.01);
    CaptureSink longer;
    EXPECT_EQ(Run(Request(&file, 0, file.Length + 3), &longer), TDownloadResult::Completed);
    ASSERT_EQ(longer.Pieces.size(), 2 + static_cast<std::size_t>(std::ceil(left)));
    std::vector<std::int16_t> sound = AsSamples(longer.Pieces[0]);
    const auto second = AsSamples(longer.Pieces[1]);
    sound.insert(sound.end(), second.begin(), second.end());
    EXPECT_EQ(sound, expected);
    for (std::size_t i = 2; i < longer.Pieces.size(); ++i) {
        EXPECT_EQ(longer.Pieces[i].size(), kSecond);
        EXPECT_TRUE(IsSilence(longer.Pieces[i]));
    }
}

// Three whole seconds and half a second fill a pause of 3.5 s; the stamp
// page after the break page is not decoded. With skip-silence the page times
// leave no pause, and only the stamp page's time is filled.
TEST_P(DownloadJobTest, APauseBecomesSilenceOfWholeSecondsAndARest)
{
    m_content.SetSignal(Numbered);
    RecordingSpec spec;
    spec.compress = 0;
    spec.breaks = {Break(0, 5, 3, 1000)};
    m_content.AddRecording(spec);
    const std::size_t afterStampFirst = PcmSamples(true) + 5 * PcmSamples(false) + PcmStampSamples();
    const std::size_t secondStretch = PcmSamples(false, true) + 8 * PcmSamples(false);

    // The page times as the scan makes them, moved so that the stretch after
    // the break starts 3.5 s after the break page's end.
    const TSoundFileInfo& scanned = Scan();
    ASSERT_EQ(scanned.Pages->Count(), kPages);
    TSoundFileInfo file;
    file.Header = scanned.Header;
    file.SecondsPerPage = scanned.SecondsPerPage;
    file.Pages = std::make_unique<TSoundPageList>();
    const double breakEnd = scanned.Pages->First().PlayTime + 6 * scanned.SecondsPerPage;
    for (int i = 0; i < scanned.Pages->Count(); ++i) {
        TSoundPage page = *scanned.Pages->Item(i);
        if (i >= 6)
            page.PlayTime = breakEnd + 3.5 + (i - 7) * scanned.SecondsPerPage;
        file.Pages->Add(page);
    }
    const auto length = static_cast<std::uint32_t>(file.Pages->Last().PlayTime - breakEnd + 6 * file.SecondsPerPage);

    CaptureSink sink;
    EXPECT_EQ(Run(Request(&file, 0, length), &sink), TDownloadResult::Completed);
    ASSERT_GE(sink.Pieces.size(), 6u);
    EXPECT_EQ(AsSamples(sink.Pieces[0]).front(), Numbered(0));
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(sink.Pieces[i].size(), kSecond);
        EXPECT_TRUE(IsSilence(sink.Pieces[i]));
    }
    EXPECT_EQ(sink.Pieces[4].size(), kSecond / 2);
    EXPECT_TRUE(IsSilence(sink.Pieces[4]));
    EXPECT_EQ(AsSamples(sink.Pieces[5]), Signal(afterStampFirst, secondStretch));

    const TSoundFileInfo& skipping = Scan(true);
    CaptureSink skipped;
    EXPECT_EQ(Run(Request(&skipping, 0, skipping.Length), &skipped), TDownloadResult::Completed);
    ASSERT_EQ(skipped.Pieces.size(), 3u);
    const auto stampBytes = 2 * static_cast<std::size_t>(std::llround(kRate * skipping.SecondsPerPage));
    EXPECT_EQ(skipped.Pieces[1].size(), stampBytes);
    EXPECT_TRUE(IsSilence(skipped.Pieces[1]));
    EXPECT_EQ(AsSamples(skipped.Pieces[2]), Signal(afterStampFirst, secondStretch));
}

TEST_P(DownloadJobTest, AChunkNeverCrossesABlockAndEachPageIsReadOnce)
{
    RecordingSpec spec;
    spec.blockCount = 3;
    m_content.AddRecording(spec);
    const TSoundFileInfo& file = Scan();
    CaptureSink sink;
    EXPECT_EQ(Run(Request(&file, 3, 10), &sink), TDownloadResult::Completed);

    ASSERT_GE(m_reads.size(), 2u);
    std::vector<std::uint32_t> expectedSizes;
    for (std::size_t i = 0; i < m_reads.size(); ++i) {
        const auto [first, pages] = m_reads[i];
        EXPECT_EQ(first / kPages, (first + pages - 1) / kPages) << "read " << i;
        if (i > 0) {
            EXPECT_EQ(first, m_reads[i - 1].first + m_reads[i - 1].second);
            EXPECT_EQ(first % kPages, 0u);
        }
        expectedSizes.push_back(pages * P());
    }
    EXPECT_NE(m_reads[0].first % kPages, 0u);  // the span starts inside the first block
    EXPECT_EQ(PartReadSizes(), expectedSizes);
}

// The erased words after the sound of a stretch's last page decode as code
// 0: the estimate holds instead of running to full scale.
TEST_P(DownloadJobTest, ErasedTailsOfABreakPageDecodeAsZeroCodes)
{
    for (std::uint8_t param : {2, 1}) {
        SCOPED_TRACE(param == 1 ? "2-bit" : "4-bit");
        m_content = ContentBuilder(Content());
        RecordingSpec spec;
        spec.param = param;
        spec.breaks = {Break(0, 5, 3, 600)};
        m_content.AddRecording(spec);
        const TSoundFileInfo& file = Scan();
        CaptureSink sink;
        EXPECT_EQ(Run(Request(&file, 0, file.Length), &sink), TDownloadResult::Completed);
        ASSERT_FALSE(sink.Pieces.empty());
        const auto stretch = AsSamples(sink.Pieces[0]);
        const auto [low, high] = std::minmax_element(stretch.begin(), stretch.end());
        EXPECT_GT(*low, -20000);
        EXPECT_LT(*high, 20000);
    }
}

// A span that starts on an ordinary page inside a block decodes that page
// from its first sound byte: the samples are the whole download's.
TEST_P(DownloadJobTest, SpansEqualTheMatchingSliceOfTheWholeDownload)
{
    struct Case {
        const char* name;
        std::uint8_t compress, param;
        double noise;  // the codec's error, relative to the signal
    } cases[] = {{"companded", 1, 0, 0.05}, {"ADPCM 4-bit", 2, 2, 0.1}, {"ADPCM 2-bit", 2, 1, 0.35}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_content = ContentBuilder(Content());
        m_content.SetSignal(Tone);
        RecordingSpec spec;
        spec.compress = c.compress;
        spec.param = c.param;
        spec.blockCount = 3;
        m_content.AddRecording(spec);
        const TSoundFileInfo& file = Scan();

        // The whole download is the recorded signal, within the codec's error.
        CaptureSink whole;
        ASSERT_EQ(Run(Request(&file, 0, file.Length), &whole), TDownloadResult::Completed);
        const auto all = whole.Samples();
        double error = 0, power = 0;
        for (std::size_t i = 0; i < all.size(); ++i) {
            error += std::pow(all[i] - Tone(i), 2);
            power += std::pow(Tone(i), 2);
        }
        EXPECT_LT(std::sqrt(error / power), c.noise);

        CaptureSink span;
        ASSERT_EQ(Run(Request(&file, 3, 2), &span), TDownloadResult::Completed);
        const std::uint32_t firstPage = m_reads.at(0).first;
        ASSERT_NE(firstPage % kPages, 0u);
        std::vector<std::int16_t> decoded;
        for (std::size_t i = 0; i < m_reads.size(); ++i) {
            const auto piece = AsSamples(span.Pieces.at(i));
            decoded.insert(decoded.end(), piece.begin(), piece.end());
        }

        // Where the first page's samples lie in the whole download, by the
        // builder's framing.
        std::size_t offset = 0;
        const std::uint32_t first = file.Pages->First().Page;
        for (std::uint32_t page = first; page < firstPage; ++page) {
            const std::size_t bytes = P() - 2 - ContentBuilder::SoundStart(c.compress, page % kPages == 0, false);
            offset += c.compress == 1 ? bytes - (bytes + 160) / 161 : bytes * (c.param == 1 ? 4 : 2);
        }
        ASSERT_LE(offset + decoded.size(), all.size());
        EXPECT_TRUE(std::equal(decoded.begin(), decoded.end(), all.begin() + static_cast<std::ptrdiff_t>(offset)));
    }
}

// After a break on a block's last page, or in a block whose sound ended
// early, the next page of the list is the next block's first: sound.
TEST_P(DownloadJobTest, TheNextBlocksFirstPageAfterABreakIsSound)
{
    struct Case {
        const char* name;
        std::map<std::uint32_t, std::uint32_t> soundPages;
        std::uint32_t breakPage;
    } cases[] = {{"block ended early", {{0, 10}}, 9}, {"break on the last page", {}, kPages - 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_content = ContentBuilder(Content());
        m_content.SetSignal(Numbered);
        for (std::uint32_t b = 0; b < kBlocks; ++b)
            m_sim->EraseBlock(b);
        RecordingSpec spec;
        spec.compress = 0;
        spec.blockCount = 2;
        spec.blockSoundPages = c.soundPages;
        spec.breaks = {Break(0, c.breakPage, 3, 1000)};
        const BuiltRecording built = m_content.AddRecording(spec);
        const TSoundFileInfo& file = Scan();

        CaptureSink sink;
        EXPECT_EQ(Run(Request(&file, 0, file.Length), &sink), TDownloadResult::Completed);
        const std::uint32_t secondBlock = built.blocks[1] * kPages;
        ASSERT_TRUE(std::any_of(m_reads.begin(), m_reads.end(), [&](auto read) { return read.first == secondBlock; }));
        const std::size_t blockStart = PcmSamples(true) + c.breakPage * PcmSamples(false);
        const auto expected = Signal(blockStart, PcmSamples(true));
        const auto samples = sink.Samples();
        EXPECT_NE(std::search(samples.begin(), samples.end(), expected.begin(), expected.end()), samples.end());
    }
}

TEST_P(DownloadJobTest, AVoicePartAfterABreakStartsOnItsStampPage)
{
    m_content.SetSignal(Numbered);
    RecordingSpec spec;
    spec.compress = 0;
    spec.breaks = {Break(0, 5, 3, 1000)};
    m_content.AddRecording(spec);
    const TSoundFileInfo& file = Scan();
    ASSERT_EQ(file.VoiceParts->Count(), 2);

    TDownloadRequest request = Request(&file, 0, 0);
    request.PartIndex = 2;
    CaptureSink sink;
    EXPECT_EQ(Run(request, &sink), TDownloadResult::Completed);
    ASSERT_FALSE(sink.Pieces.empty());
    const std::size_t stampFirst = PcmSamples(true) + 5 * PcmSamples(false);
    EXPECT_EQ(AsSamples(sink.Pieces[0]),
              Signal(stampFirst, PcmStampSamples() + PcmSamples(false, true) + 8 * PcmSamples(false)));
}

TEST_P(DownloadJobTest, AbortAndARefusedWriteEndTheJob)
{
    RecordingSpec spec;
    spec.blockCount = 3;
    m_content.AddRecording(spec);
    const TSoundFileInfo& file = Scan();

    AbortingSink aborting(m_abort);
    EXPECT_EQ(Run(Request(&file, 0, file.Length + 5), &aborting), TDownloadResult::Aborted);
    EXPECT_EQ(aborting.Writes, 1);
    EXPECT_EQ(m_reads.size(), 1u);

    m_abort = 0;
    CaptureSink refusing;
    refusing.RefuseWrite = 2;
    EXPECT_EQ(Run(Request(&file, 0, file.Length + 5), &refusing), TDownloadResult::SinkRefused);
    EXPECT_EQ(refusing.Writes, 2);  // nothing after the refused write, not even the tail
    EXPECT_EQ(refusing.Pieces.size(), 1u);
    EXPECT_EQ(m_reads.size(), 2u);
}

TEST_P(DownloadJobTest, ABadRequestRaisesBeforeAnythingIsRead)
{
    RecordingSpec spec;
    spec.breaks = {Break(0, 5, 3, 1000)};
    m_content.AddRecording(spec);
    const TSoundFileInfo& file = Scan();
    ASSERT_EQ(file.VoiceParts->Count(), 2);
    CaptureSink sink;

    struct Case {
        const char* name;
        const TSoundFileInfo* recording;
        std::optional<int> part;
        TCustomFile* sink;
        const char* text;
    } cases[] = {
        {"no recording", nullptr, std::nullopt, &sink, "Recording 1 not found"},
        {"part 0", &file, 0, &sink, "Recording 1 has no voice part 0 (it has 2)"},
        {"part after the last", &file, 3, &sink, "Recording 1 has no voice part 3 (it has 2)"},
        {"no sink", &file, std::nullopt, nullptr, "No file to download recording 1 into"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TDownloadRequest request = Request(c.recording, 0, 10);
        request.PartIndex = c.part;
        try {
            Run(request, c.sink);
            ADD_FAILURE() << "no error";
        } catch (const std::invalid_argument& error) {
            EXPECT_STREQ(error.what(), c.text);
        }
        EXPECT_TRUE(m_reads.empty());
        EXPECT_TRUE(sink.Pieces.empty());
    }
}

// A short span whose chunk runs to its block's end, a start after the last
// page and a recording without pages: progress stops at 100 and nothing is
// read outside the list.
TEST_P(DownloadJobTest, SpansAtTheEdgesOfTheList)
{
    RecordingSpec spec;
    spec.compress = 0;
    spec.blockCount = 2;
    m_content.AddRecording(spec);
    const TSoundFileInfo& file = Scan();

    CaptureSink shortSpan;
    EXPECT_EQ(Run(Request(&file, 1, 0), &shortSpan), TDownloadResult::Completed);
    ASSERT_EQ(m_reads.size(), 1u);
    EXPECT_GT(m_reads[0].second, 2);
    EXPECT_EQ(m_progress, 100);

    CaptureSink late;
    EXPECT_EQ(Run(Request(&file, file.Length + 10, 2), &late), TDownloadResult::Completed);
    ASSERT_EQ(m_reads.size(), 1u);
    EXPECT_EQ(m_reads[0], std::make_pair(file.Pages->Last().Page, std::uint16_t{1}));

    TSoundFileInfo empty;
    empty.Header = file.Header;
    empty.Pages = std::make_unique<TSoundPageList>();
    CaptureSink nothing;
    EXPECT_EQ(Run(Request(&empty, 0, 2), &nothing), TDownloadResult::Completed);
    EXPECT_TRUE(m_reads.empty());
    EXPECT_EQ(nothing.Pieces.size(), 2u);
}

// The job table's bodies find the recording in the context's lists and
// give the download's ending as the job's outcome.
TEST_P(DownloadJobTest, TheJobBodiesRunOverTheJobContext)
{
    RecordingSpec spec;
    spec.number = 7;
    spec.breaks = {Break(0, 5, 3, 1000)};
    m_content.AddRecording(spec);
    Scan();
    auto run = [&](TRecorderJobBody body, TDownloadJobParams params, TCustomFile* sink) {
        TRecorderJobContext context{params, {}, {m_free, m_sounds, m_drives}, m_progress, m_abort, sink, {}};
        context.Snapshot.Geometry = Geometry();
        return body(context);
    };

    CaptureSink whole;
    EXPECT_EQ(run(DownloadJob, {7, 0, 3, -1}, &whole), TJobOutcome::Completed);
    EXPECT_FALSE(whole.Pieces.empty());
    CaptureSink part;
    EXPECT_EQ(run(DownloadPartJob, {7, 0, 0, 2}, &part), TJobOutcome::Completed);
    EXPECT_FALSE(part.Pieces.empty());
    CaptureSink refusing;
    refusing.RefuseWrite = 1;
    EXPECT_EQ(run(DownloadJob, {7, 0, 3, -1}, &refusing), TJobOutcome::SinkRefused);

    EXPECT_THROW(run(DownloadJob, {8, 0, 3, -1}, &whole), std::invalid_argument);
    // The span's part index (-1) is no voice part.
    EXPECT_THROW(run(DownloadPartJob, {7, 0, 0, -1}, &part), std::invalid_argument);
}

INSTANTIATE_TEST_SUITE_P(PageSizes, DownloadJobTest,
                         ::testing::Values(SimPageStride::PageOnly, SimPageStride::PageAndSpare), [](const auto& info) {
                             return info.param == SimPageStride::PageOnly ? "Page2048" : "Page2112";
                         });
