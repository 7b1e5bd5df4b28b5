#pragma once

#include <cstddef>
#include <cstdint>

// The caller-ID decoder library ("libaon.so"): three C entry points. The
// library is not ours; this is the interface the info view relies on.
//   AonInit       once per file, with the sample rate, before the data
//   AonProcess    once per block of audio data, always 8192 16-bit samples
//   AonGetResult  once after the data, into a zeroed 256-byte result
extern "C" {
void AonInit(std::uint32_t sampleRate);
void AonProcess(std::uint32_t sampleCount, const std::int16_t* samples);
void AonGetResult(std::uint16_t* result);
}

namespace aon {

inline constexpr const char* kLibraryName = "libaon.so";
inline constexpr std::uint32_t kSamplesPerCall = 8192;
inline constexpr std::uint32_t kBlockBytes = kSamplesPerCall * 2;
inline constexpr std::size_t kResultWords = 128;

}  // namespace aon

// The entry points of a loaded library.
struct TAonFunctions {
    decltype(&AonInit) Init = nullptr;
    decltype(&AonProcess) Process = nullptr;
    decltype(&AonGetResult) GetResult = nullptr;
};
