#include "core/settings/RecorderSettings.h"

#include <algorithm>

#include "core/protocol/RecorderCommands.h"

void TRecordProfile::Serialize(std::uint8_t* out) const
{
    out[0] = Index;
    PutU16(out + 1, SampleRate);
    out[3] = Compress;
    out[4] = CompressParam;
    out[5] = Vas;
    out[6] = CyclicRecord;
    out[7] = CycleBufSize;
}

TRecordProfile TRecordProfile::Parse(const std::uint8_t* in)
{
    return {in[0], GetU16(in + 1), in[3], in[4], in[5], in[6], in[7]};
}

void TVasParams::Serialize(std::uint8_t* out) const
{
    PutU16(out, T1);
    PutU16(out + 2, T2);
    PutU16(out + 4, T3);
    out[6] = T4;
    PutU16(out + 7, T5);
    out[9] = X1;
    out[10] = X2;
    out[11] = X3;
}

TVasParams TVasParams::Parse(const std::uint8_t* in)
{
    return {GetU16(in), GetU16(in + 2), GetU16(in + 4), in[6], GetU16(in + 7), in[9], in[10], in[11]};
}

void TTimerSetting::Serialize(std::uint8_t* out) const
{
    PutU32(out, On);
    PutU32(out + 4, Off);
    out[8] = Disabled;
}

TTimerSetting TTimerSetting::Parse(const std::uint8_t* in)
{
    return {GetU32(in), GetU32(in + 4), in[8]};
}

void SerializeBatteryLevels(const TRecorderSettings& settings, std::uint8_t* out)
{
    for (std::size_t i = 0; i < settings.BatteryLevels.size(); ++i)
        PutU16(out + 2 * i, settings.BatteryLevels[i]);
}

void ParseBatteryLevels(const std::uint8_t* in, TRecorderSettings& settings)
{
    for (std::size_t i = 0; i < settings.BatteryLevels.size(); ++i)
        settings.BatteryLevels[i] = GetU16(in + 2 * i);
}

void SerializeAon(const TRecorderSettings& settings, std::uint8_t* out)
{
    for (std::size_t i = 0; i < settings.Aon.size(); ++i) {
        out[2 * i] = settings.Aon[i].Code;
        out[2 * i + 1] = settings.Aon[i].Value;
    }
}

void ParseAon(const std::uint8_t* in, TRecorderSettings& settings)
{
    for (std::size_t i = 0; i < settings.Aon.size(); ++i)
        settings.Aon[i] = {in[2 * i], in[2 * i + 1]};
}

namespace {

// Offsets of the packed record, in field order.
constexpr std::size_t kVasAt = TRecorderSettings::kProfileCount * TRecordProfile::kSize;
constexpr std::size_t kSearchStepAt = kVasAt + TVasParams::kSize;
constexpr std::size_t kPressTypeAt = kSearchStepAt + 1;
constexpr std::size_t kAccessLevelAt = kPressTypeAt + 1;
constexpr std::size_t kBatteryAt = kAccessLevelAt + 1;
constexpr std::size_t kCodecGainAt = kBatteryAt + TRecorderSettings::kBatteryLevelsSize;
constexpr std::size_t kExtDeviceAt = kCodecGainAt + 1;
constexpr std::size_t kOnceTimerAt = kExtDeviceAt + 1;
constexpr std::size_t kDailyTimerAt = kOnceTimerAt + TTimerSetting::kSize;
constexpr std::size_t kCurrentProfileAt = kDailyTimerAt + TTimerSetting::kSize;
constexpr std::size_t kPasswordAt = kCurrentProfileAt + 1;
constexpr std::size_t kAonAt = kPasswordAt + TRecorderSettings::kPasswordBytes;
static_assert(kAonAt + TRecorderSettings::kAonSize == TRecorderSettings::kSize);

std::uint8_t ClampX(std::uint8_t x)
{
    return std::clamp<std::uint8_t>(x, 1, 127);
}

} // namespace

void TRecorderSettings::Serialize(std::uint8_t* out) const
{
    for (std::size_t i = 0; i < kProfileCount; ++i)
        Profiles[i].Serialize(out + i * TRecordProfile::kSize);
    Vas.Serialize(out + kVasAt);
    out[kSearchStepAt] = SearchStep;
    out[kPressTypeAt] = PressType;
    out[kAccessLevelAt] = AccessLevel;
    SerializeBatteryLevels(*this, out + kBatteryAt);
    out[kCodecGainAt] = CodecGain;
    out[kExtDeviceAt] = ExtDevice;
    OnceTimer.Serialize(out + kOnceTimerAt);
    DailyTimer.Serialize(out + kDailyTimerAt);
    out[kCurrentProfileAt] = CurrentProfile;
    std::copy(Password.begin(), Password.end(), out + kPasswordAt);
    SerializeAon(*this, out + kAonAt);
}

TRecorderSettings TRecorderSettings::Parse(const std::uint8_t* in)
{
    TRecorderSettings settings;
    for (std::size_t i = 0; i < kProfileCount; ++i)
        settings.Profiles[i] = TRecordProfile::Parse(in + i * TRecordProfile::kSize);
    settings.Vas = TVasParams::Parse(in + kVasAt);
    settings.SearchStep = in[kSearchStepAt];
    settings.PressType = in[kPressTypeAt];
    settings.AccessLevel = in[kAccessLevelAt];
    ParseBatteryLevels(in + kBatteryAt, settings);
    settings.CodecGain = in[kCodecGainAt];
    settings.ExtDevice = in[kExtDeviceAt];
    settings.OnceTimer = TTimerSetting::Parse(in + kOnceTimerAt);
    settings.DailyTimer = TTimerSetting::Parse(in + kDailyTimerAt);
    settings.CurrentProfile = in[kCurrentProfileAt];
    std::copy(in + kPasswordAt, in + kPasswordAt + kPasswordBytes, settings.Password.begin());
    ParseAon(in + kAonAt, settings);
    return settings;
}

void NormaliseRecorderSettings(TRecorderSettings& settings)
{
    if (settings.CurrentProfile > 7)
        settings.CurrentProfile = 0;
    for (std::size_t i = 0; i < settings.Profiles.size(); ++i) {
        TRecordProfile& profile = settings.Profiles[i];
        profile.Index = static_cast<std::uint8_t>(i);
        if (profile.SampleRate != 16000 && profile.SampleRate != 4000 && profile.SampleRate != 8000)
            profile.SampleRate = 8000;
        if (profile.Compress > 2)
            profile.Compress = 0;
    }
    settings.Vas.X1 = ClampX(settings.Vas.X1);
    settings.Vas.X2 = ClampX(settings.Vas.X2);
    settings.Vas.X3 = ClampX(settings.Vas.X3);
    settings.OnceTimer.On = std::min(settings.OnceTimer.On, kMaxTimerSeconds);
    settings.OnceTimer.Off = std::min(settings.OnceTimer.Off, kMaxTimerSeconds);
    if (settings.AccessLevel == 0)
        settings.AccessLevel = 1;
}
