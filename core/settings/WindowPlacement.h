#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>

// Where the main window stands, with the fields of the Windows structure of
// that name. Stored as its 44-byte little-endian layout.
struct WINDOWPLACEMENT {
    struct Point {
        std::int32_t x = 0;
        std::int32_t y = 0;
        bool operator==(const Point&) const = default;
    };
    struct Rect {
        std::int32_t left = 0;
        std::int32_t top = 0;
        std::int32_t right = 0;
        std::int32_t bottom = 0;
        bool operator==(const Rect&) const = default;
    };

    static constexpr std::uint32_t kSize = 44;

    std::uint32_t length = kSize;
    std::uint32_t flags = 0;
    std::uint32_t showCmd = 0;
    Point ptMinPosition;
    Point ptMaxPosition;
    Rect rcNormalPosition;

    bool operator==(const WINDOWPLACEMENT&) const = default;
};
static_assert(sizeof(WINDOWPLACEMENT) == WINDOWPLACEMENT::kSize);

QByteArray PlacementToBytes(const WINDOWPLACEMENT& placement);
// Nothing unless exactly 44 bytes are given.
std::optional<WINDOWPLACEMENT> PlacementFromBytes(const QByteArray& bytes);
