#pragma once

#include <cstddef>
#include <cstdint>

// The recorder's three sample codecs, one sample or one code a call, over a
// small state the caller owns and resets. Samples are 16-bit signed mono.

// IMA ADPCM (4-bit codes) and the 2-bit ADPCM on the same step table.
struct TAdpcmState {
    std::int16_t Estimate = 0;
    std::int8_t StepIndex = 0;  // 0..88
};

std::uint8_t ImaAdpcmEncode4(std::int16_t sample, TAdpcmState& state);
std::int16_t ImaAdpcmDecode4(std::uint8_t code, TAdpcmState& state);
std::uint8_t Adpcm2Encode(std::int16_t sample, TAdpcmState& state);
std::int16_t Adpcm2Decode(std::uint8_t code, TAdpcmState& state);

// 8-bit companded codes in frames: a header byte (exponent in bits 7-4,
// scale in bits 3-0), then one code a sample (bit 7 the sign, a 7-bit
// magnitude). The caller sets Counter to the frame length after a header.
struct TCompandState {
    std::uint8_t Exponent = 0;
    std::uint8_t Scale = 0;
    std::uint16_t Counter = 0;
};

// Chooses the exponent of the frame that starts with these samples: the
// smallest (at most 4) whose shifted peak fits 11 bits. Call it before the
// header goes out; the frame's codes are then made with that exponent.
void CompandPrepareFrame(TCompandState& state, const std::int16_t* samples, std::size_t count);

// A header byte when Counter is 0, else the code of the sample.
std::uint8_t CompandEncode8(std::int16_t sample, TCompandState& state);
// 0 for a header byte (which sets exponent and scale), else the sample.
std::int16_t CompandDecode8(std::uint8_t byte, TCompandState& state);

namespace codec_tables {
extern const std::int16_t kImaStepTable[89];
extern const std::uint16_t kCompandExpand[128];    // code magnitude -> 11-bit magnitude
extern const std::uint8_t kCompandCompress[2048];  // 11-bit magnitude -> code magnitude
}  // namespace codec_tables
