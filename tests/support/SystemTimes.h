#pragma once

#include "platform/SystemTime.h"

// A SYSTEMTIME from its fields, for tables of dates in tests.
inline SYSTEMTIME MakeSystemTime(int y, int m, int d, int hh = 0, int mm = 0, int ss = 0, int ms = 0)
{
    SYSTEMTIME t;
    t.wYear = static_cast<std::uint16_t>(y);
    t.wMonth = static_cast<std::uint16_t>(m);
    t.wDay = static_cast<std::uint16_t>(d);
    t.wHour = static_cast<std::uint16_t>(hh);
    t.wMinute = static_cast<std::uint16_t>(mm);
    t.wSecond = static_cast<std::uint16_t>(ss);
    t.wMilliseconds = static_cast<std::uint16_t>(ms);
    return t;
}
