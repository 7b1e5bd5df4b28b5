#include "audio/WaveFormatTags.h"

#include <array>

namespace {

// Format sizes are those of the WAVEFORMATEX-based records of each codec.
constexpr std::array<TWaveFormatTag, 7> kTags{{
    {0x0001, 16, u"PCM"},
    {0x0002, 50, u"Microsoft ADPCM"},
    {0x0006, 18, u"CCITT A-Law"},
    {0x0007, 18, u"CCITT u-Law"},
    {0x0011, 20, u"IMA ADPCM"},
    {0x0031, 20, u"GSM 6.10"},
    {0x0055, 30, u"MPEG Layer-3"},
}};

}  // namespace

std::optional<TWaveFormatTag> FindWaveFormatTag(std::uint16_t tag)
{
    for (const TWaveFormatTag& entry : kTags)
        if (entry.Tag == tag)
            return entry;
    return std::nullopt;
}
