#include "core/flash/SoundFraming.h"

#include <stdexcept>

#include "core/flash/SampleCodecs.h"
#include "core/protocol/SampleRate.h"

using namespace sound_framing;

namespace {

// Samples a byte of sound gives at most, as twice the count (PCM: half).
std::size_t SamplesPerByteTimes2(TSoundCodecId codec)
{
    switch (codec) {
    case scNoCompression:
        return 1;
    case scCompanded8:
        return 2;
    case scAdpcm4:
        return 4;
    case scAdpcm2:
        return 8;
    }
    return 0;
}

// The erased tail of a page that ends a stretch: 0xFFFF words from the
// status word backwards become 0.
void ClearErasedTail(std::uint8_t* page, std::uint32_t pageSize)
{
    for (std::uint32_t at = pageSize; at >= 2; at -= 2) {
        if (page[at - 2] != 0xFF || page[at - 1] != 0xFF)
            break;
        page[at - 2] = page[at - 1] = 0;
    }
}

}  // namespace

std::uint32_t SoundDataStart(TPageFraming framing, TSoundPageKind kind)
{
    const std::uint32_t lead = framing == TPageFraming::Adpcm ? kAdpcmLeadBytes : 0;
    switch (kind) {
    case TSoundPageKind::BlockStart:
        return kBlockStartBytes + lead;
    case TSoundPageKind::Stamp:
        return kStampBytes;
    case TSoundPageKind::AfterStamp:
        return kAfterStampBytes + lead;
    case TSoundPageKind::Plain:
        return lead;
    }
    throw std::logic_error("Unknown sound page kind");
}

std::size_t DecodedSampleCount(const TBlockHeader& header, TSoundPageKind firstKind, std::uint32_t pageSize,
                               std::size_t pages)
{
    const TCodecInfo* codec = FindCodec(header.Compress(), header.CompressParam());
    if (!codec || pageSize <= kBlockStartBytes + kAdpcmLeadBytes + 2)
        return 0;
    const std::size_t frame = RateCodeToHz(header.RateCode()) / 50;
    std::size_t samples = 0;
    TSoundPageKind kind = firstKind;
    for (std::size_t p = 0; p < pages; ++p, kind = NextPageKind(kind)) {
        const std::size_t bytes = SoundDataEnd(pageSize) - SoundDataStart(codec->framing, kind);
        switch (codec->codecId) {
        case scNoCompression:
            samples += bytes / 2;
            break;
        case scCompanded8:
            // Each page starts a frame: a header byte, then frame samples.
            samples += bytes - (bytes + frame) / (frame + 1);
            break;
        case scAdpcm4:
            samples += 2 * bytes;
            break;
        case scAdpcm2:
            samples += 4 * bytes;
            break;
        }
    }
    return samples;
}

void DecodeSoundPages(const TBlockHeader& header, TSoundPageKind firstKind, std::span<std::uint8_t> pages,
                      std::uint32_t pageSize, bool lastIsBreak, std::vector<std::int16_t>& out)
{
    if (pageSize <= kBlockStartBytes + kAdpcmLeadBytes + 2 || pages.size() % pageSize != 0)
        throw std::invalid_argument("Sound pages of an impossible size");
    const std::size_t count = pages.size() / pageSize;
    const TCodecInfo* codec = FindCodec(header.Compress(), header.CompressParam());
    if (!codec || count == 0) {
        out.clear();
        return;
    }
    out.resize(pages.size() * SamplesPerByteTimes2(codec->codecId) / 2);
    if (lastIsBreak)
        ClearErasedTail(pages.data() + (count - 1) * pageSize, pageSize);

    const auto frame = static_cast<std::uint16_t>(RateCodeToHz(header.RateCode()) / 50);
    std::int16_t* sample = out.data();
    TCompandState compand;  // exponent and scale carry over from page to page
    TSoundPageKind kind = firstKind;
    for (std::size_t p = 0; p < count; ++p, kind = NextPageKind(kind)) {
        const std::uint8_t* byte = pages.data() + p * pageSize + SoundDataStart(codec->framing, kind);
        const std::uint8_t* const end = pages.data() + p * pageSize + SoundDataEnd(pageSize);
        switch (codec->codecId) {
        case scNoCompression:
            for (; byte + 1 < end; byte += 2)
                *sample++ = static_cast<std::int16_t>(byte[0] | byte[1] << 8);
            break;
        case scCompanded8:
            compand.Counter = 0;
            for (; byte < end; ++byte) {
                const bool frameHeader = compand.Counter == 0;
                const std::int16_t value = CompandDecode8(*byte, compand);
                if (frameHeader)
                    compand.Counter = frame;
                else
                    *sample++ = value;
            }
            break;
        case scAdpcm4: {
            TAdpcmState state;
            for (; byte < end; ++byte) {
                *sample++ = ImaAdpcmDecode4(*byte >> 4, state);
                *sample++ = ImaAdpcmDecode4(*byte & 0x0F, state);
            }
            break;
        }
        case scAdpcm2: {
            TAdpcmState state;
            for (; byte < end; ++byte)
                for (int shift = 6; shift >= 0; shift -= 2)
                    *sample++ = Adpcm2Decode((*byte >> shift) & 3, state);
            break;
        }
        }
    }
    out.resize(static_cast<std::size_t>(sample - out.data()));
}
