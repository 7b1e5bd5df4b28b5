#pragma once

#include <cstdint>

#include "platform/SystemTime.h"

// The recorder's clock counts seconds since 1970-01-01 00:00 in local time:
// no time-zone conversion either way.
SYSTEMTIME RtcToSystemTime(std::uint32_t seconds);

// Years before 1970 and invalid dates give 0; dates after 2106-02-07
// 06:28:15 give 0xFFFFFFFF. Milliseconds are dropped.
std::uint32_t SystemTimeToRtc(const SYSTEMTIME& time);
