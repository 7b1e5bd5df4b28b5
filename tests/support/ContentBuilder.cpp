#include "tests/support/ContentBuilder.h"

#include <algorithm>
#include <cmath>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

#include "core/flash/CallInfo.h"
#include "core/flash/FlashLayout.h"
#include "core/flash/SampleCodecs.h"
#include "core/links/image/ImageHeader.h"
#include "core/protocol/Majority.h"
#include "core/protocol/NandEcc.h"
#include "core/protocol/RecorderCommands.h"
#include "core/protocol/SampleRate.h"
#include "core/recorder/RecorderCapacity.h"
#include "tests/support/ImageBuilder.h"
#include "tests/support/SimRecorder.h"

namespace {

constexpr std::uint8_t kCompressNone = 0;
constexpr std::uint8_t kCompressCompand = 1;
constexpr std::uint8_t kCompressAdpcm = 2;
constexpr std::size_t kStampBytes = 12;

std::int16_t SpeechLike(std::uint64_t index)
{
    const double t = static_cast<double>(index) / 8000.0;
    const double envelope = 0.3 + 0.7 * std::pow(std::sin(M_PI * 3 * t), 2);
    const double voice = 5000 * std::sin(2 * M_PI * 150 * t) + 2500 * std::sin(2 * M_PI * 450 * t + 1) +
                         900 * std::sin(2 * M_PI * 1700 * t + 2);
    return static_cast<std::int16_t>(std::lround(envelope * voice));
}

void SetStatus(std::vector<std::uint8_t>& page, std::uint8_t value)
{
    const std::size_t at = flash_layout::PageStatusOffset(page.size());
    page[at] = value;
    page[at + 1] = value;
}

// Sends the next samples through the page's codec into bytes [from, to).
class PageEncoder {
public:
    PageEncoder(const RecordingSpec& spec, const ContentBuilder::Signal& signal, std::uint64_t& sample)
        : m_spec(spec), m_signal(signal), m_sample(sample)
    {
    }

    void Encode(std::uint8_t* out, std::uint32_t length)
    {
        switch (m_spec.compress) {
        case kCompressNone:
            for (std::uint32_t i = 0; i + 1 < length; i += 2)
                PutU16(out + i, static_cast<std::uint16_t>(Next()));
            break;
        case kCompressCompand:
            Compand(out, length);
            break;
        case kCompressAdpcm:
            Adpcm(out, length);
            break;
        default:
            break;
        }
    }

private:
    std::int16_t Next() { return m_signal(m_sample++); }

    void Adpcm(std::uint8_t* out, std::uint32_t length)
    {
        TAdpcmState state;  // reset at every page
        const bool twoBit = m_spec.param == 1;
        for (std::uint32_t i = 0; i < length; ++i) {
            std::uint8_t byte = 0;
            if (twoBit) {
                for (int shift = 6; shift >= 0; shift -= 2)
                    byte = static_cast<std::uint8_t>(byte | Adpcm2Encode(Next(), state) << shift);
            } else {
                byte = static_cast<std::uint8_t>(ImaAdpcmEncode4(Next(), state) << 4);
                byte = static_cast<std::uint8_t>(byte | ImaAdpcmEncode4(Next(), state));
            }
            out[i] = byte;
        }
    }

    void Compand(std::uint8_t* out, std::uint32_t length)
    {
        const auto frame = static_cast<std::uint16_t>(RateCodeToHz(m_spec.rateCode) / 50);
        TCompandState state;
        state.Scale = m_spec.param <= 4 ? m_spec.param : 0;
        std::int16_t ahead[16000 / 50];
        for (std::uint32_t i = 0; i < length; ++i) {
            if (state.Counter == 0) {
                for (std::uint16_t k = 0; k < frame; ++k)
                    ahead[k] = m_signal(m_sample + k);
                CompandPrepareFrame(state, ahead, frame);
                out[i] = CompandEncode8(0, state);
                state.Counter = frame;
            } else {
                out[i] = CompandEncode8(Next(), state);
            }
        }
    }

    const RecordingSpec& m_spec;
    const ContentBuilder::Signal& m_signal;
    std::uint64_t& m_sample;
};

}  // namespace

ContentGeometry ContentGeometry::Of(const SimRecorder& recorder)
{
    ContentGeometry g;
    g.totalBlocks = recorder.Geometry().TotalBlocks();
    g.pagesPerBlock = static_cast<std::uint16_t>(recorder.Geometry().pagesPerBlock);
    g.pageSize = static_cast<std::uint16_t>(recorder.PageStride());
    g.firstDataBlock = recorder.FirstDataBlock();
    return g;
}

