#include "core/settings/WindowPlacement.h"

#include <QtEndian>
#include <array>

namespace {

constexpr std::size_t kFieldCount = WINDOWPLACEMENT::kSize / 4;

// The eleven 32-bit fields in the order of the layout.
std::array<std::uint32_t, kFieldCount> FieldsOf(const WINDOWPLACEMENT& p)
{
    const auto u = [](std::int32_t v) { return static_cast<std::uint32_t>(v); };
    return {p.length,
            p.flags,
            p.showCmd,
            u(p.ptMinPosition.x),
            u(p.ptMinPosition.y),
            u(p.ptMaxPosition.x),
            u(p.ptMaxPosition.y),
            u(p.rcNormalPosition.left),
            u(p.rcNormalPosition.top),
            u(p.rcNormalPosition.right),
            u(p.rcNormalPosition.bottom)};
}

} // namespace

QByteArray PlacementToBytes(const WINDOWPLACEMENT& placement)
{
    QByteArray bytes(WINDOWPLACEMENT::kSize, '\0');
    const auto fields = FieldsOf(placement);
    for (std::size_t i = 0; i < kFieldCount; ++i)
        qToLittleEndian(fields[i], bytes.data() + 4 * i);
    return bytes;
}

std::optional<WINDOWPLACEMENT> PlacementFromBytes(const QByteArray& bytes)
{
    if (bytes.size() != qsizetype{WINDOWPLACEMENT::kSize})
        return std::nullopt;
    std::array<std::uint32_t, kFieldCount> f{};
    for (std::size_t i = 0; i < kFieldCount; ++i)
        f[i] = qFromLittleEndian<std::uint32_t>(bytes.constData() + 4 * i);
    const auto s = [](std::uint32_t v) { return static_cast<std::int32_t>(v); };
    WINDOWPLACEMENT p;
    p.length = f[0];
    p.flags = f[1];
    p.showCmd = f[2];
    p.ptMinPosition = {s(f[3]), s(f[4])};
    p.ptMaxPosition = {s(f[5]), s(f[6])};
    p.rcNormalPosition = {s(f[7]), s(f[8]), s(f[9]), s(f[10])};
    return p;
}
