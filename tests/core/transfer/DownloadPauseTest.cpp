// Pauses between two stretches of a recording: a genuine pause of days
// becomes silence, a jump of more than a month is a damaged stamp that
// gives none, and a span that ends after such a jump still ends at its end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "core/flash/BlockList.h"
#include "core/flash/ContentScan.h"
#include "core/flash/DriveFileList.h"
#include "core/flash/SoundFileList.h"
#include "core/recorder/CustomFile.h"
#include "core/transfer/DownloadJob.h"
#include "tests/support/ContentBuilder.h"
#include "tests/support/SimRecorder.h"
#include "tests/support/SimRecorderLink.h"

namespace {

constexpr std::uint32_t kBlocks = 8;
constexpr std::uint16_t kPages = 16;
constexpr std::uint32_t kRate = 4000;
constexpr double kDay = 24 * 3600.0;

std::int16_t Numbered(std::uint64_t index)
{
    return static_cast<std::int16_t>(index % 20000 + 1);
}

// Keeps the sound, counts the silence: days of it stay cheap. The signal is
// never 0 and every piece of sound begins with it, so a piece that begins
// with 0 is silence.
struct TPauseOutput {
    std::vector<std::int16_t> Sound;
    std::uint64_t SilenceBytes = 0;
    std::uint64_t Bytes = 0;
};

class PauseSink : public TCustomFile, public TPauseOutput {
public:
    std::int32_t Read(void*, std::int32_t) override { return 0; }
    std::int32_t Write(const void* buffer, std::int32_t length) override
    {
        Bytes += static_cast<std::uint64_t>(length);
        const auto* samples = static_cast<const std::int16_t*>(buffer);
        const std::size_t count = static_cast<std::size_t>(length) / 2;
        if (count > 0 && samples[0] == 0)
            SilenceBytes += static_cast<std::uint64_t>(length);
        else
            Sound.insert(Sound.end(), samples, samples + count);
        return length;
    }
};

}  // namespace

// One PCM block: a break on page 5, its stamp on page 6, the second stretch
// from page 7 on, moved `gap` seconds after the end of the first.
class DownloadPauseTest : public ::testing::Test {
protected:
    DownloadPauseTest() : m_sim(SmallFlashGeometry(kBlocks, kPages), SimPageStride::PageOnly), m_link(m_sim) {}

    TFlashGeometry Geometry() const
    {
        return {1, static_cast<std::uint16_t>(kBlocks), kPages, static_cast<std::uint16_t>(m_sim.PageStride()), 1};
    }

    void Build(double gap)
    {
        ContentGeometry g;
        g.totalBlocks = kBlocks;
        g.pagesPerBlock = kPages;
        g.pageSize = static_cast<std::uint16_t>(m_sim.PageStride());
        g.firstDataBlock = 1;
        ContentBuilder content(g);
        content.SetSignal(Numbered);
        RecordingSpec spec;
        spec.compress = 0;
        spec.rateCode = 2;  // 4000 Hz: the second stretch lasts over two seconds
        BreakSpec pause;
        pause.block = 0;
        pause.page = 5;
        pause.gapSeconds = 3;
        pause.filledBytes = 1000;
        spec.breaks = {pause};
        content.AddRecording(spec);
        content.WriteTo(m_sim);
        TBlockList free;
        TDriveFileList drives;
        TScanContext context;
        context.Geometry = Geometry();
        TContentScan(context).Run({free, m_sounds, drives}, [](std::uint8_t) {});
        ASSERT_EQ(m_sounds.Count(), 1);
        const TSoundFileInfo& scanned = *m_sounds.Item(0);
        ASSERT_EQ(scanned.Pages->Count(), kPages);

        m_file.Header = scanned.Header;
        m_file.Number = 1;
        m_file.SecondsPerPage = scanned.SecondsPerPage;
        m_file.Pages = std::make_unique<TSoundPageList>();
        m_breakEnd = scanned.Pages->First().PlayTime + 6 * scanned.SecondsPerPage;
        for (int i = 0; i < scanned.Pages->Count(); ++i) {
            TSoundPage page = *scanned.Pages->Item(i);
            if (i >= 6)
                page.PlayTime = m_breakEnd + gap + (i - 7) * scanned.SecondsPerPage;
            m_file.Pages->Add(page);
        }
        m_file.Length = static_cast<std::uint32_t>(m_file.Pages->Last().PlayTime - m_file.Pages->First().PlayTime +
                                                   m_file.SecondsPerPage);
    }

