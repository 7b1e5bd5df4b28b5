#pragma once

#include "core/settings/RecorderSettings.h"

// A settings record where every field holds a value of its own, all in range.
inline TRecorderSettings DistinctSettings()
{
    TRecorderSettings s;
    const std::uint16_t rates[] = {16000, 8000, 4000};
    for (std::size_t i = 0; i < s.Profiles.size(); ++i) {
        const auto n = static_cast<std::uint8_t>(i);
        s.Profiles[i] = {n,
                         rates[i % 3],
                         static_cast<std::uint8_t>(i % 3),
                         static_cast<std::uint8_t>(n + 1),
                         static_cast<std::uint8_t>(i & 1),
                         static_cast<std::uint8_t>(i >> 2),
                         static_cast<std::uint8_t>(10 + n)};
    }
    s.Vas = {1001, 1002, 1003, 104, 1005, 106, 107, 108};
    s.SearchStep = 21;
    s.PressType = 1;
    s.AccessLevel = 3;
    s.BatteryLevels = {0, 3001, 3302, 3603};
    s.CodecGain = 5;
    s.ExtDevice = 6;
    s.OnceTimer = {1700000000, 1700003600, 0};
    s.DailyTimer = {3600, 7200, 1};
    s.CurrentProfile = 6;
    s.Password = {'s', 'e', 'c', 'r', 'e', 't', 0, 0};
    for (std::size_t i = 0; i < s.Aon.size(); ++i)
        s.Aon[i] = {static_cast<std::uint8_t>(i + 1), static_cast<std::uint8_t>(0xA0 + i)};
    return s;
}
