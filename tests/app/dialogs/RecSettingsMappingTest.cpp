#include <gtest/gtest.h>

#include "app/dialogs/RecSettingsMapping.h"
#include "core/protocol/RecorderClock.h"

namespace {

using TPairs = std::array<TAonPair, TRecorderSettings::kAonCount>;

std::uint8_t ValueOf(const TPairs& pairs, std::uint8_t code)
{
    for (const TAonPair& pair : pairs)
        if (pair.Code == code)
            return pair.Value;
    ADD_FAILURE() << "no pair with code " << int(code);
    return 0;
}

}  // namespace

TEST(RecSettingsMapping, RequestDelaysCountDownFromOneHundred)
{
    struct Case {
        int ms;
        std::uint8_t code;
    };
    for (const Case c : {Case{1000, 0}, Case{0, 100}, Case{990, 1}, Case{500, 50}}) {
        TAonControls controls;
        controls.FirstReqDelay = c.ms;
        controls.NextReqDelay = c.ms;
        const TPairs pairs = TRecSettingsMapping::WriteAon(controls, false);
        EXPECT_EQ(ValueOf(pairs, 163), c.code) << c.ms;
        EXPECT_EQ(ValueOf(pairs, 168), c.code) << c.ms;
        TAonControls back;
        TRecSettingsMapping::ReadAon(pairs, back);
        EXPECT_EQ(back.FirstReqDelay, c.ms);
        EXPECT_EQ(back.NextReqDelay, c.ms);
    }
}

TEST(RecSettingsMapping, AonBlockRoundTripsInItsFixedOrder)
{
    TAonControls controls;
    controls.AutoAnswer = true;
    controls.DetectType = TRecSettingsMapping::kDetectDtmf;
    controls.RingVoltage = 40;
    controls.BusyVoltage = 20;
    controls.NumLen = 7;
    controls.SkipRings = 3;
    controls.FirstReqDelay = 300;
    controls.ReqDur = 120;
    controls.ReqForms = 21;
    controls.ReqCount = 5;
    controls.ReqAmp = -18;
    controls.MinDigCount = 4;
    controls.NextReqDelay = 250;
    controls.DTMFVoltage = 3060;
    controls.DialDelay = 9;
    const TPairs pairs = TRecSettingsMapping::WriteAon(controls, false);
    const std::uint8_t codes[] = {124, 126, 127, 161, 162, 163, 164, 165, 166, 167, 168, 169, 170};
    for (std::size_t i = 0; i < pairs.size(); ++i)
        EXPECT_EQ(pairs[i].Code, codes[i]) << i;
    EXPECT_EQ(ValueOf(pairs, 124), 8 + 1);
    EXPECT_EQ(ValueOf(pairs, 165), 21 * 8 + 5);
    EXPECT_EQ(ValueOf(pairs, 166), 3);
    EXPECT_EQ(ValueOf(pairs, 169), 255);
    TAonControls back;
    TRecSettingsMapping::ReadAon(pairs, back);
    EXPECT_EQ(back, controls);
}

TEST(RecSettingsMapping, PairsAreReadByCodeWhereverTheyStand)
{
    TPairs pairs{};
    pairs[0] = {170, 12};
    pairs[1] = {125, 99};  // not the dialog's
    pairs[2] = {124, 4};   // Russian Caller ID
    pairs[5] = {161, 6};
    pairs[12] = {126, 33};
    TAonControls controls;
    controls.BusyVoltage = 77;  // no pair: stays
    TRecSettingsMapping::ReadAon(pairs, controls);
    EXPECT_EQ(controls.DialDelay, 12);
    EXPECT_EQ(controls.DetectType, TRecSettingsMapping::kDetectRussian);
    EXPECT_FALSE(controls.AutoAnswer);
    EXPECT_EQ(controls.NumLen, 6);
    EXPECT_EQ(controls.RingVoltage, 33);
    EXPECT_EQ(controls.BusyVoltage, 77);

    TAonControls before = controls;
    TRecSettingsMapping::ReadAon(TPairs{{{125, 1}, {128, 2}, {160, 3}}}, controls);
    before.DetectType = controls.DetectType;  // the (0, 0) pairs carry no code the dialog reads
    EXPECT_EQ(controls, before);
}

