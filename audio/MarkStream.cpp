#include "audio/MarkStream.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace {

constexpr float kTwoPi = 2 * std::numbers::pi_v<float>;

std::int16_t LoadSample(const std::uint8_t* at)
{
    std::int16_t sample;
    std::memcpy(&sample, at, sizeof sample);
    return sample;
}

void StoreSample(std::uint8_t* at, int value)
{
    const auto sample = static_cast<std::int16_t>(value);
    std::memcpy(at, &sample, sizeof sample);
}

// Every byte's bits, most significant first, one a sample.
constexpr std::array<std::array<std::int16_t, 8>, 256> ByteBits()
{
    std::array<std::array<std::int16_t, 8>, 256> table{};
    for (std::size_t b = 0; b < 256; ++b)
        for (std::size_t k = 0; k < 8; ++k)
            table[b][k] = static_cast<std::int16_t>(b >> (7 - k) & 1);
    return table;
}

// Sample i plus tone[i], truncated toward zero and limited, with bit[i] in
// its LSB.
std::int16_t MarkedSample(std::int16_t sample, float tone, std::int16_t bit)
{
    const int v = std::clamp(static_cast<int>(static_cast<float>(sample) + tone), -32768, 32767);
    return static_cast<std::int16_t>((v & ~1) | bit);
}

// A fixed count of samples, distinct arrays: the compiler marks them four
// or eight at a time.
constexpr std::size_t kChunk = 16;

void MarkChunk(std::int16_t* __restrict samples, const float* __restrict tone, const std::int16_t* __restrict bits)
{
    for (std::size_t i = 0; i < kChunk; ++i)
        samples[i] = MarkedSample(samples[i], tone[i], bits[i]);
}

void MarkRun(std::uint8_t* bytes, const float* tone, const std::int16_t* bits, std::size_t count)
{
    std::int16_t chunk[kChunk];
    std::size_t i = 0;
    for (; i + kChunk <= count; i += kChunk) {
        std::memcpy(chunk, bytes + 2 * i, sizeof chunk);
        MarkChunk(chunk, tone + i, bits + i);
        std::memcpy(bytes + 2 * i, chunk, sizeof chunk);
    }
    for (; i < count; ++i)
        StoreSample(bytes + 2 * i, MarkedSample(LoadSample(bytes + 2 * i), tone[i], bits[i]));
}

void ClearLsbs(std::uint8_t* bytes, std::size_t length)
{
    for (std::size_t i = 0; i + 1 < length; i += 2)
        bytes[i] &= 0xFE;  // little-endian: the low byte first
}

// run[k] = sum over the tones of s[t] x oc[t][k] + c[t] x os[t][k]. The
// arrays are distinct (restrict): the compiler sums four values at a time.
void SumTones(float* __restrict run, const float* __restrict oc, const float* __restrict os, const float* c,
              const float* s)
{
    constexpr std::uint32_t n = MarkStream::kToneRun;
    for (std::uint32_t k = 0; k < n; ++k)
        run[k] = s[0] * oc[k] + c[0] * os[k] + s[1] * oc[n + k] + c[1] * os[n + k] + s[2] * oc[2 * n + k] +
                 c[2] * os[2 * n + k];
}

