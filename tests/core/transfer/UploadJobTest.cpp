// The upload into a SimRecorder, read back by the scan and the download, at
// the page size of the device library (2048) and of the image link (page
// and spare, 2112).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <stdexcept>

#include "core/flash/BlockList.h"
#include "core/flash/ContentScan.h"
#include "core/flash/DriveFileList.h"
#include "core/flash/PageWrites.h"
#include "core/flash/SampleCodecs.h"
#include "core/flash/SoundFileList.h"
#include "core/links/ConnectType.h"
#include "core/protocol/RecorderClock.h"
#include "core/protocol/RecorderCommands.h"
#include "core/recorder/RecorderCapacity.h"
#include "core/recorder/WaveSource.h"
#include "core/transfer/DownloadJob.h"
#include "core/transfer/UploadJob.h"
#include "core/transfer/UploadLayout.h"
#include "tests/support/CaptureSink.h"
#include "tests/support/MemoryWaveSource.h"
#include "tests/support/ParamName.h"
#include "tests/support/SimRecorder.h"
#include "tests/support/SimRecorderLink.h"

namespace {

constexpr std::uint32_t kBlocks = 12;
constexpr std::uint16_t kPages = 8;
constexpr std::uint32_t kTime = 1700000000;

SimGeometry SmallFlash()
{
    return SmallFlashGeometry(kBlocks, kPages);
}

// Never 0, so padding stands apart.
std::vector<std::int16_t> Numbered(std::size_t count)
{
    std::vector<std::int16_t> samples(count);
    for (std::size_t i = 0; i < count; ++i)
        samples[i] = static_cast<std::int16_t>(i % 20000 + 1);
    return samples;
}

// Two tones, speech-like in level.
std::vector<std::int16_t> Tones(std::size_t count)
{
    std::vector<std::int16_t> samples(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i);
        samples[i] = static_cast<std::int16_t>(5000 * std::sin(0.21 * t) + 2500 * std::sin(0.037 * t));
    }
    return samples;
}

double Snr(const std::vector<std::int16_t>& signal, const std::vector<std::int16_t>& decoded)
{
    double power = 0;
    double noise = 0;
    for (std::size_t i = 0; i < signal.size(); ++i) {
        const double s = signal[i];
        const double d = s - decoded[i];
        power += s * s;
        noise += d * d;
    }
    return 10 * std::log10(power / std::max(noise, 1e-9));
}

// The codec's own error on the signal: ADPCM restarts on every page of
// `pageSamples` (block start, then the others), the companded codec frames
// it at 20 ms.
double OwnSnr(std::uint8_t compress, std::uint8_t param, std::uint32_t rate, const std::vector<std::int16_t>& signal,
              std::size_t firstSamples, std::size_t plainSamples)
{
    std::vector<std::int16_t> decoded;
    if (compress == 2) {
        std::size_t page = 0;
        for (std::size_t at = 0; at < signal.size(); ++page) {
            const std::size_t count = std::min(page % kPages == 0 ? firstSamples : plainSamples, signal.size() - at);
            TAdpcmState encoder, decoder;
            for (std::size_t i = at; i < at + count; ++i)
                decoded.push_back(param == 1 ? Adpcm2Decode(Adpcm2Encode(signal[i], encoder), decoder)
                                             : ImaAdpcmDecode4(ImaAdpcmEncode4(signal[i], encoder), decoder));
            at += count;
        }
        return Snr(signal, decoded);
    }
    const std::size_t frame = rate / 50;
    TCompandState encoder, decoder;
    encoder.Scale = param;
    for (std::size_t at = 0; at < signal.size(); at += frame) {
        const std::size_t count = std::min(frame, signal.size() - at);
        encoder.Counter = 0;
        CompandPrepareFrame(encoder, signal.data() + at, count);
        decoder.Counter = 0;
        CompandDecode8(CompandEncode8(0, encoder), decoder);
        encoder.Counter = decoder.Counter = static_cast<std::uint16_t>(frame);
        for (std::size_t i = 0; i < count; ++i)
            decoded.push_back(CompandDecode8(CompandEncode8(signal[at + i], encoder), decoder));
    }
    return Snr(signal, decoded);
}

