#pragma once

#include <cmath>

// Rounds to the nearest integer, halves to the even neighbour (the way the
// class library rounds), whatever the floating-point environment says.
inline double RoundHalfEven(double value)
{
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction < 0.5)
        return lower;
    if (fraction > 0.5)
        return lower + 1.0;
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}
