#include "core/transfer/DownloadJob.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/flash/PageReads.h"
#include "core/flash/SoundFileInfo.h"
#include "core/flash/SoundFileList.h"
#include "core/flash/SoundFraming.h"
#include "core/protocol/DebugLog.h"
#include "core/protocol/SampleRate.h"
#include "core/recorder/CustomFile.h"

namespace {

// A longer pause between two stretches is a damaged stamp, not a pause.
constexpr double kLongestPause = 31.0 * 24 * 3600;

// The recording's whole page list and where the downloaded list starts in
// it: a voice part's pages are a range of its recording's, and the page
// before a part tells whether the part starts on a stamp page.
struct TPageSpan {
    const TSoundPageList* All = nullptr;
    int First = 0;
};

TPageSpan SpanOf(const TSoundFileInfo& file)
{
    const TSoundFileInfo* parent = file.Parent;
    if (!parent || !parent->Pages || !file.Pages || file.Pages->Count() == 0)
        return {file.Pages.get(), 0};
    const TSoundPage* first = &file.Pages->First();
    for (int i = 0; i < parent->Pages->Count(); ++i)
        if (parent->Pages->Item(i) == first)
            return {parent->Pages.get(), i};
    return {file.Pages.get(), 0};
}

// How the page at index i of the recording's list is laid out: a stamp page
// follows a break page within its block.
TSoundPageKind KindAt(const TSoundPageList& pages, int i, std::uint32_t pagesPerBlock)
{
    auto isStamp = [&](int at) {
        const std::uint32_t address = pages.Item(at)->Page;
        return at > 0 && address % pagesPerBlock != 0 && pages.Item(at - 1)->Break &&
               pages.Item(at - 1)->Page + 1 == address;
    };
    const std::uint32_t address = pages.Item(i)->Page;
    if (address % pagesPerBlock == 0)
        return TSoundPageKind::BlockStart;
    if (isStamp(i))
        return TSoundPageKind::Stamp;
    if (i > 0 && pages.Item(i - 1)->Page + 1 == address && isStamp(i - 1))
        return TSoundPageKind::AfterStamp;
    return TSoundPageKind::Plain;
}

const TSoundFileInfo& Resolve(const TDownloadRequest& request, std::uint32_t& start, std::uint32_t& length)
{
    if (!request.Recording)
        throw std::invalid_argument("Recording " + std::to_string(request.RecordNumber) + " not found");
    start = request.Start;
    length = request.Length;
    if (!request.PartIndex)
        return *request.Recording;
    const TSoundFileList* parts = request.Recording->VoiceParts.get();
    const int count = parts ? parts->Count() : 0;
    const int index = *request.PartIndex;
    if (index < 1 || index > count)
        throw std::invalid_argument("Recording " + std::to_string(request.RecordNumber) + " has no voice part " +
                                    std::to_string(index) + " (it has " + std::to_string(count) + ")");
    const TSoundFileInfo& part = *parts->Item(index - 1);
    start = 0;
    length = part.Length;
    return part;
}

// The writes into the sink: empty pieces are never handed on, and after a
// refused one nothing more is written. With a limit, what passes it is cut
// off and the writing stops there.
class TSinkWriter {
public:
    TSinkWriter(TCustomFile& sink, const std::atomic<std::uint8_t>& abort) : m_sink(sink), m_abort(abort) {}

    bool Stopped() const { return m_refused || m_full || m_abort.load(std::memory_order_acquire) != 0; }
    bool Refused() const { return m_refused; }

    void SetLimit(std::uint64_t bytes)
    {
        m_limit = bytes;
        m_full = m_written >= bytes;
    }
    void LowerLimit(std::uint64_t bytes)
    {
        if (m_limit)
            SetLimit(*m_limit > bytes ? *m_limit - bytes : 0);
    }

