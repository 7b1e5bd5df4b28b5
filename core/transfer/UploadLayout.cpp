#include "core/transfer/UploadLayout.h"

TUploadPageLayout UploadPageLayout(const TCodecInfo& codec, TSoundPageKind kind, std::uint32_t pageSize,
                                   std::uint32_t sampleRate)
{
    TUploadPageLayout layout;
    layout.Start = SoundDataStart(codec.framing, kind);
    const std::uint32_t end = SoundDataEnd(pageSize);
    if (pageSize < 2 || end <= layout.Start)
        return layout;
    layout.SoundBytes = end - layout.Start;
    switch (codec.codecId) {
    case scNoCompression:
        layout.Samples = layout.SoundBytes / 2;
        break;
    case scAdpcm4:
        layout.Samples = layout.SoundBytes * 2;
        break;
    case scAdpcm2:
        layout.Samples = layout.SoundBytes * 4;
        break;
    case scCompanded8: {
        // Every frame is a header byte and up to L codes; a page starts
        // with a header.
        const std::uint32_t frame = CompandFrameLength(sampleRate) + 1;
        layout.FrameHeaders = (layout.SoundBytes + frame - 1) / frame;
        layout.Samples = layout.SoundBytes - layout.FrameHeaders;
        break;
    }
    }
    return layout;
}

std::uint64_t UploadSamplesPerBlock(const TCodecInfo& codec, std::uint32_t pagesPerBlock, std::uint32_t pageSize,
                                    std::uint32_t sampleRate)
{
    if (pagesPerBlock == 0)
        return 0;
    const std::uint64_t first = UploadPageLayout(codec, TSoundPageKind::BlockStart, pageSize, sampleRate).Samples;
    const std::uint64_t other = UploadPageLayout(codec, TSoundPageKind::Plain, pageSize, sampleRate).Samples;
    return first + (pagesPerBlock - 1) * other;
}

std::uint64_t UploadBlocksNeeded(std::uint64_t samples, std::uint64_t samplesPerBlock)
{
    if (samplesPerBlock == 0)
        return 0;
    return samples / samplesPerBlock + (samples % samplesPerBlock != 0 ? 1 : 0);
}