    TDownloadRequest Request(std::uint32_t start, std::uint32_t length) const
    {
        TDownloadRequest request;
        request.Recording = &m_file;
        request.RecordNumber = 1;
        request.Start = start;
        request.Length = length;
        request.Geometry = Geometry();
        return request;
    }

    TPauseOutput Download(std::uint32_t start, std::uint32_t length)
    {
        PauseSink sink;
        std::atomic<std::uint8_t> progress{0};
        std::atomic<std::uint8_t> abort{0};
        EXPECT_EQ(DownloadRecording(Request(start, length), progress, abort, &sink), TDownloadResult::Completed);
        return static_cast<const TPauseOutput&>(sink);
    }

    SimRecorder m_sim;
    SimRecorderLink m_link;
    TSoundFileList m_sounds;
    TSoundFileInfo m_file;
    double m_breakEnd = 0;
};

// Up to a month a pause is real: two days of silence come between the
// stretches. Beyond it the stamp is damaged: the stretches join, and the
// audio is the same as with a short pause.
TEST_F(DownloadPauseTest, ADaysLongPauseIsSilenceAndOneBeyondAMonthIsADamagedStamp)
{
    Build(2.5);
    const std::vector<std::int16_t> sound = Download(0, m_file.Length).Sound;
    ASSERT_FALSE(sound.empty());

    struct Case {
        const char* name;
        double gap;
        double silenceSeconds;
    } cases[] = {{"two days", 2 * kDay, 2 * kDay}, {"thirty days", 30 * kDay, 30 * kDay}, {"forty days", 40 * kDay, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Build(c.gap);
        const TPauseOutput sink = Download(0, m_file.Length);
        // The erased tail of the break page decodes as zeros: part of a page, no more.
        const double pageBytes = 2.0 * kRate * m_file.SecondsPerPage;
        EXPECT_NEAR(static_cast<double>(sink.SilenceBytes), 2.0 * kRate * c.silenceSeconds, pageBytes);
        EXPECT_EQ(sink.Sound, sound);
    }
}

// A span that ends within the stretch after a damaged stamp (the listed
// length includes the jump) ends at its end, as a span after a short pause
// does, not at the end of the block.
TEST_F(DownloadPauseTest, ASpanAcrossADamagedStampEndsAtItsEnd)
{
    for (const double gap : {2.5, 40 * kDay}) {
        SCOPED_TRACE(gap);
        Build(gap);
        const TPauseOutput whole = Download(0, m_file.Length);
        // The span's end: a second after the second stretch's page 8 begins, before its last page.
        const double secondStretch = m_file.Pages->Item(7)->PlayTime;
        const double start = std::trunc(m_file.Pages->First().PlayTime);
        const auto length = static_cast<std::uint32_t>(m_file.Pages->Item(8)->PlayTime + 1 - start);
        const TPauseOutput span = Download(0, length);

        // The first stretch whole, then the second up to the span's end.
        const double firstStretch = m_breakEnd - m_file.Pages->First().PlayTime;
        const double expected = (firstStretch + start + length - secondStretch) * kRate;
        EXPECT_NEAR(static_cast<double>(span.Sound.size()), expected, 64);
        ASSERT_LT(span.Sound.size(), whole.Sound.size());
        EXPECT_TRUE(std::equal(span.Sound.begin(), span.Sound.end(), whole.Sound.begin()));
    }
}
