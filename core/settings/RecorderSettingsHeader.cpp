#include "core/settings/RecorderSettingsHeader.h"

#include <algorithm>

#include "core/protocol/RecorderCommands.h"
#include "core/protocol/SampleRate.h"

namespace h = settings_header;

void SettingsFromImageHeader(const std::uint8_t* header, TRecorderSettings& settings)
{
    for (std::size_t i = 0; i < settings.Profiles.size(); ++i) {
        const std::uint8_t* p = header + h::kProfiles + i * h::kProfileStride;
        TRecordProfile& profile = settings.Profiles[i];
        profile.SampleRate = RateCodeToHz(p[0]);
        profile.Compress = p[1];
        profile.CompressParam = p[2];
        profile.Vas = p[3];
        profile.CyclicRecord = p[4];
        profile.CycleBufSize = p[5];
    }
    TVasParams& vas = settings.Vas;
    vas.T1 = GetU16(header + h::kVasT1);
    vas.T2 = GetU16(header + h::kVasT2);
    vas.T3 = GetU16(header + h::kVasT3);
    vas.T4 = header[h::kVasT4];
    vas.T5 = GetU16(header + h::kVasT5);
    vas.X1 = header[h::kVasX1];
    vas.X2 = header[h::kVasX2];
    vas.X3 = header[h::kVasX3];
    settings.SearchStep = header[h::kSearchStep];
    settings.AccessLevel = header[h::kAccessLevel];
    settings.PressType = header[h::kPressType];
    ParseBatteryLevels(header + h::kBatteryLevels, settings);
    settings.OnceTimer = TTimerSetting::Parse(header + h::kOnceTimer);
    settings.DailyTimer = TTimerSetting::Parse(header + h::kDailyTimer);
    settings.CurrentProfile = header[h::kCurrentProfile];
    ParseAon(header + h::kAon, settings);
}

void SettingsToImageHeader(const TRecorderSettings& settings, std::uint8_t* header)
{
    for (std::size_t i = 0; i < settings.Profiles.size(); ++i) {
        std::uint8_t* p = header + h::kProfiles + i * h::kProfileStride;
        const TRecordProfile& profile = settings.Profiles[i];
        p[0] = RateHzToCode(profile.SampleRate);
        p[1] = profile.Compress;
        p[2] = profile.CompressParam;
        p[3] = profile.Vas;
        p[4] = profile.CyclicRecord;
        p[5] = profile.CycleBufSize;
    }
    const TVasParams& vas = settings.Vas;
    PutU16(header + h::kVasT1, vas.T1);
    PutU16(header + h::kVasT2, vas.T2);
    PutU16(header + h::kVasT3, vas.T3);
    PutU16(header + h::kVasT4, vas.T4);
    PutU16(header + h::kVasT5, vas.T5);
    PutU16(header + h::kVasX1, vas.X1);
    header[h::kVasX2] = vas.X2;
    header[h::kVasX3] = vas.X3;
    header[h::kSearchStep] = settings.SearchStep;
    header[h::kPressType] = settings.PressType;
    header[h::kAccessLevel] = settings.AccessLevel;
    SerializeBatteryLevels(settings, header + h::kBatteryLevels);
    settings.OnceTimer.Serialize(header + h::kOnceTimer);
    settings.DailyTimer.Serialize(header + h::kDailyTimer);
    SerializeAon(settings, header + h::kAon);
    std::copy_n(settings.Password.begin(), TRecorderSettings::kPasswordUsed, header + h::kPassword);
}
