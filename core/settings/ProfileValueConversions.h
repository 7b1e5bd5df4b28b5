#pragma once

#include <cstdint>

// Conversions between the values profile and preset files hold and the
// recorder's fields. They saturate where the field is too narrow.

// A gain on the reference from whole decibels: ceil(10^(log10(reference) +
// dB x 0.05)), at most 255.
std::uint8_t DbToGain(int reference, int decibels);

// Whole decibels of a gain on the reference: floor(-20 x (log10(reference) -
// log10(gain))). A gain of 0 has no finite value and gives kZeroGainDb, which
// DbToGain turns into 0 again.
inline constexpr int kZeroGainDb = -99999;
int GainToDb(int reference, int gain);

// A gain read from a file as whole decibels on 127, held to the 1..127 the
// recorder takes: a file cannot raise a gain above its reference, nor turn
// it off.
inline constexpr int kGainReference = 127;
inline constexpr std::uint8_t kMinFileGain = 1;
inline constexpr std::uint8_t kMaxFileGain = 127;
std::uint8_t FileGainFromDb(int decibels);

// Seconds (a file's fraction) to quarter seconds, truncated toward zero,
// within 0..65535.
std::uint16_t SecondsToQuarterSeconds(double seconds);
