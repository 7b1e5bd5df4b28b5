#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "fmttool/Fat12LongName.h"
#include "platform/SystemTime.h"

// The 32-byte directory entry: the 11-byte short name, attribute at 11,
// time at 22, date at 24, first cluster at 26, size at 28.
inline constexpr std::uint8_t kFat12EntryEnd = 0x00;
inline constexpr std::uint8_t kFat12EntryDeleted = 0xE5;
inline constexpr std::uint8_t kFat12AttrVolume = 0x08;
inline constexpr std::uint8_t kFat12AttrDirectory = 0x10;
inline constexpr std::uint8_t kFat12AttrArchive = 0x20;

using TFat12ShortName = std::array<std::uint8_t, 11>;

// The local date and time that new entries carry; tests inject their own.
using TFat12Clock = std::function<SYSTEMTIME()>;

// The name as read back: the name part, then "." and the extension part when
// there is one, trailing blanks cut; a deleted entry reads as "".
std::string Fat12EntryName(const TFat12RawEntry& entry);

// The 11-byte form of an 8.3 name, split at its "."; nothing when the name is
// empty, "." or "..", has more than one ".", more than 8 + 3 characters, or a
// character a short name may not hold. Letters keep their case.
std::optional<TFat12ShortName> Fat12SplitShortName(const std::string& name);

// The time and date fields; dates before 1980 read as 1980-01-01 00:00:00,
// after 2107 as 2107-12-31 23:59:58.
std::uint16_t Fat12PackTime(const SYSTEMTIME& time);
std::uint16_t Fat12PackDate(const SYSTEMTIME& time);

TFat12RawEntry Fat12MakeEntry(const TFat12ShortName& name, std::uint8_t attribute, const SYSTEMTIME& time,
                              std::uint16_t firstCluster);

inline std::uint8_t Fat12EntryAttribute(const TFat12RawEntry& e)
{
    return e[11];
}
inline bool Fat12IsLongNamePart(const TFat12RawEntry& e)
{
    return (e[11] & 0x3F) == kFat12LfnAttribute;
}
inline std::uint16_t Fat12EntryCluster(const TFat12RawEntry& e)
{
    return static_cast<std::uint16_t>(e[26] | e[27] << 8);
}
inline std::uint32_t Fat12EntrySize(const TFat12RawEntry& e)
{
    return e[28] | e[29] << 8 | e[30] << 16 | static_cast<std::uint32_t>(e[31]) << 24;
}
void Fat12SetEntryCluster(TFat12RawEntry& e, std::uint16_t cluster);
void Fat12SetEntrySize(TFat12RawEntry& e, std::uint32_t size);