struct CodecCase {
    std::uint8_t compress;
    std::uint8_t param;
    std::uint32_t rate;
    const char* name;
};

const CodecCase kCodecs[] = {
    {0, 0, 8000, "PCM"},       {2, 2, 8000, "ADPCM 4-bit"},          {2, 1, 4000, "ADPCM 2-bit"},
    {1, 0, 8000, "companded"}, {1, 1, 4000, "companded at 4000 Hz"},
};

}  // namespace

class UploadJobTest : public ::testing::TestWithParam<SimPageStride> {
protected:
    UploadJobTest() { FreshRecorder(); }

    // An erased recorder behind the link.
    void FreshRecorder()
    {
        m_link.reset();
        m_sim = std::make_unique<SimRecorder>(SmallFlash(), GetParam());
        m_link.emplace(*m_sim);
    }

    std::uint32_t P() const { return m_sim->PageStride(); }
    TFlashGeometry Geometry() const
    {
        return {1, static_cast<std::uint16_t>(kBlocks), kPages, static_cast<std::uint16_t>(P()), 1};
    }
    std::uint64_t PerBlock(const CodecCase& c) const
    {
        return UploadSamplesPerBlock(*FindCodec(c.compress, c.param), kPages, P(), c.rate);
    }

    void Scan()
    {
        m_free.Clear();
        m_sounds.Clear();
        m_drives.Clear();
        TScanContext context;
        context.Geometry = Geometry();
        TContentScan(context).Run({m_free, m_sounds, m_drives}, [](std::uint8_t) {});
    }
    std::vector<std::uint32_t> FreeBlocks() const
    {
        std::vector<std::uint32_t> blocks;
        for (int i = 0; i < m_free.Count(); ++i)
            blocks.push_back(m_free.Item(i)->Block);
        return blocks;
    }

    void Upload(TWaveSource& source, const CodecCase& codec)
    {
        Scan();
        TUploadRequest request;
        request.RecordNumber = 7;
        request.Time = kTime;
        request.Compress = codec.compress;
        request.Param = codec.param;
        request.SampleRate = codec.rate;
        request.SourceSamples = source.SourceFormat().DataBytes / 2;
        request.Source = &source;
        request.Geometry = Geometry();
        request.FreeBlocks = FreeBlocks();
        m_uploadedInto = request.FreeBlocks;
        m_sim->ClearLog();
        UploadRecording(request, m_progress);
    }

    // The recording as the scan and the download see it.
    std::vector<std::int16_t> Download()
    {
        Scan();
        EXPECT_EQ(m_sounds.Count(), 1);
        if (m_sounds.Count() != 1)
            return {};
        TDownloadRequest request;
        request.Recording = m_sounds.Item(0);
        request.RecordNumber = 7;
        request.Length = m_sounds.Item(0)->Length + 1;  // the last part-second too
        request.Geometry = Geometry();
        CaptureSink sink;
        std::atomic<std::uint8_t> progress{0}, abort{0};
        EXPECT_EQ(DownloadRecording(request, progress, abort, &sink), TDownloadResult::Completed);
        return sink.Samples();
    }

    TBlockHeader HeaderOf(std::uint32_t block) const
    {
        return TBlockHeader::Vote(m_sim->ReadPage(std::uint64_t{block} * kPages).data());
    }
    bool PageErased(std::uint32_t block, std::uint32_t page) const
    {
        const std::vector<std::uint8_t> raw = m_sim->ReadPage(std::uint64_t{block} * kPages + page);
        return std::all_of(raw.begin(), raw.end(), [](std::uint8_t b) { return b == 0xFF; });
    }

    std::unique_ptr<SimRecorder> m_sim;
    std::optional<SimRecorderLink> m_link;
    TBlockList m_free;
    TSoundFileList m_sounds;
    TDriveFileList m_drives;
    std::vector<std::uint32_t> m_uploadedInto;
    std::atomic<std::uint8_t> m_progress{0};
};

