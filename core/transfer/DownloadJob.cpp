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
#include "core/protocol/SampleRate.h"
#include "core/recorder/CustomFile.h"

namespace {

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
// refused one nothing more is written.
class TSinkWriter {
public:
    TSinkWriter(TCustomFile& sink, const std::atomic<std::uint8_t>& abort) : m_sink(sink), m_abort(abort) {}

    bool Stopped() const { return m_refused || m_abort.load(std::memory_order_acquire) != 0; }
    bool Refused() const { return m_refused; }

    void Write(const void* data, std::size_t bytes)
    {
        if (bytes == 0 || m_refused)
            return;
        if (m_sink.Write(data, static_cast<std::int32_t>(bytes)) == 0)
            m_refused = true;
    }

private:
    TCustomFile& m_sink;
    const std::atomic<std::uint8_t>& m_abort;
    bool m_refused = false;
};

}  // namespace

TPageReader LinkPageReader(const TFlashGeometry& geometry)
{
    const std::uint16_t pageSize = geometry.PageSize;
    return [pageSize](std::uint8_t* out, std::uint32_t first, std::uint16_t pages) {
        ReadPageParts(out, first, 0, pageSize, 1, pages);
    };
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
    const double start = total > 0 ? std::trunc(page(0).PlayTime + startSeconds) : startSeconds;
    const double end = start + lengthSeconds;

    int k = 0;
    while (k < total && page(k).PlayTime < start)
        ++k;
    if (k > 0)
        --k;
    int count = 0;
    if (k < total)
        for (count = 1; k + count < total && page(k + count).PlayTime <= end; ++count) {
        }
    double t = count > 0 && page(k).PlayTime - start <= blockSeconds ? page(k).PlayTime : start;

    bool afterBreak = false;
    for (int j = 0; j < count && !out.Stopped();) {
        const TSoundPage& first = page(k + j);
        if (afterBreak) {
            double gap = first.PlayTime - t;
            t = first.PlayTime;
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