ContentBuilder::ContentBuilder(const ContentGeometry& geometry)
    : m_geometry(geometry), m_signal(SpeechLike), m_nextBlock(geometry.firstDataBlock), m_used(geometry.totalBlocks)
{
}

ContentBuilder& ContentBuilder::SetSignal(Signal signal)
{
    m_signal = std::move(signal);
    return *this;
}

ContentBuilder& ContentBuilder::SetWriteFullBlocks(bool write)
{
    m_writeFullBlocks = write;
    return *this;
}

std::uint32_t ContentBuilder::SoundStart(std::uint8_t compress, bool blockStart, bool afterStamp)
{
    const std::uint32_t adpcm = compress == kCompressAdpcm ? 2 : 0;
    if (blockStart)
        return 64 + adpcm;
    return (afterStamp ? 4 : 0) + adpcm;
}

std::vector<std::uint8_t>& ContentBuilder::Page(std::uint64_t page)
{
    auto [it, added] = m_pages.try_emplace(page);
    if (added)
        it->second.assign(m_geometry.pageSize, 0xFF);
    return it->second;
}

std::uint32_t ContentBuilder::TakeBlock()
{
    while (m_nextBlock < m_geometry.totalBlocks && m_used[m_nextBlock])
        ++m_nextBlock;
    if (m_nextBlock >= m_geometry.totalBlocks)
        throw std::length_error("the flash is full");
    m_used[m_nextBlock] = true;
    return m_nextBlock++;
}

void ContentBuilder::WriteSound(std::vector<std::uint8_t>& page, const RecordingSpec& spec, std::uint32_t from,
                                std::uint32_t to, std::uint64_t& sample) const
{
    if (to > from)
        PageEncoder(spec, m_signal, sample).Encode(page.data() + from, to - from);
}

BuiltRecording ContentBuilder::AddRecording(const RecordingSpec& spec)
{
    const std::uint32_t n = m_geometry.pagesPerBlock;
    const std::uint32_t p = m_geometry.pageSize;
    BuiltRecording built;
    built.secondsPerBlock = SecondsPerBlock(spec.rateCode, spec.compress, spec.param, n, p);
    const double perPage = built.secondsPerBlock / n;

    for (std::uint32_t i = 0; i < spec.blockCount; ++i) {
        if (i < spec.blocks.size()) {
            built.blocks.push_back(spec.blocks[i]);
            m_used.at(spec.blocks[i]) = true;
        } else {
            built.blocks.push_back(TakeBlock());
        }
    }

    double clock = spec.start;  // play position, as the scan's play clock runs
    std::uint64_t sample = 0;
    for (std::uint32_t i = 0; i < spec.blockCount; ++i) {
        const std::uint32_t block = built.blocks[i];
        const bool last = i + 1 == spec.blockCount;
        std::uint32_t soundPages = last && spec.lastBlockPages ? std::min(spec.lastBlockPages, n) : n;
        if (const auto it = spec.blockSoundPages.find(i); it != spec.blockSoundPages.end())
            soundPages = std::min(it->second, n);
        const auto stamp = static_cast<std::uint32_t>(i == 0 ? spec.start : std::trunc(clock));
        built.times.push_back(stamp);

        TBlockHeader header;
        header.SetOwner(spec.number);
        header.SetTime(stamp);
        header.SetSequence(static_cast<std::uint16_t>(spec.firstSequence + i));
        header.Bytes[8] = spec.compress;
        header.Bytes[9] = spec.param;
        header.Bytes[10] = spec.rateCode;
        header.Bytes[11] = spec.statusVas;
        header.Bytes[12] = spec.cyclic;
        header.Bytes[13] = i == 0 && spec.call ? TBlockHeader::kCallInfoFlag : 0;
        header.UpdateCrc();

        const bool storeAll = m_writeFullBlocks || last || !spec.breaks.empty() || soundPages < n;
        std::optional<std::uint32_t> stampDue;  // this page starts a stretch after a break
        bool stampUnwritten = false;
        bool followsStamp = false;
        for (std::uint32_t j = 0; j < soundPages; ++j) {
            const std::uint64_t address = std::uint64_t{block} * n + j;
            const auto breakAt = std::find_if(spec.breaks.begin(), spec.breaks.end(),
                                              [&](const BreakSpec& b) { return b.block == i && b.page == j; });
            const bool stampPage = stampDue.has_value();
            if ((stampPage && stampUnwritten) || (j > 0 && !storeAll)) {
                stampDue.reset();
                clock += perPage;
                continue;
            }
            std::vector<std::uint8_t>& page = Page(address);
            if (j == 0) {
                WriteSound(page, spec, SoundStart(spec.compress, true, false), p - 2, sample);
                if (spec.compress == kCompressAdpcm)
                    PutU16(page.data() + 64, static_cast<std::uint16_t>(m_signal(sample)));
                header.WriteCopies(page.data());
            } else if (stampPage) {
                std::uint8_t bytes[4];
                PutU32(bytes, *stampDue);
                WriteThreeCopies(bytes, page.data(), 4);
                WriteSound(page, spec, kStampBytes, p - 2, sample);
            } else {
                WriteSound(page, spec, SoundStart(spec.compress, false, followsStamp), p - 2, sample);
            }
            followsStamp = stampPage;
            stampDue.reset();
            if (breakAt != spec.breaks.end()) {
                std::fill(page.begin() + std::min(breakAt->filledBytes, p - 2), page.end(), std::uint8_t{0xFF});
                clock = std::trunc(clock + perPage + breakAt->gapSeconds);
                stampDue = breakAt->stamp.value_or(static_cast<std::uint32_t>(clock));
                stampUnwritten = breakAt->stampPageUnwritten;
                continue;
            }
            SetStatus(page, flash_layout::kSoundPageMark);
            clock += perPage;
        }
        if (soundPages < n)
            clock += perPage * (n - soundPages);
        if (i == 0 && spec.call) {
            std::vector<std::uint8_t>& first = Page(std::uint64_t{block} * n);
            std::uint8_t* info = first.data() + TCallInfo::kOffset;
            std::fill_n(info, TCallInfo::kSize, std::uint8_t{0});
            info[2] = spec.call->valid;
            info[4] = spec.call->outgoing ? 1 : 0;
            info[5] = spec.call->storedCount.value_or(static_cast<std::uint8_t>(spec.call->digits.size()));
            std::copy_n(spec.call->digits.begin(), std::min<std::size_t>(spec.call->digits.size(), 20), info + 6);
        }
    }
    return built;
}