TEST_P(UploadJobTest, TwoBlocksCarryTheirSequencesAndTimesAndTheRestStaysErased)
{
    const CodecCase pcm = kCodecs[0];
    MemorySource source(Numbered(PerBlock(pcm) + 10), 8000);
    Upload(source, pcm);
    ASSERT_GE(m_uploadedInto.size(), 3u);
    const double s = SecondsPerBlock(1, 0, 0, kPages, P());
    const std::uint32_t times[] = {kTime, static_cast<std::uint32_t>(std::floor(kTime + s))};
    for (std::uint16_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const TBlockHeader header = HeaderOf(m_uploadedInto[i]);
        EXPECT_TRUE(header.IsCrcValid());
        EXPECT_EQ(header.Owner(), 7);
        EXPECT_EQ(header.Sequence(), i + 1);
        EXPECT_EQ(header.Time(), times[i]);
        EXPECT_EQ(header.Compress(), 0);
        EXPECT_EQ(header.RateCode(), 1);
        EXPECT_EQ(header.StatusVas(), 0x80);
        EXPECT_EQ(header.Cyclic(), 0);
        EXPECT_EQ(header.Flags(), 0);
    }
    // Ten samples fit the second block's first page; its other pages and
    // the third block stay erased.
    for (std::uint32_t p = 1; p < kPages; ++p)
        EXPECT_TRUE(PageErased(m_uploadedInto[1], p)) << p;
    EXPECT_TRUE(PageErased(m_uploadedInto[2], 0));
    EXPECT_EQ(m_progress.load(), 100 * (2 * kPages - 1) / (2 * kPages));
    // Every page went out as command 14 then 16.
    EXPECT_EQ(m_sim->CommandCount(cmdBeginWritePage), 2u * kPages);
    EXPECT_EQ(m_sim->CommandCount(cmdWritePage), 2u * kPages);
    EXPECT_EQ(m_sim->CommandCount(), 4u * kPages);

    Scan();
    ASSERT_EQ(m_sounds.Count(), 1);
    const TSoundFileInfo& file = *m_sounds.Item(0);
    EXPECT_EQ(file.Number, 7);
    EXPECT_EQ(file.Status, 0xAA);
    EXPECT_EQ(SystemTimeToRtc(file.StartTime), kTime);
    EXPECT_EQ(file.Blocks->Count(), 2);
}

TEST_P(UploadJobTest, PcmDownloadsBitExact)
{
    const std::vector<std::int16_t> samples = Numbered(PerBlock(kCodecs[0]) * 5 / 2);
    MemorySource source(samples, 8000);
    Upload(source, kCodecs[0]);
    const std::vector<std::int16_t> back = Download();
    ASSERT_GE(back.size(), samples.size());
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), back.begin()));
    EXPECT_TRUE(std::all_of(back.begin() + static_cast<std::ptrdiff_t>(samples.size()), back.end(),
                            [](std::int16_t s) { return s == 0; }));
}

TEST_P(UploadJobTest, CodecRoundTripsKeepTheSamplesInPlace)
{
    for (const CodecCase& codec : kCodecs) {
        if (codec.compress == 0)
            continue;
        SCOPED_TRACE(codec.name);
        FreshRecorder();
        const std::vector<std::int16_t> signal = Tones(PerBlock(codec) * 3 / 2 + 77);
        MemorySource source(signal, codec.rate);
        Upload(source, codec);
        if (codec.compress == 2) {
            // A page's first sample before its codes (bytes 0-1 of the page after a block's first).
            const std::size_t firstSamples =
                UploadPageLayout(*FindCodec(2, codec.param), TSoundPageKind::BlockStart, P(), codec.rate).Samples;
            const std::vector<std::uint8_t> raw = m_sim->ReadPage(std::uint64_t{m_uploadedInto[0]} * kPages + 1);
            EXPECT_EQ(static_cast<std::int16_t>(raw[0] | raw[1] << 8), signal[firstSamples]);
        }
        const std::vector<std::int16_t> back = Download();
        ASSERT_GE(back.size(), signal.size());
        // A sample out of place (a page taking more or fewer samples than
        // its bytes hold) would drop the ratio far below the codec's own.
        const TCodecInfo& info = *FindCodec(codec.compress, codec.param);
        const double own = OwnSnr(codec.compress, codec.param, codec.rate, signal,
                                  UploadPageLayout(info, TSoundPageKind::BlockStart, P(), codec.rate).Samples,
                                  UploadPageLayout(info, TSoundPageKind::Plain, P(), codec.rate).Samples);
        const double snr = Snr(signal, back);
        EXPECT_GT(snr, own - 1) << "own " << own;
        if (codec.compress == 1) {
            EXPECT_GE(snr, 30);
        }
    }
}