// Reads exactly length bytes unless the source runs dry.
bool ReadAll(const MarkStream::Reader& read, std::uint8_t* buffer, std::size_t length)
{
    std::size_t got = 0;
    while (got < length) {
        const std::int32_t n = read(buffer + got, static_cast<std::int32_t>(length - got));
        if (n <= 0)
            return false;
        got += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

void MarkStream::Init(const TMarkParams& params)
{
    m_params = params;
    m_live = {};
    m_live.Magic = 0xFFFF;
    std::memcpy(m_live.Serial, params.Serial, sizeof m_live.Serial);
    m_live.Time = params.Time;
    m_live.Tone1Frequency = params.Tone1Frequency;
    m_live.Tone2Frequency = params.Tone2Frequency;
    m_live.Tone3Frequency = params.Tone3Frequency;
    m_live.Codec = params.Codec;
    m_live.NoPrivateChunk = params.NoPrivateChunk;

    m_index = 0;
    m_first = true;
    m_heldIsStart = false;
    m_held.clear();
    m_output.clear();
    m_final.reset();

    const float frequency[3] = {params.Tone1Frequency, params.Tone2Frequency, params.Tone3Frequency};
    const std::uint16_t amplitude[3] = {params.Tone1Amplitude, params.Tone2Amplitude, params.Tone3Amplitude};
    m_offsetCos.assign(3 * kToneRun, 0);
    m_offsetSin.assign(3 * kToneRun, 0);
    for (std::size_t t = 0; t < 3; ++t) {
        const double step = params.SamplesPerSec ? kTwoPi * frequency[t] / static_cast<float>(params.SamplesPerSec) : 0;
        for (std::uint32_t k = 0; k < kToneRun; ++k) {
            m_offsetCos[t * kToneRun + k] = static_cast<float>(amplitude[t] * std::cos(k * step));
            m_offsetSin[t * kToneRun + k] = static_cast<float>(amplitude[t] * std::sin(k * step));
        }
        m_phaseCos[t] = 1;
        m_phaseSin[t] = 0;
        m_runCos[t] = std::cos(kToneRun * step);
        m_runSin[t] = std::sin(kToneRun * step);
    }
    m_toneAt = kToneRun;
    m_tone = 0;
    m_stereo = params.Channels == 2;
    m_computeTone = true;
    SealGroup();
}

void MarkStream::SealGroup()
{
    static constexpr auto kByteBits = ByteBits();
    const mark_seal::TSealed bits = mark_seal::Seal(m_live);
    for (std::size_t j = 0; j < bits.size(); ++j)
        std::memcpy(m_groupMask.data() + 8 * j, kByteBits[bits[j]].data(), sizeof kByteBits[0]);
}

void MarkStream::NextToneRun()
{
    float c[3], s[3];
    for (std::size_t t = 0; t < 3; ++t) {
        c[t] = static_cast<float>(m_phaseCos[t]);
        s[t] = static_cast<float>(m_phaseSin[t]);
    }
    SumTones(m_toneRun.data(), m_offsetCos.data(), m_offsetSin.data(), c, s);
    for (std::size_t t = 0; t < 3; ++t) {
        const double cosine = m_phaseCos[t] * m_runCos[t] - m_phaseSin[t] * m_runSin[t];
        const double sine = m_phaseSin[t] * m_runCos[t] + m_phaseCos[t] * m_runSin[t];
        // One Newton step back to length 1; a run's rounding is far below it.
        const double scale = 1.5 - 0.5 * (cosine * cosine + sine * sine);
        m_phaseCos[t] = cosine * scale;
        m_phaseSin[t] = sine * scale;
    }
    m_toneAt = 0;
}

void MarkStream::Mark(std::uint8_t* bytes, std::size_t length)
{
    const std::size_t samples = length / 2;
    std::size_t done = 0;
    while (done < samples) {
        // A stretch within one group and, in mono, within one run of tones.
        std::size_t count = std::min<std::size_t>(samples - done, kGroupSamples - m_index);
        if (!m_stereo) {
            if (m_toneAt == kToneRun)
                NextToneRun();
            count = std::min<std::size_t>(count, kToneRun - m_toneAt);
        }
        const float* tone = m_toneRun.data() + m_toneAt;
        if (!m_stereo) {
            m_toneAt += static_cast<std::uint32_t>(count);
        } else {
            // Both samples of a pair take one tone value.
            for (std::size_t i = 0; i < count; ++i) {
                if (m_computeTone) {
                    if (m_toneAt == kToneRun)
                        NextToneRun();
                    m_tone = m_toneRun[m_toneAt++];
                }
                m_computeTone = !m_computeTone;
                m_pairTones[i] = m_tone;
            }
            tone = m_pairTones.data();
        }
        MarkRun(bytes + 2 * done, tone, m_groupMask.data() + m_index, count);
        done += count;
        m_index += static_cast<std::uint32_t>(count);
        if (m_index == kGroupSamples) {
            ++m_live.BlockCounter;
            m_index = 0;
            SealGroup();
        }
    }
}

void MarkStream::Process(const std::int16_t* input, std::uint32_t length, const std::uint8_t*& output,
                         std::uint32_t& outputLength)
{
    output = nullptr;
    outputLength = 0;
    if (m_final) {
        m_output.clear();
        m_output.shrink_to_fit();
        return;
    }
    m_live.ByteCounter += length;
    if (m_first && Framed()) {
        const mark_seal::TSealed start = mark_seal::Seal(m_live);
        m_held.assign(start.begin(), start.end());
        m_heldIsStart = true;
    }
    const bool first = m_first;
    const bool heldIsStart = m_heldIsStart;
    m_first = m_heldIsStart = false;
    std::swap(m_output, m_held);  // the held piece goes out; its buffer takes the next
    const auto* in = reinterpret_cast<const std::uint8_t*>(input);

    if (length > kFinalFlushMax) {
        m_held.assign(in, in + length);
        if (!first)
            Mark(m_output.data(), m_output.size());
    } else {
        if (length > 0)
            m_output.insert(m_output.end(), in, in + length);
        // The start block is never marked: the audio follows it.
        const std::size_t audioAt = heldIsStart ? sizeof(TMarkBlock) : 0;
        std::uint8_t* audio = m_output.data() + audioAt;
        const auto total = static_cast<std::int64_t>(m_output.size() - audioAt);
        // Mark up to the last group boundary, but leave a stream that ends on
        // one with its last whole group unmarked; a stream too short for that
        // only has its LSBs cleared.
        const std::int64_t done = 2 * std::int64_t{m_index};
        std::int64_t marked = (done + total) / kGroupBytes * kGroupBytes - done;
        if (marked == total)
            marked -= kGroupBytes;
        marked = std::clamp<std::int64_t>(marked, 0, total);
        Mark(audio, static_cast<std::size_t>(marked));
        ClearLsbs(audio + marked, static_cast<std::size_t>(total - marked));
        m_held.clear();
        m_held.shrink_to_fit();
        m_final = mark_seal::Seal(m_live);
        if (Framed())
            m_output.insert(m_output.end(), m_final->begin(), m_final->end());
    }
    if (!m_output.empty()) {
        output = m_output.data();
        outputLength = static_cast<std::uint32_t>(m_output.size());
    }
}

int MarkStream::Check(const Reader& read, const std::uint8_t* stored, std::uint8_t* storedOut)
{
    const mark_seal::TInverse inverse = mark_seal::InverseScramble();
    TMarkBlock block;
    if (!stored || !mark_seal::Unseal(stored, inverse, block))
        return -4;
    if (storedOut)
        std::memcpy(storedOut, &block, sizeof block);

    const std::uint32_t counter = block.ByteCounter;
    std::uint32_t groups = counter / kGroupBytes;
    if (groups > 0 && counter % kGroupBytes == 0)
        --groups;

    std::uint8_t buffer[kGroupBytes];
    if (!ReadAll(read, buffer, sizeof(TMarkBlock)) || !mark_seal::Unseal(buffer, inverse, block))
        return -2;
    for (std::uint32_t g = 1; g <= groups; ++g) {
        if (!ReadAll(read, buffer, kGroupBytes))
            return static_cast<int>(g);
        mark_seal::TSealed bits{};
        for (std::uint32_t s = 0; s < kGroupSamples; ++s)
            bits[s / 8] = static_cast<std::uint8_t>(bits[s / 8] | (buffer[2 * s] & 1) << (7 - s % 8));
        if (!mark_seal::Unseal(bits.data(), inverse, block))
            return static_cast<int>(g);
    }
    const std::uint32_t tail = counter - groups * kGroupBytes;
    if (tail > kFinalFlushMax || !ReadAll(read, buffer, tail))
        return -3;
    for (std::uint32_t i = 0; i + 1 < tail; i += 2)
        if (buffer[i] & 1)
            return -3;
    if (!ReadAll(read, buffer, sizeof(TMarkBlock)) || !mark_seal::Unseal(buffer, inverse, block))
        return -1;
    return 0;
}