    void Write(const void* data, std::size_t bytes)
    {
        if (m_limit)
            bytes = static_cast<std::size_t>(std::min<std::uint64_t>(bytes, *m_limit - std::min(*m_limit, m_written)));
        if (bytes == 0 || m_refused)
            return;
        if (m_sink.Write(data, static_cast<std::int32_t>(bytes)) == 0)
            m_refused = true;
        m_written += bytes;
        if (m_limit && m_written >= *m_limit)
            m_full = true;
    }

private:
    TCustomFile& m_sink;
    const std::atomic<std::uint8_t>& m_abort;
    std::optional<std::uint64_t> m_limit;
    std::uint64_t m_written = 0;
    bool m_refused = false;
    bool m_full = false;
};

// The page times' view of the download: which pages, from when to when.
struct TDownloadWalk {
    int First = 0;  // k
    int Count = 0;  // pages k to k + Count - 1
    double Start = 0;
    double End = 0;
    double T = 0;                // the output's time at its first sample
    bool SpanEndsEarly = false;  // a part of the recording: pages follow its end
};

// fileLength: the recording's length in whole seconds as listed; a span
// that reaches it is the rest of the recording, which runs to its last page.
TDownloadWalk WalkOf(const TSoundPageList* list, double blockSeconds, std::uint32_t startSeconds,
                     std::uint32_t lengthSeconds, std::uint32_t fileLength)
{
    TDownloadWalk walk;
    const int total = list ? list->Count() : 0;
    auto page = [&](int i) -> const TSoundPage& { return *list->Item(i); };
    walk.Start = total > 0 ? std::trunc(page(0).PlayTime + startSeconds) : startSeconds;
    walk.End = walk.Start + lengthSeconds;
    int k = 0;
    while (k < total && page(k).PlayTime < walk.Start)
        ++k;
    if (k > 0)
        --k;
    int count = 0;
    if (k < total)
        for (count = 1; k + count < total && page(k + count).PlayTime <= walk.End; ++count) {
        }
    walk.First = k;
    walk.Count = count;
    walk.T = count > 0 && page(k).PlayTime - walk.Start <= blockSeconds ? page(k).PlayTime : walk.Start;
    walk.SpanEndsEarly = k + count < total && std::uint64_t{startSeconds} + lengthSeconds < fileLength;
    return walk;
}

std::uint64_t SamplesOver(double seconds, std::uint32_t rate)
{
    return seconds > 0 ? static_cast<std::uint64_t>(std::llround(seconds * rate)) : 0;
}

}  // namespace

TPageReader LinkPageReader(const TFlashGeometry& geometry)
{
    const std::uint16_t pageSize = geometry.PageSize;
    return [pageSize](std::uint8_t* out, std::uint32_t first, std::uint16_t pages) {
        ReadPageParts(out, first, 0, pageSize, 1, pages);
    };
}

std::uint64_t DownloadOutputBytes(const TDownloadRequest& request)
{
    std::uint32_t startSeconds = 0;
    std::uint32_t lengthSeconds = 0;
    const TSoundFileInfo& file = Resolve(request, startSeconds, lengthSeconds);
    const std::uint32_t perBlock = request.Geometry.PagesPerBlock;
    const std::uint32_t pageSize = request.Geometry.PageSize;
    if (perBlock == 0 || pageSize == 0)
        throw std::invalid_argument("The recorder's flash geometry is not known");
    const TPageSpan span = SpanOf(file);
    const TSoundPageList* const list = file.Pages.get();
    const int total = list ? list->Count() : 0;
    auto page = [&](int i) -> const TSoundPage& { return *list->Item(i); };
    const double s = file.SecondsPerPage;
    const std::uint32_t rate = RateCodeToHz(file.Header.RateCode());
    const TDownloadWalk walk = WalkOf(list, s * perBlock, startSeconds, lengthSeconds, file.Length);
    const int k = walk.First;

    // The job's walk without the reads: the samples each run decodes to,
    // the pauses by the page times, the tail in whole seconds.
    std::uint64_t samples = 0;
    std::uint64_t skipped = 0;
    double t = walk.T;
    bool afterBreak = false;
    for (int j = 0; j < walk.Count;) {
        if (afterBreak) {
            const double gap = page(k + j).PlayTime - t;
            t = page(k + j).PlayTime;
            if (gap > kLongestPause)
                skipped += SamplesOver(gap, rate);
            else
                samples += SamplesOver(gap, rate);
        }
        int n = 1;
        while (!page(k + j + n - 1).Break && k + j + n < total && page(k + j + n).Page % perBlock != 0)
            ++n;
        afterBreak = page(k + j + n - 1).Break != 0;
        t += s * n;
        samples += DecodedSampleCount(file.Header, KindAt(*span.All, span.First + k + j, perBlock), pageSize,
                                      static_cast<std::size_t>(n));
        if (afterBreak && k + j + n < total && page(k + j + n).Page % perBlock != 0)
            ++n;
        j += n;
    }
    // The job's tail loop, counted: whole seconds while a sample is left.
    if (const double rest = walk.End - t; rest * rate >= 1.0)
        samples += std::uint64_t{rate} * static_cast<std::uint64_t>(std::floor(rest - 1.0 / rate) + 1);
    if (walk.SpanEndsEarly) {
        const std::uint64_t limit = SamplesOver(walk.End - walk.T, rate);
        samples = std::min(samples, limit > skipped ? limit - skipped : 0);
    }
    return 2 * samples;
}