TEST(RecSettingsMapping, DetectionBits)
{
    struct Case {
        std::uint8_t flags;
        int type;
        bool autoAnswer;
    };
    for (const Case c : {Case{0, 0, false}, Case{1, 3, false}, Case{2, 2, false}, Case{4, 1, false},
                         Case{8 + 4, 1, true}, Case{3, 0, false}, Case{7, 0, false}}) {
        TAonControls controls;
        TRecSettingsMapping::ReadAon(TPairs{{{124, c.flags}}}, controls);
        EXPECT_EQ(controls.DetectType, c.type) << int(c.flags);
        EXPECT_EQ(controls.AutoAnswer, c.autoAnswer) << int(c.flags);
    }
    // With the Russian detection only, FSK and DTMF become it.
    for (int type : {2, 3}) {
        TAonControls controls;
        controls.DetectType = type;
        EXPECT_EQ(ValueOf(TRecSettingsMapping::WriteAon(controls, true), 124), 4);
        EXPECT_EQ(ValueOf(TRecSettingsMapping::WriteAon(controls, false), 124), type == 2 ? 2 : 1);
    }
}

TEST(RecSettingsMapping, TimersStayOnTheRecorderClock)
{
    EXPECT_EQ(TRecSettingsMapping::TimerSeconds(QDate(1970, 1, 1), 0, 0), 0u);
    EXPECT_EQ(TRecSettingsMapping::TimerSeconds(QDate(2024, 3, 5), 14, 5), 1709647500u);
    // The last date the pickers offer, at its last minute, is what the read keeps.
    EXPECT_EQ(TRecSettingsMapping::TimerSeconds(TRecSettingsMapping::LastTimerDate(), 23, 59), kMaxTimerSeconds);
    const SYSTEMTIME last = RtcToSystemTime(kMaxTimerSeconds);
    EXPECT_EQ(QDate(last.wYear, last.wMonth, last.wDay), TRecSettingsMapping::LastTimerDate());
}

TEST(RecSettingsMapping, QuarterSecondsTruncateWithinTheField)
{
    EXPECT_EQ(TRecSettingsMapping::QuarterSeconds(0.3), 1);
    EXPECT_EQ(TRecSettingsMapping::QuarterSeconds(2.75), 11);
    EXPECT_EQ(TRecSettingsMapping::QuarterSeconds(16383.75), 65535);
    EXPECT_EQ(TRecSettingsMapping::QuarterSeconds(-1), 0);
    EXPECT_DOUBLE_EQ(TRecSettingsMapping::Seconds(65535), 16383.75);
}

TEST(RecSettingsMapping, BitPatternText)
{
    struct Case {
        int width;
        std::uint64_t value;
        const char* text;
    };
    for (const Case c : {Case{5, 0, "DDDDD"}, Case{5, 1, "DDDDA"}, Case{5, 2, "DDDAD"}, Case{5, 31, "AAAAA"},
                         Case{3, 13, "AADA"}, Case{0, 0, ""}, Case{70, 1, nullptr}}) {
        const QString text = TRecSettingsMapping::BitPatternText(c.width, QLatin1Char('D'), QLatin1Char('A'), c.value);
        if (c.text)
            EXPECT_EQ(text, QLatin1String(c.text)) << c.width << " " << c.value;
        else
            EXPECT_EQ(text, QString(63, QLatin1Char('D')) + QLatin1Char('A'));
    }
    EXPECT_EQ(TRecSettingsMapping::BitPatternText(64, '0', '1', ~0ull), QString(64, QLatin1Char('1')));
}
