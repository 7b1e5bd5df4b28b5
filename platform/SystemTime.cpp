#include "platform/SystemTime.h"

#include <chrono>
#include <ctime>

namespace civil {

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// The era-based algorithm of H. Hinnant's "chrono-compatible low-level date algorithms".
std::int64_t DaysFromCivil(int year, int month, int day)
{
    const std::int64_t y = static_cast<std::int64_t>(year) - (month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

SYSTEMTIME CivilFromDays(std::int64_t days)
{
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t dayOfEra = z - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t mp = (5 * dayOfYear + 2) / 153;
    const std::int64_t day = dayOfYear - (153 * mp + 2) / 5 + 1;
    const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);

    SYSTEMTIME t;
    t.wYear = static_cast<std::uint16_t>(year);
    t.wMonth = static_cast<std::uint16_t>(month);
    t.wDay = static_cast<std::uint16_t>(day);
    // 1970-01-01 was a Thursday (4).
    const std::int64_t weekday = (days % 7 + 7 + 4) % 7;
    t.wDayOfWeek = static_cast<std::uint16_t>(weekday);
    return t;
}

bool IsValid(const SYSTEMTIME& time)
{
    return time.wYear >= 1601 && time.wYear <= 30827 && time.wMonth >= 1 && time.wMonth <= 12 &&
           time.wDay >= 1 && time.wDay <= DaysInMonth(time.wYear, time.wMonth) && time.wHour < 24 &&
           time.wMinute < 60 && time.wSecond < 60 && time.wMilliseconds < 1000;
}

std::int64_t SecondsSince1970(const SYSTEMTIME& time)
{
    return DaysFromCivil(time.wYear, time.wMonth, time.wDay) * 86400 + time.wHour * 3600 +
           time.wMinute * 60 + time.wSecond;
}

SYSTEMTIME FromSecondsSince1970(std::int64_t seconds)
{
    std::int64_t days = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    SYSTEMTIME t = CivilFromDays(days);
    t.wHour = static_cast<std::uint16_t>(rest / 3600);
    t.wMinute = static_cast<std::uint16_t>(rest / 60 % 60);
    t.wSecond = static_cast<std::uint16_t>(rest % 60);
    return t;
}

SYSTEMTIME LocalNow()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    SYSTEMTIME t;
    t.wYear = static_cast<std::uint16_t>(local.tm_year + 1900);
    t.wMonth = static_cast<std::uint16_t>(local.tm_mon + 1);
    t.wDayOfWeek = static_cast<std::uint16_t>(local.tm_wday);
    t.wDay = static_cast<std::uint16_t>(local.tm_mday);
    t.wHour = static_cast<std::uint16_t>(local.tm_hour);
    t.wMinute = static_cast<std::uint16_t>(local.tm_min);
    t.wSecond = static_cast<std::uint16_t>(local.tm_sec);
    t.wMilliseconds = static_cast<std::uint16_t>(ms);
    return t;
}

}  // namespace civil
