#include "core/transfer/UploadJob.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "core/flash/BlockHeader.h"
#include "core/flash/BlockList.h"
#include "core/flash/CodecTable.h"
#include "core/flash/PageWrites.h"
#include "core/flash/SampleCodecs.h"
#include "core/flash/SoundFraming.h"
#include "core/protocol/RecorderClock.h"
#include "core/recorder/RecorderCapacity.h"
#include "core/recorder/RecorderJobContext.h"
#include "core/recorder/RecorderJobs.h"
#include "core/recorder/WaveSource.h"
#include "core/transfer/UploadLayout.h"
#include "core/transfer/UploadedContent.h"

namespace {

constexpr std::uint8_t kStatusByte = 0x55;

// Reads the samples of one page: the count read (short only at the end of
// the source), the rest of the buffer zero.
std::size_t ReadPageSamples(TWaveSource& source, std::vector<std::int16_t>& samples)
{
    std::fill(samples.begin(), samples.end(), std::int16_t{0});
    std::size_t got = 0;
    while (got < samples.size()) {
        const auto want = static_cast<std::int32_t>(std::min<std::size_t>(samples.size() - got, 1u << 20));
        const std::int32_t n = source.ReadSamples(samples.data() + got, want);
        if (n < 0)
            throw std::runtime_error("Reading the wave file failed.");
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    return got;
}

void PutSampleLe(std::uint8_t* at, std::int16_t sample)
{
    const auto value = static_cast<std::uint16_t>(sample);
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

// Encodes a page's samples into its sound bytes. The codec state starts
// afresh on every page; the companded exponent comes in with compand.
void EncodePage(const TCodecInfo& codec, const TUploadPageLayout& layout, const std::vector<std::int16_t>& samples,
                std::uint32_t frameLength, TCompandState& compand, std::uint8_t* page)
{
    std::uint8_t* out = page + layout.Start;
    switch (codec.codecId) {
    case scNoCompression:
        for (std::uint32_t i = 0; i < layout.Samples; ++i)
            PutSampleLe(out + 2 * i, samples[i]);
        break;
    case scAdpcm4: {
        PutSampleLe(out - sound_framing::kAdpcmLeadBytes, samples[0]);
        TAdpcmState state;
        for (std::uint32_t i = 0; i < layout.SoundBytes; ++i) {
            const std::uint8_t high = ImaAdpcmEncode4(samples[2 * i], state);
            const std::uint8_t low = ImaAdpcmEncode4(samples[2 * i + 1], state);
            out[i] = static_cast<std::uint8_t>(high << 4 | low);
        }
        break;
    }
    case scAdpcm2: {
        PutSampleLe(out - sound_framing::kAdpcmLeadBytes, samples[0]);
        TAdpcmState state;
        for (std::uint32_t i = 0; i < layout.SoundBytes; ++i) {
            std::uint8_t byte = 0;
            for (std::uint32_t k = 0; k < 4; ++k)
                byte = static_cast<std::uint8_t>(byte << 2 | Adpcm2Encode(samples[4 * i + k], state));
            out[i] = byte;
        }
        break;
    }
    case scCompanded8: {
        compand.Counter = 0;
        std::size_t next = 0;
        for (std::uint32_t i = 0; i < layout.SoundBytes; ++i) {
            if (compand.Counter == 0) {
                // The frame's exponent must cover its samples before the header names it.
                const std::size_t count = std::min<std::size_t>(frameLength, samples.size() - next);
                CompandPrepareFrame(compand, samples.data() + next, count);
            }
            const bool header = compand.Counter == 0;
            out[i] = CompandEncode8(next < samples.size() ? samples[next] : std::int16_t{0}, compand);
            if (header)
                compand.Counter = static_cast<std::uint16_t>(frameLength);
            else
                ++next;
        }
        break;
    }
    }
}

}  // namespace

std::uint8_t UploadRateCode(std::uint32_t sampleRate)
{
    switch (sampleRate) {
    case 8000:
        return 1;
    case 16000:
        return 0;
    default:
        return 2;
    }
}

std::uint64_t UploadRecording(const TUploadRequest& request, std::atomic<std::uint8_t>& progress)
{
    const TCodecInfo* codec = FindCodec(request.Compress, request.Param);
    if (!codec)
        throw std::invalid_argument("Unknown upload compression");
    if (!request.Source)
        throw std::invalid_argument("No wave file to upload");
    const TFlashGeometry& g = request.Geometry;
    const std::uint32_t pageSize = g.PageSize;
    const std::uint32_t pages = g.PagesPerBlock;
    // The header area, an ADPCM page's lead and the status word must fit.
    if (pages == 0 || pageSize <= sound_framing::kBlockStartBytes + sound_framing::kAdpcmLeadBytes + 2)
        throw std::invalid_argument("The recorder's flash geometry is not known");
    const std::uint64_t perBlock = UploadSamplesPerBlock(*codec, pages, pageSize, request.SampleRate);
    const std::uint64_t blocks =
        std::min<std::uint64_t>(UploadBlocksNeeded(request.SourceSamples, perBlock), request.FreeBlocks.size());

    const std::uint8_t rateCode = UploadRateCode(request.SampleRate);
    TBlockHeader header;
    header.SetOwner(request.RecordNumber);
    header.SetTime(request.Time);
    header.SetSequence(1);
    header.Bytes[8] = request.Compress;
    header.Bytes[9] = request.Param;
    header.Bytes[10] = rateCode;
    header.Bytes[11] = TBlockHeader::kStatusUploaded;
    header.Bytes[12] = 0;
    header.Bytes[13] = 0;
    const double secondsPerBlock = SecondsPerBlock(rateCode, request.Compress, request.Param, pages, pageSize);
    double runningTime = request.Time;

    const TUploadPageLayout first = UploadPageLayout(*codec, TSoundPageKind::BlockStart, pageSize, request.SampleRate);
    const TUploadPageLayout plain = UploadPageLayout(*codec, TSoundPageKind::Plain, pageSize, request.SampleRate);
    const std::uint32_t frameLength = CompandFrameLength(request.SampleRate);
    std::vector<std::uint8_t> page(pageSize);
    std::vector<std::int16_t> samples;
    TCompandState compand;
    for (std::uint64_t i = 0; i < blocks; ++i) {
        const std::uint64_t firstPage = g.FirstPageOf(request.FreeBlocks[i]);
        compand.Exponent = 0;
        compand.Scale = request.Param;
        for (std::uint32_t p = 0; p < pages; ++p) {
            const TUploadPageLayout& layout = p == 0 ? first : plain;
            std::fill(page.begin(), page.end(), std::uint8_t{0xFF});
            samples.resize(layout.Samples);
            const std::size_t got = ReadPageSamples(*request.Source, samples);
            if (p == 0) {
                header.UpdateCrc();
                header.WriteCopies(page.data());
            }
            // A block's first page always carries sound; a later page past
            // the end stays erased, which the scan reads as the end.
            if (p == 0 || got > 0) {
                EncodePage(*codec, layout, samples, frameLength, compand, page.data());
                page[pageSize - 2] = page[pageSize - 1] = kStatusByte;
            }
            WritePages(g, page.data(), static_cast<std::uint32_t>(firstPage + p), 1);
            if (p > 0)
                progress.store(static_cast<std::uint8_t>((pages * i + p) * 100 / (pages * blocks)),
                               std::memory_order_relaxed);
        }
        header.SetSequence(static_cast<std::uint16_t>(header.Sequence() + 1));
        runningTime += secondsPerBlock;
        header.SetTime(static_cast<std::uint32_t>(std::min(std::floor(runningTime), 4294967295.0)));
    }
    return blocks;
}

TJobOutcome UploadJob(TRecorderJobContext& context)
{
    const auto& params = std::get<TUploadJobParams>(context.Params);
    TUploadRequest request;
    request.RecordNumber = params.Record;
    request.Time = SystemTimeToRtc(params.Time);
    request.Compress = params.Compress;
    request.Param = params.Param;
    request.Source = params.Source;
    if (params.Source) {
        const TWaveSourceFormat format = params.Source->SourceFormat();
        request.SampleRate = format.SamplesPerSec;
        request.SourceSamples = format.DataBytes / 2;
    }
    request.Geometry = context.Snapshot.Geometry;
    const TBlockList& free = context.Lists.FreeBlocks;
    for (int i = 0; i < free.Count(); ++i)
        request.FreeBlocks.push_back(free.Item(i)->Block);
    context.SetState(rsWriting);
    const std::uint64_t written = UploadRecording(request, context.Progress);
    TakeUploadedBlocks(context, static_cast<std::size_t>(written), params.Texts);
    return TJobOutcome::Completed;
}
