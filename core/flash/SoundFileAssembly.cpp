#include "core/flash/SoundFileAssembly.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "core/flash/CodecTable.h"
#include "core/flash/FlashLayout.h"
#include "core/flash/PageReads.h"
#include "core/flash/SoundFileInfo.h"
#include "core/flash/SoundFileList.h"
#include "core/protocol/DebugLog.h"
#include "core/protocol/Majority.h"
#include "core/protocol/RecorderClock.h"
#include "core/protocol/RecorderCommands.h"
#include "core/protocol/SampleRate.h"
#include "core/recorder/RecorderCapacity.h"

namespace {

constexpr double kToleranceShare = 0.05;
constexpr double kMinToleranceSeconds = 1.0;
constexpr std::uint16_t kStampArea = 16;  // three copies of a u32 stamp, and 4 bytes more

template <typename... Args> void Log(const char* format, Args... args)
{
    if (DebugLogOn())
        DebugLog(QString::asprintf(format, args...));
}

// Time order; the stamps compare as signed 64-bit numbers, ties by the
// sequence field, then by block number.
bool EarlierBlock(const TBlockRecord& a, const TBlockRecord& b)
{
    const std::int64_t ta = a.Header.Time();
    const std::int64_t tb = b.Header.Time();
    if (ta != tb)
        return ta < tb;
    if (a.Header.Sequence() != b.Header.Sequence())
        return a.Header.Sequence() < b.Header.Sequence();
    return a.Block < b.Block;
}

// The page walk of a recording: two clocks that carry from block to block
// and resync only at breaks. Buffers are made once per recording.
class TPageWalk {
public:
    TPageWalk(const TScanContext& context, TSoundFileInfo& recording, double secondsPerBlock, double start)
        : m_geometry(context.Geometry), m_skipSilence(context.SkipSilence), m_pages(*recording.Pages),
          m_perBlock(secondsPerBlock), m_perPage(secondsPerBlock / context.Geometry.PagesPerBlock), m_start(start),
          m_play(start), m_clock(start), m_breaks(context.Geometry.PagesPerBlock),
          m_status(2 * std::size_t{context.Geometry.PagesPerBlock}),
          m_stampArea(kStampArea * std::size_t{context.Geometry.PagesPerBlock}),
          m_stamps(context.Geometry.PagesPerBlock)
    {
    }

    // Block i of the recording; next is the next block's stamp, none for the last.
    void Walk(int i, const TBlockRecord& block, std::optional<double> next)
    {
        const std::uint32_t n = m_geometry.PagesPerBlock;
        const double time = block.Header.Time();
        const double nextValue = next.value_or(-1.0);
        Log("Block N: %4d; PhyAddr: %4d; Next calc RTC: %10.6f; Next RTC: %10.6f; Diff: %f", i, block.Block,
            time - m_start + m_perBlock, nextValue - m_start, time + m_perBlock - nextValue);

        const double tolerance = std::max(kToleranceShare * m_perBlock, kMinToleranceSeconds);
        m_stampsRead = false;
        if (next && *next >= time + m_perBlock - tolerance && *next <= time + m_perBlock + tolerance)
            std::fill(m_breaks.begin(), m_breaks.end(), false);
        else
            ReadPageInfo(i, block.Block);

        bool afterBreak = false;
        for (std::uint32_t j = 0; j < n; ++j) {
            const bool isBreak = m_breaks[j];
            TSoundPage page;
            page.PlayTime = m_play;
            page.RecorderTime = static_cast<std::uint32_t>(static_cast<std::int64_t>(std::trunc(m_clock)));
            page.Page = static_cast<std::uint32_t>(m_geometry.FirstPageOf(block.Block) + j);
            page.Break = isBreak ? 1 : 0;
            if (isBreak && afterBreak) {
                Log("Page %d is last sound page", static_cast<int>(j) - 1);
                return;
            }
            if (isBreak) {
                Log("Block %d has break at page %d", i, static_cast<int>(j));
                const std::optional<double> resume = NextStretchStart(j, next);
                if (resume) {
                    m_play = m_skipSilence ? m_play + m_perPage : *resume;
                    m_clock = *resume;
                } else {
                    Advance();
                }
            } else {
                Advance();
            }
            m_pages.Add(page);
            afterBreak = isBreak;
        }
    }

private:
    void Advance()
    {
        m_play += m_perPage;
        m_clock += m_perPage;
    }

