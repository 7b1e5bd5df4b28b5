#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// What the audio compression manager would report of a format tag: its name
// and the size of its 'fmt ' chunk.
struct TWaveFormatTag {
    std::uint16_t Tag;
    std::uint16_t FormatSize;
    const char16_t* Name;
};

// The tags this program knows; nullopt for any other.
std::optional<TWaveFormatTag> FindWaveFormatTag(std::uint16_t tag);