std::vector<std::uint32_t> ContentBuilder::AddDriveFile(const DriveFileSpec& spec)
{
    const std::uint32_t n = m_geometry.pagesPerBlock;
    const std::uint32_t chunks = m_geometry.pageSize / 256;
    const std::uint32_t d = chunks * 253;  // data bytes of a page
    const std::uint64_t size = spec.folder ? 0 : spec.data.size();
    const std::uint64_t perBlock = std::uint64_t{d} * n - 64;
    const auto blockCount =
        static_cast<std::uint32_t>(std::max<std::uint64_t>(1, (d + size - 64 + perBlock - 1) / perBlock));

    std::vector<std::uint32_t> blocks;
    for (std::uint32_t i = 0; i < blockCount; ++i) {
        if (i < spec.blocks.size()) {
            blocks.push_back(spec.blocks[i]);
            m_used.at(spec.blocks[i]) = true;
        } else {
            blocks.push_back(TakeBlock());
        }
    }

    // The byte stream of the blocks' data areas: the name, then the data.
    std::vector<std::uint8_t> stream(std::size_t{d} - 64, 0);
    const std::size_t nameChars = std::min<std::size_t>(spec.name.size(), (d - 64) / 2 - 1);
    for (std::size_t c = 0; c < nameChars; ++c)
        PutU16(stream.data() + 2 * c, spec.name[c]);
    if (!spec.folder)
        stream.insert(stream.end(), spec.data.begin(), spec.data.end());

    std::size_t at = 0;
    for (std::uint32_t i = 0; i < blockCount; ++i) {
        TBlockHeader header;
        header.SetOwner(static_cast<std::uint16_t>(flash_layout::kDriveFileOwner | spec.number));
        header.SetTime(spec.time);
        header.SetDriveFileSize(static_cast<std::uint32_t>(size));
        header.SetDriveSequence(static_cast<std::uint16_t>(i + 1));
        header.Bytes[12] = spec.folder ? 1 : 0;
        header.Bytes[13] = 0;
        header.UpdateCrc();
        for (std::uint32_t j = 0; j < n && (j == 0 || at < stream.size()); ++j) {
            std::vector<std::uint8_t>& page = Page(std::uint64_t{blocks[i]} * n + j);
            std::fill(page.begin(), page.end(), std::uint8_t{0});
            const std::size_t from = j == 0 ? 64 : 0;
            const std::size_t take = std::min<std::size_t>(d - from, stream.size() - std::min(at, stream.size()));
            std::copy_n(stream.begin() + static_cast<std::ptrdiff_t>(at), take,
                        page.begin() + static_cast<std::ptrdiff_t>(from));
            at += take;
            if (j == 0)
                header.WriteCopies(page.data());
            std::fill(page.begin() + d, page.end(), std::uint8_t{0xFF});
            for (std::uint32_t c = 0; c < chunks; ++c)
                NandEccCalculate(page.data() + d + 3 * c, page.data() + 256 * c);
        }
    }
    return blocks;
}

