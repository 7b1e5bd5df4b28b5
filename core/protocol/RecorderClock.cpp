#include "core/protocol/RecorderClock.h"

SYSTEMTIME RtcToSystemTime(std::uint32_t seconds)
{
    return civil::FromSecondsSince1970(seconds);
}

std::uint32_t SystemTimeToRtc(const SYSTEMTIME& time)
{
    if (!civil::IsValid(time) || time.wYear < 1970)
        return 0;
    const std::int64_t seconds = civil::SecondsSince1970(time);
    if (seconds > 0xFFFFFFFFll)
        return 0xFFFFFFFFu;
    return static_cast<std::uint32_t>(seconds);
}
