#pragma once

#include <QChar>
#include <QDate>
#include <QString>
#include <array>
#include <cstdint>

#include "core/settings/RecorderSettings.h"
#include "platform/SystemTime.h"

// The caller-identification controls of the settings dialog, as values.
struct TAonControls {
    bool AutoAnswer = false;
    int DetectType = 0;  // cbDetectType: disabled, Russian, FSK, DTMF
    int RingVoltage = 0;
    int BusyVoltage = 0;
    int NumLen = 0;
    int SkipRings = 0;
    int FirstReqDelay = 0;  // ms
    int ReqDur = 0;         // ms
    int ReqForms = 0;       // cbReqForms index
    int ReqCount = 0;
    int ReqAmp = 0;  // dB, 0 or below
    int MinDigCount = 0;
    int NextReqDelay = 0;  // ms
    int DTMFVoltage = 0;   // mV
    int DialDelay = 5;

    bool operator==(const TAonControls&) const = default;
};

// The settings dialog's conversions between the record and what its controls
// show, apart from the widgets.
class TRecSettingsMapping {
public:
    static constexpr int kGainReference = 127;
    static constexpr int kDetectDisabled = 0;
    static constexpr int kDetectRussian = 1;
    static constexpr int kDetectFsk = 2;
    static constexpr int kDetectDtmf = 3;

    // Pairs are taken by their code wherever they stand; unknown codes leave
    // the controls alone.
    static void ReadAon(const std::array<TAonPair, TRecorderSettings::kAonCount>& pairs, TAonControls& controls);
    // The whole block in its fixed code order. With aonOnly, FSK and DTMF
    // detection become Russian Caller ID.
    static std::array<TAonPair, TRecorderSettings::kAonCount> WriteAon(const TAonControls& controls, bool aonOnly);

    // Quarter seconds of a T spin's seconds, truncated, within the field.
    static std::uint16_t QuarterSeconds(double seconds);
    static double Seconds(std::uint16_t quarterSeconds) { return quarterSeconds * 0.25; }

    // A timer value of a picked date and hour:minute (seconds 0), on the
    // recorder's clock with no time zone; at most kMaxTimerSeconds.
    static std::uint32_t TimerSeconds(const QDate& date, int hour, int minute);
    // The date pickers' range: what the timer fields can hold.
    static QDate FirstTimerDate() { return QDate(1970, 1, 1); }
    static QDate LastTimerDate() { return QDate(2106, 2, 6); }

    // The value's bits, most significant first, left-padded with zero to
    // width (at most 64).
    static QString BitPatternText(int width, QChar zero, QChar one, std::uint64_t value);
};
