#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Long names: UTF-8 on the PC, UTF-16 in chains of 32-byte entries of 13
// units each, stored last piece first directly before the short entry.
using TFat12RawEntry = std::array<std::uint8_t, 32>;

inline constexpr std::uint8_t kFat12LfnAttribute = 0x0F;
inline constexpr std::uint8_t kFat12LfnLastFlag = 0x40;
inline constexpr std::size_t kFat12LfnUnits = 13;
inline constexpr std::size_t kFat12MaxLongName = 255;

// The sum that ties a chain to its 11-byte short name.
std::uint8_t LfnChecksum(const std::uint8_t* shortName);

// The chain for longName (UTF-8), physically first entry first. A name that
// is not UTF-8, or whose length is outside 1 to 255 UTF-16 units, prints its
// error to the standard error stream and gives nothing.
std::optional<std::vector<TFat12RawEntry>> BuildLfnChain(const std::string& longName, std::uint8_t checksum);

// The 13 UTF-16 units of one long-name entry.
std::array<char16_t, kFat12LfnUnits> LfnEntryUnits(const TFat12RawEntry& entry);

// Whether name may stand as a long name: none of "*/:<>?\| nor a control character.
bool IsValidLongName(const std::string& name);

// Strict UTF-8 to UTF-16 (no overlong forms, no surrogates); nothing on an invalid sequence.
std::optional<std::u16string> Fat12Utf8ToUtf16(const std::string& text);
// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Fat12Utf16ToUtf8(const std::u16string& text);

// ASCII letters compared without regard to case, everything else as it stands.
bool Fat12SameName(const std::string& a, const std::string& b);