    void ReadPageInfo(int i, std::uint32_t block)
    {
        const std::uint32_t n = m_geometry.PagesPerBlock;
        Log("Block %d has breaks or not filled fully. Reading pages info...", i);
        ReadPageStatusWords(m_geometry, block, m_status.data());
        for (std::uint32_t j = 0; j < n; ++j)
            m_breaks[j] = flash_layout::IsBreakPage(m_status[2 * j], m_status[2 * j + 1]);

        std::uint32_t k = n;
        while (k > 0 && m_breaks[k - 1])
            --k;
        while (k > 0 && !m_breaks[k - 1])
            --k;
        if (k == 0)
            return;
        Log("Block %d has breaks. Reading break info...", i);
        ReadPageParts(m_stampArea.data(), static_cast<std::uint32_t>(m_geometry.FirstPageOf(block)), 0, kStampArea, 1,
                      static_cast<std::uint16_t>(n));
        for (std::uint32_t j = 0; j < n; ++j) {
            std::uint8_t voted[4];
            MajorityOf3(m_stampArea.data() + kStampArea * j, voted, 4);
            m_stamps[j] = GetU32(voted);
        }
        m_stampsRead = true;
    }

    // Where the stretch after the break at page j starts. A stamp that was
    // not read, or lies outside [recorder clock, next block's time] (an
    // unwritten page votes to 0xFFFFFFFF), gives way to the next block's
    // time; the last block has none, and the clocks then just run on.
    std::optional<double> NextStretchStart(std::uint32_t j, std::optional<double> next) const
    {
        if (j + 1 < m_geometry.PagesPerBlock && m_stampsRead) {
            const std::int64_t stamp = m_stamps[j + 1];
            const auto low = static_cast<std::int64_t>(std::trunc(m_clock));
            const bool inRange =
                stamp >= low && (next ? stamp <= static_cast<std::int64_t>(*next) : stamp != 0xFFFFFFFF);
            if (inRange)
                return static_cast<double>(stamp);
            Log("Page %d: break time %u out of range", static_cast<int>(j) + 1, static_cast<unsigned>(stamp));
        }
        return next;
    }

    const TFlashGeometry& m_geometry;
    const bool m_skipSilence;
    TSoundPageList& m_pages;
    const double m_perBlock;
    const double m_perPage;
    const double m_start;
    double m_play;   // play clock A
    double m_clock;  // recorder clock R
    std::vector<bool> m_breaks;
    std::vector<std::uint8_t> m_status;
    std::vector<std::uint8_t> m_stampArea;
    std::vector<std::uint32_t> m_stamps;
    bool m_stampsRead = false;
};

// A recording whose page list has a break before its last page gets one
// voice part per stretch; each lists a range of the recording's pages.
void SplitVoiceParts(TSoundFileInfo& recording)
{
    const TSoundPageList& pages = *recording.Pages;
    int first = 0;
    std::vector<std::pair<int, int>> ranges;
    for (int i = 0; i < pages.Count(); ++i) {
        if (pages.Item(i)->Break && i + 1 < pages.Count()) {
            ranges.emplace_back(first, i + 1 - first);
            first = i + 1;
        }
    }
    if (ranges.empty())
        return;
    ranges.emplace_back(first, pages.Count() - first);
    for (const auto& [from, count] : ranges) {
        auto part = std::make_unique<TSoundFileInfo>();
        part->Pages->SetRange(pages, from, count);
        recording.VoiceParts->Add(std::move(part));
    }
}

QString CallText(const TScanContext& context, const TBlockRecord& first)
{
    if (!first.Header.HasCallInfo() || !first.CallInfo.IsValid())
        return {};
    const TScanTexts& t = context.Texts;
    return first.CallInfo.Text(t.Outgoing, t.Incoming, t.NumberSign);
}

}  // namespace

