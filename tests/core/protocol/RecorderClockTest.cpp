#include <gtest/gtest.h>

#include "core/protocol/RecorderClock.h"
#include "core/protocol/SampleRate.h"
#include "tests/support/SystemTimes.h"

namespace {

SYSTEMTIME Time(int y, int m, int d, int hh = 0, int mm = 0, int ss = 0, int ms = 0)
{
    return MakeSystemTime(y, m, d, hh, mm, ss, ms);
}

}  // namespace

TEST(RecorderClock, ToRtc)
{
    struct Case {
        SYSTEMTIME time;
        std::uint32_t rtc;
    };
    const Case cases[] = {
        {Time(1969, 12, 31, 23, 59, 59), 0},
        {Time(1601, 1, 1), 0},
        {Time(1970, 1, 1), 0},
        {Time(1970, 1, 2), 86400},
        {Time(1970, 1, 1, 0, 0, 1, 999), 1},  // milliseconds dropped
        {Time(2000, 2, 29, 12), 951825600},
        {Time(2024, 2, 29, 23, 59, 59), 1709251199},
        {Time(2024, 3, 1), 1709251200},
        {Time(2106, 2, 7, 6, 28, 15), 0xFFFFFFFFu},
        {Time(2106, 2, 7, 6, 28, 16), 0xFFFFFFFFu},  // clamped, not wrapped
        {Time(3000, 1, 1), 0xFFFFFFFFu},
        {Time(2020, 13, 1), 0},  // invalid dates give 0
        {Time(2020, 1, 32), 0},
        {Time(2023, 2, 29), 0},
        {Time(2020, 1, 1, 25), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SystemTimeToRtc(c.time), c.rtc) << c.time.wYear << "-" << c.time.wMonth << "-" << c.time.wDay;
}

TEST(RecorderClock, FromRtc)
{
    EXPECT_EQ(RtcToSystemTime(0), [] {
        SYSTEMTIME t = Time(1970, 1, 1);
        t.wDayOfWeek = 4;
        return t;
    }());

    const SYSTEMTIME leap = RtcToSystemTime(951825600);
    EXPECT_EQ(leap.wYear, 2000);
    EXPECT_EQ(leap.wMonth, 2);
    EXPECT_EQ(leap.wDay, 29);
    EXPECT_EQ(leap.wHour, 12);
    EXPECT_EQ(leap.wDayOfWeek, 2);  // Tuesday

    const SYSTEMTIME last = RtcToSystemTime(0xFFFFFFFFu);
    EXPECT_EQ(last, [] {
        SYSTEMTIME t = Time(2106, 2, 7, 6, 28, 15);
        t.wDayOfWeek = 0;  // Sunday
        return t;
    }());
}

TEST(RecorderClock, RoundTrips)
{
    for (std::uint32_t rtc : {0u, 1u, 59u, 86399u, 951782400u, 1234567890u, 0xFFFFFFFEu, 0xFFFFFFFFu})
        EXPECT_EQ(SystemTimeToRtc(RtcToSystemTime(rtc)), rtc);
}

TEST(SampleRate, Codes)
{
    EXPECT_EQ(RateCodeToHz(0), 16000);
    EXPECT_EQ(RateCodeToHz(1), 8000);
    EXPECT_EQ(RateCodeToHz(2), 4000);
    EXPECT_EQ(RateCodeToHz(200), 4000);
    EXPECT_EQ(RateHzToCode(16000), 0);
    EXPECT_EQ(RateHzToCode(8000), 1);
    EXPECT_EQ(RateHzToCode(4000), 2);
    EXPECT_EQ(RateHzToCode(11025), 2);
}
