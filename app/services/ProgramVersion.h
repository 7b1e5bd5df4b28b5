#pragma once

#include <QString>
#include <cstdint>

// The program version: bits 16-23, 8-15 and 0-7 are the three numbers.
inline constexpr std::uint32_t kProgramVersion = 0x000100;

// "major.minor.release" of a version value.
inline QString ProgramVersionText(std::uint32_t version)
{
    return QStringLiteral("%1.%2.%3").arg((version >> 16) & 0xFF).arg((version >> 8) & 0xFF).arg(version & 0xFF);
}