void CollectSoundFileInfo(const TScanContext& context, TSoundFileInfo& recording)
{
    const TFlashGeometry& g = context.Geometry;
    TBlockList& blocks = *recording.Blocks;
    blocks.StableSort(EarlierBlock);
    Log("Collecting info of sound file N %d...", recording.Number);
    Log("Block count: %d", blocks.Count());
    recording.VoiceParts = std::make_unique<TSoundFileList>();
    recording.Pages->Clear();
    if (blocks.Count() == 0)
        return;
    const TBlockRecord& first = *blocks.Item(0);
    Log("First block number: %d", first.Block);
    recording.Header = first.Header;

    recording.NumberText = QString::number(recording.Number);
    recording.Format = TPcmWaveFormat::Mono16(RateCodeToHz(first.Header.RateCode()));
    const double perBlock = SecondsPerBlock(first.Header.RateCode(), first.Header.Compress(),
                                            first.Header.CompressParam(), g.PagesPerBlock, g.PageSize);
    recording.SecondsPerBlock = static_cast<float>(perBlock);
    recording.SecondsPerPage = perBlock / g.PagesPerBlock;

    recording.Pages->Reserve(std::size_t{g.PagesPerBlock} * static_cast<std::size_t>(blocks.Count()));
    TPageWalk walk(context, recording, perBlock, first.Header.Time());
    for (int i = 0; i < blocks.Count(); ++i) {
        std::optional<double> next;
        if (i + 1 < blocks.Count())
            next = blocks.Item(i + 1)->Header.Time();
        walk.Walk(i, *blocks.Item(i), next);
    }
    Log("Sound file consist of %d sound pages", recording.Pages->Count());

    SplitVoiceParts(recording);
    DescribeSoundFile(context, recording);
    recording.Size = static_cast<std::int64_t>(static_cast<std::uint64_t>(blocks.Count()) * g.BlockBytes());
    recording.CallText = CallText(context, first);
    if (!recording.CallText.isEmpty())
        recording.Description = recording.CallText + QStringLiteral("; ") + recording.Description;

    for (int k = 0; k < recording.VoiceParts->Count(); ++k) {
        TSoundFileInfo& part = *recording.VoiceParts->Item(k);
        part.Parent = &recording;
        part.Header = recording.Header;
        part.Format = recording.Format;
        part.ExtraBlock = recording.ExtraBlock;
        part.SecondsPerBlock = recording.SecondsPerBlock;
        part.SecondsPerPage = recording.SecondsPerPage;
        part.StartTime = recording.StartTime;
        part.Number = static_cast<std::uint16_t>(k + 1);
        part.NumberText = recording.NumberText + u'.' + QString::number(k + 1);
        DescribeSoundFile(context, part);
    }
}

void DescribeSoundFile(const TScanContext& context, TSoundFileInfo& info)
{
    const TScanTexts& t = context.Texts;
    const TBlockHeader& h = info.Header;
    const QString separator = QStringLiteral("; ");
    QString text = QString::number(RateCodeToHz(h.RateCode())) + u' ' + t.Hz + separator;
    if (const TCodecInfo* codec = FindCodec(h.Compress(), h.CompressParam())) {
        text += t.Compression(codec->caption) + separator;
        // A scale index beyond the list adds nothing.
        if (codec->scaled && h.CompressParam() < t.Scale.size())
            text += t.Scale[h.CompressParam()];
        info.CodecId = codec->codecId;
    }
    const std::uint8_t status = h.StatusVas() & TBlockHeader::kStatusMask;
    if (h.Cyclic() != 0)
        text += u' ' + t.Circular + separator;
    if (status != TBlockHeader::kStatusUploaded && (h.StatusVas() & TBlockHeader::kVasMask) != 0)
        text += QStringLiteral("VAS") + separator;
    info.Description = text;

    info.Status = status == TBlockHeader::kStatusDownloaded ? 0x55
                  : status == TBlockHeader::kStatusUploaded ? 0xAA
                                                            : 0xFF;
    const TSoundPageList& pages = *info.Pages;
    info.Size = static_cast<std::int64_t>(pages.Count()) * context.Geometry.PageSize;
    if (pages.Count() == 0) {
        info.Length = 0;
        info.StartTime = RtcToSystemTime(h.Time());
        return;
    }
    const double length = pages.Last().PlayTime - pages.First().PlayTime + info.SecondsPerPage;
    info.Length = length > 0 ? static_cast<std::uint32_t>(length) : 0;
    info.StartTime = RtcToSystemTime(pages.First().RecorderTime);
}
