#include "core/flash/CodecTable.h"

#include <array>

namespace {

using C = TCompressionCaption;

// Searched in order: the first row that matches the pair wins.
constexpr std::array<TCodecInfo, 4> kCodecs{{
    {0, -1, scNoCompression, C::NoCompress, "No compress", false, TPageFraming::Plain, 1, false},
    {1, -1, scCompanded8, C::uLaw, "uLaw", true, TPageFraming::Plain, 2, false},
    {2, 1, scAdpcm2, C::Adpcm2, "ADPCM 2 bit", false, TPageFraming::Adpcm, 8, true},
    {2, -1, scAdpcm4, C::Adpcm4, "ADPCM 4 bit", false, TPageFraming::Adpcm, 4, true},
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