void ContentBuilder::CorruptHeaderCopy(std::uint32_t block, int copy, std::size_t byte)
{
    Page(std::uint64_t{block} * m_geometry.pagesPerBlock).at(copy * TBlockHeader::kSize + byte) ^= 0x5A;
}

void ContentBuilder::CorruptHeaderCrc(std::uint32_t block)
{
    std::vector<std::uint8_t>& page = Page(std::uint64_t{block} * m_geometry.pagesPerBlock);
    for (int copy = 0; copy < 3; ++copy)
        page[copy * TBlockHeader::kSize + 18] ^= 0x01;
}

void ContentBuilder::WriteHalfWrittenHeader(std::uint32_t block)
{
    TBlockHeader header = TBlockHeader::Erased();
    header.SetTime(1700000000);
    header.Bytes[8] = 2;
    WriteHeader(block, header);
}

void ContentBuilder::WriteHeader(std::uint32_t block, const TBlockHeader& header)
{
    m_used.at(block) = true;
    header.WriteCopies(Page(std::uint64_t{block} * m_geometry.pagesPerBlock).data());
}

std::vector<std::uint8_t> ContentBuilder::PageBytes(std::uint64_t page) const
{
    const auto it = m_pages.find(page);
    return it != m_pages.end() ? it->second : std::vector<std::uint8_t>(m_geometry.pageSize, 0xFF);
}

void ContentBuilder::WriteTo(SimRecorder& recorder) const
{
    if (recorder.PageStride() != m_geometry.pageSize || recorder.Geometry().pagesPerBlock != m_geometry.pagesPerBlock)
        throw std::invalid_argument("the recorder's geometry differs from the content's");
    for (const auto& [page, bytes] : m_pages)
        recorder.WritePage(page, bytes);
}

void ContentBuilder::WriteTo(ImageBuilder& image) const
{
    if (image.PageStride() != m_geometry.pageSize)
        throw std::invalid_argument("the image's page stride differs from the content's page size");
    for (const auto& [page, bytes] : m_pages)
        image.Page(static_cast<std::uint32_t>(page / m_geometry.pagesPerBlock),
                   static_cast<std::uint32_t>(page % m_geometry.pagesPerBlock), bytes);
}

void ContentBuilder::WriteSparseImage(const ImageBuilder& image, const std::string& path) const
{
    if (image.PageStride() != m_geometry.pageSize)
        throw std::invalid_argument("the image's page stride differs from the content's page size");
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        throw std::runtime_error("cannot create the image " + path);
    auto put = [&](std::uint64_t offset, const std::uint8_t* bytes, std::size_t length) {
        if (::pwrite(fd, bytes, length, static_cast<off_t>(offset)) != static_cast<ssize_t>(length)) {
            ::close(fd);
            throw std::runtime_error("cannot write the image " + path);
        }
    };
    const auto header = image.Header();
    put(0, header.data(), header.size());

    // Blocks with stored pages are written whole (erased pages as 0xFF);
    // of the others only the header area, which is all the scan reads.
    const std::uint32_t n = m_geometry.pagesPerBlock;
    std::vector<bool> stored(m_geometry.totalBlocks);
    for (const auto& entry : m_pages)
        stored.at(entry.first / n) = true;
    const std::vector<std::uint8_t> erased(m_geometry.pageSize, 0xFF);
    for (std::uint32_t b = 0; b < m_geometry.totalBlocks; ++b) {
        for (std::uint32_t j = 0; j < (stored[b] ? n : 1); ++j) {
            const auto it = m_pages.find(std::uint64_t{b} * n + j);
            const std::vector<std::uint8_t>& bytes = it != m_pages.end() ? it->second : erased;
            put(image.PageOffset(b, j), bytes.data(), stored[b] || j > 0 ? bytes.size() : TBlockHeader::kAreaSize);
        }
    }
    put(image.DataStartOffset(), ImageMagic.data(), ImageMagic.size());
    const bool sized = ::ftruncate(fd, static_cast<off_t>(image.FileSize())) == 0;
    ::close(fd);
    if (!sized)
        throw std::runtime_error("cannot size the image " + path);
}
