#include <gtest/gtest.h>

#include "platform/SystemTime.h"
#include "tests/support/SystemTimes.h"

namespace {

SYSTEMTIME Date(int y, int m, int d, int hh = 0, int mm = 0, int ss = 0)
{
    return MakeSystemTime(y, m, d, hh, mm, ss);
}

}  // namespace

TEST(CivilDate, DayCountsRoundTripAcrossEras)
{
    // Every day from 1601 to 2400 converts there and back.
    for (std::int64_t days = civil::DaysFromCivil(1601, 1, 1); days <= civil::DaysFromCivil(2400, 12, 31); ++days) {
        const SYSTEMTIME t = civil::CivilFromDays(days);
        ASSERT_EQ(civil::DaysFromCivil(t.wYear, t.wMonth, t.wDay), days);
    }
}

TEST(CivilDate, KnownDaysAndWeekdays)
{
    EXPECT_EQ(civil::DaysFromCivil(1970, 1, 1), 0);
    EXPECT_EQ(civil::DaysFromCivil(2000, 3, 1), 11017);
    EXPECT_EQ(civil::CivilFromDays(0).wDayOfWeek, 4);                                   // Thursday
    EXPECT_EQ(civil::CivilFromDays(civil::DaysFromCivil(2026, 12, 10)).wDayOfWeek, 4);  // Thursday
    EXPECT_EQ(civil::CivilFromDays(-1).wDayOfWeek, 3);                                  // 1969-12-31, Wednesday
}

TEST(CivilDate, Validity)
{
    EXPECT_TRUE(civil::IsValid(Date(2024, 2, 29)));
    EXPECT_TRUE(civil::IsValid(Date(2000, 2, 29)));
    EXPECT_FALSE(civil::IsValid(Date(1900, 2, 29)));
    EXPECT_FALSE(civil::IsValid(Date(2023, 2, 29)));
    EXPECT_FALSE(civil::IsValid(Date(2023, 13, 1)));
    EXPECT_FALSE(civil::IsValid(Date(2023, 1, 32)));
    EXPECT_FALSE(civil::IsValid(Date(2023, 4, 31)));
    EXPECT_FALSE(civil::IsValid(Date(2023, 0, 1)));
    EXPECT_FALSE(civil::IsValid(Date(2023, 1, 0)));
    EXPECT_FALSE(civil::IsValid(Date(2023, 1, 1, 24)));
    EXPECT_FALSE(civil::IsValid(Date(2023, 1, 1, 0, 60)));
    EXPECT_FALSE(civil::IsValid(Date(2023, 1, 1, 0, 0, 60)));
}
