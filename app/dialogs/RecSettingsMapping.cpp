#include "app/dialogs/RecSettingsMapping.h"

#include <algorithm>
#include <cmath>

#include "core/protocol/RecorderClock.h"
#include "core/settings/ProfileValueConversions.h"

namespace {

enum TAonCode : std::uint8_t {
    acDetect = 124,
    acRingVoltage = 126,
    acBusyVoltage = 127,
    acNumLen = 161,
    acSkipRings = 162,
    acFirstReqDelay = 163,
    acReqDur = 164,
    acReqForms = 165,
    acReqAmp = 166,
    acMinDigCount = 167,
    acNextReqDelay = 168,
    acDTMFVoltage = 169,
    acDialDelay = 170,
};

constexpr std::uint8_t kAutoAnswerBit = 8;

std::uint8_t Byte(double value)
{
    return static_cast<std::uint8_t>(std::clamp(std::trunc(value), 0.0, 255.0));
}

// 0..100 ms steps of ten, counted down from 100.
std::uint8_t DelayCode(int ms)
{
    return Byte(100 - ms * 0.1);
}

}  // namespace

void TRecSettingsMapping::ReadAon(const std::array<TAonPair, TRecorderSettings::kAonCount>& pairs,
                                  TAonControls& controls)
{
    for (const TAonPair& pair : pairs) {
        const int value = pair.Value;
        switch (pair.Code) {
        case acDetect:
            controls.AutoAnswer = (value & kAutoAnswerBit) != 0;
            switch (value & 7) {
            case 1:
                controls.DetectType = kDetectDtmf;
                break;
            case 2:
                controls.DetectType = kDetectFsk;
                break;
            case 4:
                controls.DetectType = kDetectRussian;
                break;
            default:
                controls.DetectType = kDetectDisabled;
            }
            break;
        case acRingVoltage:
            controls.RingVoltage = value;
            break;
        case acBusyVoltage:
            controls.BusyVoltage = value;
            break;
        case acNumLen:
            controls.NumLen = value;
            break;
        case acSkipRings:
            controls.SkipRings = value;
            break;
        case acFirstReqDelay:
            controls.FirstReqDelay = (100 - value) * 10;
            break;
        case acReqDur:
            controls.ReqDur = value * 2;
            break;
        case acReqForms:
            controls.ReqForms = value >> 3;
            controls.ReqCount = value & 7;
            break;
        case acReqAmp:
            controls.ReqAmp = value * -6;
            break;
        case acMinDigCount:
            controls.MinDigCount = value;
            break;
        case acNextReqDelay:
            controls.NextReqDelay = (100 - value) * 10;
            break;
        case acDTMFVoltage:
            controls.DTMFVoltage = value * 12;
            break;
        case acDialDelay:
            controls.DialDelay = value;
            break;
        default:
            break;
        }
    }
}

std::array<TAonPair, TRecorderSettings::kAonCount> TRecSettingsMapping::WriteAon(const TAonControls& controls,
                                                                                 bool aonOnly)
{
    std::uint8_t detection = 0;
    switch (controls.DetectType) {
    case kDetectRussian:
        detection = 4;
        break;
    case kDetectFsk:
        detection = aonOnly ? 4 : 2;
        break;
    case kDetectDtmf:
        detection = aonOnly ? 4 : 1;
        break;
    default:
        break;
    }
    if (controls.AutoAnswer)
        detection |= kAutoAnswerBit;
    return {{
        {acDetect, detection},
        {acRingVoltage, Byte(controls.RingVoltage)},
        {acBusyVoltage, Byte(controls.BusyVoltage)},
        {acNumLen, Byte(controls.NumLen)},
        {acSkipRings, Byte(controls.SkipRings)},
        {acFirstReqDelay, DelayCode(controls.FirstReqDelay)},
        {acReqDur, Byte(controls.ReqDur * 0.5)},
        {acReqForms, static_cast<std::uint8_t>((controls.ReqForms * 8) | (controls.ReqCount & 7))},
        {acReqAmp, Byte(controls.ReqAmp * (-1.0 / 6.0))},
        {acMinDigCount, Byte(controls.MinDigCount)},
        {acNextReqDelay, DelayCode(controls.NextReqDelay)},
        {acDTMFVoltage, Byte(controls.DTMFVoltage * (1.0 / 12.0))},
        {acDialDelay, Byte(controls.DialDelay)},
    }};
}

std::uint16_t TRecSettingsMapping::QuarterSeconds(double seconds)
{
    return SecondsToQuarterSeconds(seconds);
}

std::uint32_t TRecSettingsMapping::TimerSeconds(const QDate& date, int hour, int minute)
{
    SYSTEMTIME time;
    time.wYear = static_cast<std::uint16_t>(date.year());
    time.wMonth = static_cast<std::uint16_t>(date.month());
    time.wDay = static_cast<std::uint16_t>(date.day());
    time.wHour = static_cast<std::uint16_t>(hour);
    time.wMinute = static_cast<std::uint16_t>(minute);
    return std::min(SystemTimeToRtc(time), kMaxTimerSeconds);
}

QString TRecSettingsMapping::BitPatternText(int width, QChar zero, QChar one, std::uint64_t value)
{
    width = std::clamp(width, 0, 64);
    QString text;
    for (; value != 0; value >>= 1)
        text.prepend((value & 1) ? one : zero);
    if (text.size() < width)
        text.prepend(QString(width - text.size(), zero));
    return text;
}
