#pragma once

#include <cstdint>

// The format of a wave file as the recorder sees it before an upload.
struct TWaveSourceFormat {
    std::uint16_t FormatTag = 0;  // 1 = PCM
    std::uint16_t Channels = 0;
    std::uint32_t SamplesPerSec = 0;
    std::uint16_t BitsPerSample = 0;
    std::uint64_t DataBytes = 0;  // bytes in the data chunk
};

inline constexpr std::uint16_t kWaveFormatPcm = 1;

// A wave file the recorder reads from (upload size and upload job). The
// core cannot see the audio library's wave-file class; that class
// implements this interface.
class TWaveSource {
public:
    virtual ~TWaveSource() = default;
    virtual TWaveSourceFormat SourceFormat() const = 0;
    // Up to count 16-bit samples from where the last read ended: the number
    // read (fewer only at the end of the data, 0 there), or -1 when the
    // read failed.
    virtual std::int32_t ReadSamples(std::int16_t* out, std::int32_t count) = 0;
};