TEST_P(UploadJobTest, NoFreeBlocksOrNoGeometryWritesNothing)
{
    MemorySource source(Numbered(100), 8000);
    TUploadRequest request;
    request.Source = &source;
    request.SampleRate = 8000;
    request.SourceSamples = 100;
    request.Geometry = Geometry();
    m_sim->ClearLog();
    UploadRecording(request, m_progress);
    EXPECT_EQ(m_sim->CommandCount(), 0u);
    // Nor without a geometry: refused before a page is laid out.
    request.FreeBlocks = {1};
    request.Geometry = {};
    EXPECT_THROW(UploadRecording(request, m_progress), std::invalid_argument);
    EXPECT_EQ(m_sim->CommandCount(), 0u);
}

TEST_P(UploadJobTest, AFailedReadStopsWithTheWrittenPagesAValidRecording)
{
    const CodecCase pcm = kCodecs[0];
    const std::size_t first = (P() - 66) / 2;
    const std::size_t perPage = (P() - 2) / 2;
    const std::size_t written = PerBlock(pcm) + first + 2 * perPage;  // up to the second block's fourth page
    MemorySource source(Numbered(PerBlock(pcm) * 2), 8000, written + 5);
    EXPECT_THROW(Upload(source, pcm), std::runtime_error);
    EXPECT_EQ(m_sim->CommandCount(cmdWritePage), kPages + 3u);
    EXPECT_TRUE(PageErased(m_uploadedInto[1], 3));
    const std::vector<std::int16_t> back = Download();
    const std::vector<std::int16_t> expected = Numbered(written);
    ASSERT_GE(back.size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), back.begin()));
}

// Per codec: a source that fills the free blocks exactly needs as many
// bytes as the free memory has; one sample more needs more. The exact one
// fills every page.
TEST_P(UploadJobTest, ExactFillNeedsTheFreeMemoryAndFillsEveryPage)
{
    for (const CodecCase& codec : kCodecs) {
        SCOPED_TRACE(codec.name);
        FreshRecorder();
        Scan();
        const std::uint64_t freeBlocks = static_cast<std::uint64_t>(m_free.Count());
        const std::int64_t freeMemory = static_cast<std::int64_t>(Geometry().FreeBytes(freeBlocks));
        const std::uint64_t samples = PerBlock(codec) * freeBlocks;
        auto needed = [&](std::uint64_t count) {
            return UploadSizeFor({kWaveFormatPcm, 1, codec.rate, 16, count * 2}, codec.compress, codec.param, 0, kPages,
                                 P());
        };
        EXPECT_EQ(needed(samples), freeMemory);
        EXPECT_GT(needed(samples + 1), freeMemory);

        MemorySource source(Tones(samples), codec.rate);
        Upload(source, codec);
        for (std::uint32_t block : m_uploadedInto)
            for (std::uint32_t p = 0; p < kPages; ++p) {
                const std::vector<std::uint8_t> raw = m_sim->ReadPage(std::uint64_t{block} * kPages + p);
                ASSERT_EQ(raw[P() - 2], 0x55) << block << " " << p;
                ASSERT_EQ(raw[P() - 1], 0x55) << block << " " << p;
            }
    }
}

INSTANTIATE_TEST_SUITE_P(Strides, UploadJobTest,
                         ::testing::Values(SimPageStride::PageOnly, SimPageStride::PageAndSpare), PrintedParamName());

