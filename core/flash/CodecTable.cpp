#include "core/flash/CodecTable.h"

#include <array>

namespace {

using C = TCompressionCaption;

// Searched in order: the first row that matches the pair wins.
constexpr std::array<TCodecInfo, 4> kCodecs{{
    {.compress = 0, .param = -1, .codecId = scNoCompression, .caption = C::NoCompress, .builtInCaption = "No compress",
     .scaled = false, .framing = TPageFraming::Plain, .uploadDivisor = 1, .lowRatesOnly = false},
    {.compress = 1, .param = -1, .codecId = scCompanded8, .caption = C::uLaw, .builtInCaption = "uLaw",
     .scaled = true, .framing = TPageFraming::Plain, .uploadDivisor = 2, .lowRatesOnly = false},
    {.compress = 2, .param = 1, .codecId = scAdpcm2, .caption = C::Adpcm2, .builtInCaption = "ADPCM 2 bit",
     .scaled = false, .framing = TPageFraming::Adpcm, .uploadDivisor = 8, .lowRatesOnly = true},
    {.compress = 2, .param = -1, .codecId = scAdpcm4, .caption = C::Adpcm4, .builtInCaption = "ADPCM 4 bit",
     .scaled = false, .framing = TPageFraming::Adpcm, .uploadDivisor = 4, .lowRatesOnly = true},
}};

}  // namespace

const TCodecInfo* FindCodec(std::uint8_t compress, std::uint8_t param)
{
    for (const TCodecInfo& codec : kCodecs)
        if (codec.compress == compress && (codec.param < 0 || codec.param == param))
            return &codec;
    return nullptr;
}

const TCodecInfo& CodecInfo(TCompressionCaption caption)
{
    for (const TCodecInfo& codec : kCodecs)
        if (codec.caption == caption)
            return codec;
    return kCodecs.front();
}

std::int64_t SoundBytesPerBlock(TPageFraming framing, std::uint32_t pagesPerBlock, std::uint32_t pageSize)
{
    const std::int64_t pages = pagesPerBlock;
    const std::int64_t blockBytes = pages * pageSize;
    if (framing == TPageFraming::Adpcm)
        return blockBytes - 64 - 4 * pages + 2;
    return blockBytes - 64 - 2 * pages;
}
