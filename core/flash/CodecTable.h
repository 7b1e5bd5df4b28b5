#pragma once

#include <cstddef>
#include <cstdint>

// The recorder's sample codecs by the (compression, parameter) pair of a
// block header or a profile: what the lists, the capacity figures and the
// upload read of each. No Qt here.

// Codec ids as the transfer worker stores them with a downloaded file.
enum TSoundCodecId : std::uint8_t {
    scNoCompression = 0,
    scAdpcm4 = 1,
    scCompanded8 = 2,
    scAdpcm2 = 3,
};

// The settings dialog's compression captions, which descriptions repeat.
enum class TCompressionCaption { NoCompress, uLaw, Adpcm2, Adpcm4 };
inline constexpr std::size_t kCompressionCaptionCount = 4;

// What a block spends besides sound: the block header, and on every page
// its status word (and with ADPCM the coder state it restarts from).
enum class TPageFraming : std::uint8_t {
    Plain, // 64 header bytes, 2 bytes a page
    Adpcm, // 62 header bytes, 4 bytes a page
};

struct TCodecInfo {
    std::uint8_t compress;
    std::int16_t param;        // -1: any parameter
    TSoundCodecId codecId;
    TCompressionCaption caption;
    const char* builtInCaption; // the caption before any language file
    bool scaled;               // the parameter picks a scale caption
    TPageFraming framing;
    std::uint8_t uploadDivisor; // 16-bit PCM bytes per coded byte
    bool lowRatesOnly;         // uploads only at 4000 and 8000 Hz
};

// The codec of a pair; null for a compression the recorder does not know.
const TCodecInfo* FindCodec(std::uint8_t compress, std::uint8_t param);
const TCodecInfo& CodecInfo(TCompressionCaption caption);

// Sound bytes of one block under a framing.
std::int64_t SoundBytesPerBlock(TPageFraming framing, std::uint32_t pagesPerBlock, std::uint32_t pageSize);
