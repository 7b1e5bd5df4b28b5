#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The recorder's settings as they travel in the settings commands: each item
// is serialised field by field, little-endian, in the order given here.

// One recording profile (8 bytes on the wire).
struct TRecordProfile {
    std::uint8_t Index = 0;       // the profile's number
    std::uint16_t SampleRate = 0; // Hz: 4000, 8000 or 16000
    std::uint8_t Compress = 0;    // 0 none, 1 companded 8-bit, 2 ADPCM
    std::uint8_t CompressParam = 0;
    std::uint8_t Vas = 0; // voice activation on
    std::uint8_t CyclicRecord = 0;
    std::uint8_t CycleBufSize = 0; // percent of memory

    static constexpr std::size_t kSize = 8;
    void Serialize(std::uint8_t* out) const;
    static TRecordProfile Parse(const std::uint8_t* in);
    bool operator==(const TRecordProfile&) const = default;
};

// Voice-activation thresholds (12 bytes on the wire).
struct TVasParams {
    std::uint16_t T1 = 0;
    std::uint16_t T2 = 0;
    std::uint16_t T3 = 0;
    std::uint8_t T4 = 0;
    std::uint16_t T5 = 0;
    std::uint8_t X1 = 0;
    std::uint8_t X2 = 0;
    std::uint8_t X3 = 0;

    static constexpr std::size_t kSize = 12;
    void Serialize(std::uint8_t* out) const;
    static TVasParams Parse(const std::uint8_t* in);
    bool operator==(const TVasParams&) const = default;
};

// A timer (9 bytes): on and off in recorder clock seconds since 1970.
struct TTimerSetting {
    std::uint32_t On = 0;
    std::uint32_t Off = 0;
    std::uint8_t Disabled = 0; // 0 = active

    static constexpr std::size_t kSize = 9;
    void Serialize(std::uint8_t* out) const;
    static TTimerSetting Parse(const std::uint8_t* in);
    bool operator==(const TTimerSetting&) const = default;
};

// One caller-identification setting (2 bytes).
struct TAonPair {
    std::uint8_t Code = 0;
    std::uint8_t Value = 0;

    bool operator==(const TAonPair&) const = default;
};

struct TRecorderSettings {
    static constexpr std::size_t kProfileCount = 8;
    static constexpr std::size_t kPasswordBytes = 8;
    static constexpr std::size_t kPasswordUsed = 7; // 7 x 0xFF = no password
    static constexpr std::size_t kBatteryLevelCount = 4;
    static constexpr std::size_t kAonCount = 13;
    static constexpr std::size_t kBatteryLevelsSize = 2 * kBatteryLevelCount;
    static constexpr std::size_t kAonSize = 2 * kAonCount;

    std::array<TRecordProfile, kProfileCount> Profiles{};
    TVasParams Vas{};
    std::uint8_t SearchStep = 0;
    std::uint8_t PressType = 0;                                    // 0 single, other double
    std::uint8_t AccessLevel = 0;                                  // from 1
    std::array<std::uint16_t, kBatteryLevelCount> BatteryLevels{}; // entries 1..3: levels 1..3
    std::uint8_t CodecGain = 0;
    std::uint8_t ExtDevice = 0;
    TTimerSetting OnceTimer{};
    TTimerSetting DailyTimer{};
    std::uint8_t CurrentProfile = 0; // 0..7
    std::array<std::uint8_t, kPasswordBytes> Password{};
    std::array<TAonPair, kAonCount> Aon{};

    // The whole record, packed in field order.
    static constexpr std::size_t kSize = 142;
    void Serialize(std::uint8_t* out) const;
    static TRecorderSettings Parse(const std::uint8_t* in);
    bool operator==(const TRecorderSettings&) const = default;
};

// Items that travel as byte blocks of their own.
void SerializeBatteryLevels(const TRecorderSettings& settings, std::uint8_t* out);
void ParseBatteryLevels(const std::uint8_t* in, TRecorderSettings& settings);
void SerializeAon(const TRecorderSettings& settings, std::uint8_t* out);
void ParseAon(const std::uint8_t* in, TRecorderSettings& settings);

// The largest timer value the read keeps (later values are clamped to it).
inline constexpr std::uint32_t kMaxTimerSeconds = 0xFFFFA4C4u;

// Brings values the recorder or an image may hold into the ranges the
// program works with: current profile 0..7, profile numbers, known rates and
// compressions, VAS X factors 1..127, once-timer bounds, access level >= 1.
void NormaliseRecorderSettings(TRecorderSettings& settings);