TDownloadResult DownloadRecording(const TDownloadRequest& request, std::atomic<std::uint8_t>& progress,
                                  const std::atomic<std::uint8_t>& abort, TCustomFile* sink)
{
    std::uint32_t startSeconds = 0;
    std::uint32_t lengthSeconds = 0;
    const TSoundFileInfo& file = Resolve(request, startSeconds, lengthSeconds);
    if (!sink)
        throw std::invalid_argument("No file to download recording " + std::to_string(request.RecordNumber) + " into");
    const std::uint32_t pageSize = request.Geometry.PageSize;
    const std::uint32_t perBlock = request.Geometry.PagesPerBlock;
    if (pageSize == 0 || perBlock == 0)
        throw std::invalid_argument("The recorder's flash geometry is not known");
    const TPageReader read = request.ReadPages ? request.ReadPages : LinkPageReader(request.Geometry);

    const TPageSpan span = SpanOf(file);
    const TSoundPageList* const list = file.Pages.get();
    const int total = list ? list->Count() : 0;
    auto page = [&](int i) -> const TSoundPage& { return *list->Item(i); };

    const double s = file.SecondsPerPage;
    const double blockSeconds = s * perBlock;
    const std::uint32_t rate = RateCodeToHz(file.Header.RateCode());
    const std::vector<std::uint8_t> silence(std::size_t{rate} * 2, 0);
    std::vector<std::uint8_t> block(std::size_t{perBlock} * pageSize);
    std::vector<std::int16_t> samples;

    TSinkWriter out(*sink, abort);
    const TDownloadWalk walk = WalkOf(list, blockSeconds, startSeconds, lengthSeconds, file.Length);
    const int k = walk.First;
    const int count = walk.Count;
    const double end = walk.End;
    double t = walk.T;
    // A span that ends before the recording does stops at its end, to the
    // sample, not at the end of the block it ends in.
    if (walk.SpanEndsEarly)
        out.SetLimit(2 * SamplesOver(end - t, rate));

    bool afterBreak = false;
    for (int j = 0; j < count && !out.Stopped();) {
        const TSoundPage& first = page(k + j);
        if (afterBreak) {
            double gap = first.PlayTime - t;
            t = first.PlayTime;
            if (gap > kLongestPause) {
                DebugLog(QStringLiteral("Recording %1: a pause of %2 s is a damaged time stamp; no silence for it")
                             .arg(file.Number)
                             .arg(gap, 0, 'f', 0));
                out.LowerLimit(2 * SamplesOver(gap, rate));
                gap = 0;
            }
            for (; gap >= 1.0 && !out.Stopped(); gap -= 1.0)
                out.Write(silence.data(), silence.size());
            // The rest to the nearest whole sample: the page times are seconds
            // since 1970, whose doubles carry residue far below a sample.
            if (gap > 0 && !out.Stopped())
                out.Write(silence.data(), 2 * static_cast<std::size_t>(std::llround(rate * gap)));
        }

        int n = 1;
        while (!page(k + j + n - 1).Break && k + j + n < total && page(k + j + n).Page % perBlock != 0)
            ++n;
        afterBreak = page(k + j + n - 1).Break != 0;

        if (!out.Stopped()) {
            const std::span<std::uint8_t> run(block.data(), std::size_t{pageSize} * n);
            read(run.data(), first.Page, static_cast<std::uint16_t>(n));
            DecodeSoundPages(file.Header, KindAt(*span.All, span.First + k + j, perBlock), run, pageSize, afterBreak,
                             samples);
            t += s * n;
            out.Write(samples.data(), samples.size() * sizeof(std::int16_t));
        }
        // The page after a break page within its block starts the next
        // stretch with its time stamp; its sound is left out. After a break
        // on a block's last page (or a block that ended early) the next
        // page is a block's first, and sound.
        if (afterBreak && k + j + n < total && page(k + j + n).Page % perBlock != 0)
            ++n;
        j += n;
        progress.store(static_cast<std::uint8_t>(std::min<std::int64_t>(100, std::int64_t{j} * 100 / count)),
                       std::memory_order_relaxed);
    }

    // Whole seconds of silence up to start + length; less than a sample
    // left over is float residue, not a second more.
    for (double rest = end - t; rest * rate >= 1.0 && !out.Stopped(); rest -= 1.0)
        out.Write(silence.data(), silence.size());

    if (out.Refused())
        return TDownloadResult::SinkRefused;
    if (abort.load(std::memory_order_acquire) != 0)
        return TDownloadResult::Aborted;
    return TDownloadResult::Completed;
}
