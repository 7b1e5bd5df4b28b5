#pragma once

#include <cstdint>

#include "core/flash/CodecTable.h"
#include "core/flash/SoundFraming.h"

// How an upload fills a page and a block with a codec, on the download's
// framing: where the sound bytes lie and how many source samples they take.
struct TUploadPageLayout {
    std::uint32_t Start = 0;         // first sound byte
    std::uint32_t SoundBytes = 0;    // up to the status word
    std::uint32_t FrameHeaders = 0;  // companded: frame header bytes among them
    std::uint32_t Samples = 0;       // source samples the page takes
};

// Frame length of the companded codec: 20 ms of samples.
constexpr std::uint32_t CompandFrameLength(std::uint32_t sampleRate)
{
    return sampleRate / 50;
}

// A page of the kind (block start or plain) with the codec at the source's
// rate. A page too small for any sound gives no samples.
TUploadPageLayout UploadPageLayout(const TCodecInfo& codec, TSoundPageKind kind, std::uint32_t pageSize,
                                   std::uint32_t sampleRate);

// Source samples one block takes (0 without a geometry).
std::uint64_t UploadSamplesPerBlock(const TCodecInfo& codec, std::uint32_t pagesPerBlock, std::uint32_t pageSize,
                                    std::uint32_t sampleRate);

// Blocks that hold that many samples (0 when a block holds none).
std::uint64_t UploadBlocksNeeded(std::uint64_t samples, std::uint64_t samplesPerBlock);
