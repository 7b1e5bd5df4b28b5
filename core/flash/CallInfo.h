#pragma once

#include <QString>
#include <array>
#include <cstdint>

// What the recorder learnt of a call: 26 bytes at byte 64 of the first page
// of a recording's first block, present when bit 7 of header byte 13 is set.
struct TCallInfo {
    static constexpr std::size_t kOffset = 64;  // in the first page
    static constexpr std::size_t kSize = 26;
    static constexpr std::size_t kMaxDigits = 20;

    std::array<std::uint8_t, kSize> Bytes{};

    static TCallInfo FromBytes(const std::uint8_t* bytes);

    bool IsValid() const { return Bytes[2] == 1; }
    bool IsOutgoing() const { return Bytes[4] != 0; }
    // The stored digit count, clamped to the 20 digits the record has room for.
    std::size_t DigitCount() const;
    // The digits as text; 10 and above print as "0".
    QString Digits() const;

    // direction + " " + number sign + " " + digits.
    QString Text(const QString& outgoingWord, const QString& incomingWord, const QString& numberSign) const;
};
static_assert(sizeof(TCallInfo) == TCallInfo::kSize);
