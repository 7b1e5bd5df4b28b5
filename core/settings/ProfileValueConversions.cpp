#include "core/settings/ProfileValueConversions.h"

#include <algorithm>
#include <cmath>

std::uint8_t DbToGain(int reference, int decibels)
{
    // The exponent is rounded to a double before the power is taken.
    const double exponent = std::log10(static_cast<double>(reference)) + decibels * 0.05;
    const double gain = std::ceil(std::pow(10.0, exponent));
    if (!(gain > 0))
        return 0;
    return gain >= 255 ? std::uint8_t{255} : static_cast<std::uint8_t>(gain);
}

std::uint8_t FileGainFromDb(int decibels)
{
    return std::clamp(DbToGain(kGainReference, decibels), kMinFileGain, kMaxFileGain);
}

int GainToDb(int reference, int gain)
{
    if (gain <= 0)
        return kZeroGainDb;
    return static_cast<int>(std::floor(-20.0 * (std::log10(static_cast<double>(reference)) -
                                                std::log10(static_cast<double>(gain)))));
}

std::uint16_t SecondsToQuarterSeconds(double seconds)
{
    const double quarters = std::trunc(seconds * 4.0);
    if (!(quarters > 0))
        return 0;
    return quarters >= 65535 ? std::uint16_t{65535} : static_cast<std::uint16_t>(quarters);
}