TEST(UploadLayoutTest, CompandedFrameHeadersFollowTheFraming)
{
    const TCodecInfo& companded = *FindCodec(1, 0);
    struct Case {
        TSoundPageKind kind;
        std::uint32_t pageSize, rate, headers;
    } cases[] = {
        // 1982 sound bytes at 4000 Hz: 24 whole frames of 81 bytes and 38 more.
        {TSoundPageKind::BlockStart, 2048, 4000, 25},
        {TSoundPageKind::Plain, 2048, 4000, 26},
        {TSoundPageKind::BlockStart, 2048, 8000, 13},
        {TSoundPageKind::Plain, 2112, 16000, 7},
    };
    for (const Case& c : cases) {
        const TUploadPageLayout layout = UploadPageLayout(companded, c.kind, c.pageSize, c.rate);
        EXPECT_EQ(layout.FrameHeaders, c.headers) << c.pageSize << " " << c.rate;
        EXPECT_EQ(layout.Samples + layout.FrameHeaders, layout.SoundBytes);
    }
}

TEST(UploadLayoutTest, AdpcmPagesKeepTheirLeadBytes)
{
    const TUploadPageLayout first = UploadPageLayout(*FindCodec(2, 2), TSoundPageKind::BlockStart, 2048, 8000);
    EXPECT_EQ(first.Start, 66u);
    EXPECT_EQ(first.Samples, 2u * (2048 - 68));
    const TUploadPageLayout plain = UploadPageLayout(*FindCodec(2, 1), TSoundPageKind::Plain, 2048, 8000);
    EXPECT_EQ(plain.Start, 2u);
    EXPECT_EQ(plain.Samples, 4u * (2048 - 4));
    EXPECT_EQ(UploadSamplesPerBlock(*FindCodec(0, 0), 0, 2048, 8000), 0u);
}

// WriteBlock by connection type: one command 0, or pages on the USB 1.1
// adapter; EraseBlock is command 18.
TEST(PageWritesTest, BlockWriteByTypeAndErase)
{
    SimRecorder sim(SmallFlash(), SimPageStride::PageAndSpare);
    SimRecorderLink link(sim);
    const TFlashGeometry geometry{1, static_cast<std::uint16_t>(kBlocks), kPages,
                                  static_cast<std::uint16_t>(sim.PageStride()), 1};
    std::vector<std::uint8_t> block(static_cast<std::size_t>(geometry.BlockBytes()));
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(i * 7 + 3);

    for (std::uint32_t type : {std::uint32_t{ctUsb20Adapter}, std::uint32_t{ctUsb11Adapter}}) {
        SCOPED_TRACE(type);
        sim.ClearLog();
        WriteBlock(type, geometry, 3, block.data());
        if (type == ctUsb11Adapter) {
            EXPECT_EQ(sim.CommandCount(cmdBeginWritePage), kPages);
            EXPECT_EQ(sim.CommandCount(cmdWritePage), kPages);
            EXPECT_EQ(sim.CommandCount(), 2u * kPages);
        } else {
            EXPECT_EQ(sim.CommandCount(cmdWriteBlock), 1u);
            EXPECT_EQ(sim.CommandCount(), 1u);
        }
        for (std::uint32_t p = 0; p < kPages; ++p) {
            const std::vector<std::uint8_t> raw = sim.ReadPage(3 * kPages + p);
            ASSERT_TRUE(std::equal(raw.begin(), raw.end(), block.begin() + p * sim.PageStride())) << p;
        }
        sim.ClearLog();
        EXPECT_TRUE(EraseBlock(3));
        EXPECT_EQ(sim.CommandCount(cmdEraseBlock), 1u);
        const std::vector<std::uint8_t> erased = sim.ReadPage(3 * kPages);
        EXPECT_TRUE(std::all_of(erased.begin(), erased.end(), [](std::uint8_t b) { return b == 0xFF; }));
    }
    EXPECT_THROW(EraseBlock(0x10000), std::range_error);
    // Only the USB 1.1 adapter lacks the block write.
    for (const TConnectTypeRow& row : kConnectTypes)
        EXPECT_EQ(WritesBlockByPages(row.type), row.type == ctUsb11Adapter) << row.menuObjectName;
}
