#include "core/flash/SampleCodecs.h"

#include <algorithm>
#include <cstdlib>

namespace codec_tables {

const std::int16_t kImaStepTable[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

const std::uint16_t kCompandExpand[128] = {
    0,    1,    1,    2,    2,    2,    3,    3,    4,    4,    5,    5,    6,    7,    7,    8,
    9,    9,    10,   11,   12,   13,   14,   15,   16,   17,   18,   19,   20,   21,   23,   24,
    26,   27,   29,   30,   32,   34,   35,   37,   39,   41,   44,   46,   48,   51,   53,   56,
    59,   62,   65,   68,   72,   75,   79,   83,   87,   91,   95,   100,  105,  110,  115,  120,
    126,  132,  138,  145,  151,  159,  166,  174,  182,  190,  199,  208,  218,  228,  238,  249,
    260,  272,  285,  297,  311,  325,  340,  355,  371,  388,  406,  424,  443,  463,  484,  506,
    528,  552,  577,  603,  630,  658,  688,  719,  751,  784,  819,  856,  894,  934,  976,  1019,
    1065, 1112, 1162, 1214, 1268, 1324, 1383, 1445, 1509, 1577, 1647, 1720, 1797, 1876, 1960, 2047};

const std::uint8_t kCompandCompress[2048] = {
#include "core/flash/CompandTable.inc"
};

}  // namespace codec_tables

namespace {

using codec_tables::kCompandCompress;
using codec_tables::kCompandExpand;
using codec_tables::kImaStepTable;

constexpr int kIndex4[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};
constexpr int kIndex2[4] = {-1, 1, -1, 1};
constexpr std::uint8_t kMaxExponent = 4;

std::int16_t ClampEstimate(int value)
{
    return static_cast<std::int16_t>(std::clamp(value, -32767, 32767));
}

std::int8_t ClampIndex(int value)
{
    return static_cast<std::int8_t>(std::clamp(value, 0, 88));
}

// The magnitude a code of this frame decodes to, saturated to 16 bits.
int Expanded(std::uint8_t magnitudeCode, unsigned shift)
{
    return std::min(static_cast<int>(kCompandExpand[magnitudeCode]) << shift, 32767);
}

// |sample| with -32768 saturated to -32767: exponent 5 cannot be stored.
int Magnitude(std::int16_t sample)
{
    return std::min(std::abs(static_cast<int>(sample)), 32767);
}

}  // namespace

std::uint8_t ImaAdpcmEncode4(std::int16_t sample, TAdpcmState& state)
{
    int step = kImaStepTable[state.StepIndex];
    int diff = sample - state.Estimate;
    std::uint8_t code = 0;
    if (diff < 0) {
        code = 8;
        diff = -diff;
    }
    int delta = step >> 3;
    for (std::uint8_t bit = 4; bit > 0; bit >>= 1) {
        if (diff >= step) {
            code |= bit;
            diff -= step;
            delta += step;
        }
        step >>= 1;
    }
    state.Estimate = ClampEstimate(code & 8 ? state.Estimate - delta : state.Estimate + delta);
    state.StepIndex = ClampIndex(state.StepIndex + kIndex4[code]);
    return code;
}

std::int16_t ImaAdpcmDecode4(std::uint8_t code, TAdpcmState& state)
{
    code &= 0x0F;
    const int step = kImaStepTable[state.StepIndex];
    int delta = step >> 3;
    if (code & 4)
        delta += step;
    if (code & 2)
        delta += step >> 1;
    if (code & 1)
        delta += step >> 2;
    state.Estimate = ClampEstimate(code & 8 ? state.Estimate - delta : state.Estimate + delta);
    state.StepIndex = ClampIndex(state.StepIndex + kIndex4[code]);
    return state.Estimate;
}

std::int16_t Adpcm2Decode(std::uint8_t code, TAdpcmState& state)
{
    code &= 0x03;
    const int step = kImaStepTable[state.StepIndex];
    int delta = step >> 5;
    if (code & 1)
        delta += step;
    state.Estimate = ClampEstimate(code & 2 ? state.Estimate - delta : state.Estimate + delta);
    state.StepIndex = ClampIndex(state.StepIndex + kIndex2[code]);
    return state.Estimate;
}

std::uint8_t Adpcm2Encode(std::int16_t sample, TAdpcmState& state)
{
    const int step = kImaStepTable[state.StepIndex];
    int diff = sample - state.Estimate;
    std::uint8_t code = 0;
    if (diff < 0) {
        code = 2;
        diff = -diff;
    }
    if (diff >= step)
        code |= 1;
    Adpcm2Decode(code, state);
    return code;
}

void CompandPrepareFrame(TCompandState& state, const std::int16_t* samples, std::size_t count)
{
    int peak = 0;
    for (std::size_t i = 0; i < count; ++i)
        peak = std::max(peak, Magnitude(samples[i]));
    std::uint8_t exponent = 0;
    while (exponent < kMaxExponent && (peak >> (exponent + state.Scale)) > 2047)
        ++exponent;
    state.Exponent = exponent;
}

std::uint8_t CompandEncode8(std::int16_t sample, TCompandState& state)
{
    const std::uint16_t c = state.Counter--;
    if (c == 0)
        return static_cast<std::uint8_t>(state.Exponent << 4 | state.Scale);

    const unsigned shift = state.Exponent + state.Scale;
    const int magnitude = Magnitude(sample);
    std::uint8_t code = kCompandCompress[std::min(magnitude >> shift, 2047)];
    // A code whose expansion no longer fits 16 bits would wrap in the decoder.
    while (code > 0 && (static_cast<int>(kCompandExpand[code]) << shift) > 32767)
        --code;
    return sample < 0 ? static_cast<std::uint8_t>(code | 0x80) : code;
}

std::int16_t CompandDecode8(std::uint8_t byte, TCompandState& state)
{
    const std::uint16_t c = state.Counter--;
    if (c == 0) {
        const std::uint8_t exponent = byte >> 4;
        const std::uint8_t scale = byte & 0x0F;
        state.Exponent = exponent > kMaxExponent ? 0 : exponent;
        state.Scale = scale > kMaxExponent ? 0 : scale;
        return 0;
    }
    const int value = Expanded(byte & 0x7F, state.Exponent + state.Scale);
    return static_cast<std::int16_t>(byte & 0x80 ? -value : value);
}
