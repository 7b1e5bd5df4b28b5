#pragma once

#include <QString>
#include <array>
#include <cstdint>

// The password field of the settings record: an 8-bit text with its
// terminating zero; seven 0xFF bytes and a zero mean "no password". The
// recorder compares the first seven bytes.
using TPasswordBytes = std::array<std::uint8_t, 8>;

inline constexpr TPasswordBytes NoPasswordBytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};

// Bytes sent to the recorder per password command.
inline constexpr std::uint32_t kPasswordCommandBytes = 7;

// The field for a typed password: NoPasswordBytes for an empty text, else the
// UTF-8 text cut at a character boundary to at most 7 bytes, its terminating
// zero, and 0xFF behind it. Nothing of an earlier password survives.
TPasswordBytes PasswordBytes(const QString& text);

// Whether the field holds a password: its first seven bytes are not all 0xFF.
bool HasPassword(const TPasswordBytes& bytes);
// The password as the field holds it (the empty text for none), read the
// way PasswordBytes writes it.
QString PasswordText(const TPasswordBytes& bytes);
