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

void ClearLsbs(std::uint8_t* bytes, std::size_t length)
{
    for (std::size_t i = 0; i + 1 < length; i += 2)
        bytes[i] &= 0xFE;  // little-endian: the low byte first
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
    for (std::size_t t = 0; t < 3; ++t) {
        m_phase[t] = 0;
        m_step[t] = params.SamplesPerSec ? kTwoPi * frequency[t] / static_cast<float>(params.SamplesPerSec) : 0;
        m_amplitude[t] = amplitude[t];
    }
    m_tone = 0;
    m_stereo = params.Channels == 2;
    m_computeTone = true;
    SealGroup();
}

void MarkStream::SealGroup()
{
    m_groupBits = mark_seal::Seal(m_live);
}

void MarkStream::Mark(std::uint8_t* bytes, std::size_t length)
{
    for (std::size_t at = 0; at + 1 < length; at += 2) {
        if (m_computeTone) {
            m_tone = std::sin(m_phase[0]) * m_amplitude[0] + std::sin(m_phase[1]) * m_amplitude[1] +
                     std::sin(m_phase[2]) * m_amplitude[2];
            for (std::size_t t = 0; t < 3; ++t) {
                m_phase[t] += m_step[t];
                if (m_phase[t] > kTwoPi)
                    m_phase[t] -= kTwoPi;
            }
        }
        const int v = std::clamp(static_cast<int>(static_cast<float>(LoadSample(bytes + at)) + m_tone), -32768, 32767);
        const int bit = (m_groupBits[m_index >> 3] >> (7 - (m_index & 7))) & 1;
        StoreSample(bytes + at, (v & ~1) | bit);
        if (m_stereo)
            m_computeTone = !m_computeTone;
        if (++m_index == kGroupSamples) {
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
