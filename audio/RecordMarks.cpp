#include "audio/RecordMarks.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <random>

#include "audio/MarkStream.h"
#include "audio/WaveAddInfo.h"
#include "audio/WaveFile.h"
#include "core/protocol/RecorderClock.h"

TMarkParams RecordMarkParams(const TWaveFile& wave, const QString& serialNumber, std::uint8_t codec,
                             std::uint8_t noPrivateChunk)
{
    TMarkParams params{};
    const QByteArray serial = serialNumber.toLatin1();
    std::memcpy(params.Serial, serial.constData(), std::min<std::size_t>(serial.size(), sizeof(params.Serial)));
    params.Flags = 3;
    if (wave.PrivateChunk() != nullptr && wave.PrivateChunkLength() > 0)
        params.Time = SystemTimeToRtc(ReadWaveAddInfo(wave.PrivateChunk(), wave.PrivateChunkLength()).Time);
    const TWaveFormatEx format = wave.Format();
    params.SamplesPerSec = static_cast<std::uint16_t>(format.SamplesPerSec);
    params.Channels = static_cast<std::uint8_t>(format.Channels);
    params.BitsPerSample = static_cast<std::uint8_t>(format.BitsPerSample);
    params.Codec = codec;
    params.NoPrivateChunk = noPrivateChunk;

    // Each file gets its own tones, so no two downloads carry the same mark.
    std::minstd_rand random(static_cast<std::uint32_t>(std::chrono::system_clock::now().time_since_epoch().count()));
    const auto draw = [&](std::uint32_t k) { return k == 0 ? 0u : static_cast<std::uint32_t>(random() % k); };
    const auto half = static_cast<float>(format.SamplesPerSec / 2);
    params.Tone1Frequency = 5.0f + static_cast<float>(draw(901)) * 0.01f;
    params.Tone1Amplitude = 80;
    params.Tone2Frequency = (half - 450.0f) + static_cast<float>(draw(20001)) * 0.01f;
    params.Tone2Amplitude = 6;
    params.Tone3Frequency = (half - 245.0f) + static_cast<float>(draw(19501)) * 0.01f;
    params.Tone3Amplitude = 6;
    return params;
}

void SetupRecordMarks(MarkStream& stream, const TWaveFile& wave, const QString& serialNumber, std::uint8_t codec,
                      std::uint8_t noPrivateChunk)
{
    stream.Init(RecordMarkParams(wave, serialNumber, codec, noPrivateChunk));
}
