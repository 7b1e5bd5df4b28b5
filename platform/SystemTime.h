#pragma once

#include <cstdint>

// The Windows SYSTEMTIME record: a civil date and time with no time zone.
// wDayOfWeek counts from Sunday = 0.
struct SYSTEMTIME {
    std::uint16_t wYear = 0;
    std::uint16_t wMonth = 0;
    std::uint16_t wDayOfWeek = 0;
    std::uint16_t wDay = 0;
    std::uint16_t wHour = 0;
    std::uint16_t wMinute = 0;
    std::uint16_t wSecond = 0;
    std::uint16_t wMilliseconds = 0;

    friend bool operator==(const SYSTEMTIME&, const SYSTEMTIME&) = default;
};
static_assert(sizeof(SYSTEMTIME) == 16, "SYSTEMTIME is stored in files as 16 bytes");

namespace civil {

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// Days since 1970-01-01 of a proleptic Gregorian date (negative before it).
std::int64_t DaysFromCivil(int year, int month, int day);

// The date of a day count since 1970-01-01, with its day of the week.
SYSTEMTIME CivilFromDays(std::int64_t days);

// True when every field lies in its range (the day within its month); the
// day of the week is not checked, as Windows does not check it either.
bool IsValid(const SYSTEMTIME& time);

// Seconds since 1970-01-01 00:00 of a valid date and time, milliseconds dropped.
std::int64_t SecondsSince1970(const SYSTEMTIME& time);

// The date and time that many seconds after 1970-01-01 00:00.
SYSTEMTIME FromSecondsSince1970(std::int64_t seconds);

// The PC's current local date and time.
SYSTEMTIME LocalNow();

}  // namespace civil
