#pragma once

#include <cstddef>
#include <cstdint>

#include "core/settings/RecorderSettings.h"

// Where an image file's 512-byte header keeps the recorder settings. The
// header holds rate codes where the wire has Hz, and T4 and X1 widened to
// 16 bits; the current profile sits in byte 4, inside the copy of the last
// command 57 frame.
namespace settings_header {

constexpr std::size_t kHeaderSize = 512;
constexpr std::size_t kCurrentProfile = 0x004;
constexpr std::size_t kProfiles = 0x134;
constexpr std::size_t kProfileStride = 6;
constexpr std::size_t kVasT1 = 0x164;
constexpr std::size_t kVasT2 = 0x166;
constexpr std::size_t kVasT3 = 0x168;
constexpr std::size_t kVasT4 = 0x16A;
constexpr std::size_t kVasT5 = 0x16C;
constexpr std::size_t kVasX1 = 0x16E;
constexpr std::size_t kVasX2 = 0x170;
constexpr std::size_t kVasX3 = 0x171;
constexpr std::size_t kSearchStep = 0x17A;
constexpr std::size_t kAccessLevel = 0x17B;
constexpr std::size_t kPressType = 0x17C;
constexpr std::size_t kBatteryLevels = 0x17D;
constexpr std::size_t kOnceTimer = 0x187;
constexpr std::size_t kDailyTimer = 0x190;
constexpr std::size_t kPassword = 0x199;
constexpr std::size_t kAon = 0x1A0;

} // namespace settings_header

// Takes every field the header holds; CodecGain, ExtDevice and Password keep
// their values. Nothing is normalised here.
void SettingsFromImageHeader(const std::uint8_t* header, TRecorderSettings& settings);

// Writes the profiles, VAS, keys, battery levels, timers, caller-ID settings
// and the 7 password bytes. The current profile is not written: it reaches
// byte 4 through the image link's copy of the command 57 frame.
void SettingsToImageHeader(const TRecorderSettings& settings, std::uint8_t* header);
