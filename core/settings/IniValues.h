#pragma once

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

// How values are spelled in our INI files, the way the class library's INI
// object spells them.

// Signed decimal, or hexadecimal after "$", "0x" or "0X", with an optional
// sign in front. Anything else, or a number outside the signed 32-bit range,
// gives nothing (the caller's default).
std::optional<std::int32_t> ParseIniInteger(QStringView text);

// A fraction in the general form with up to 15 significant digits and the
// decimal separator of the locale, no group separators: a text holding one
// is not a number.
QString FormatIniFloat(double value, const QLocale& locale = QLocale());
std::optional<double> ParseIniFloat(QStringView text, const QLocale& locale = QLocale());
// The same under the user's locale, or else with "." or "," as the decimal
// separator, so that a file written under another locale still reads.
std::optional<double> ParseIniFloatEitherSeparator(QStringView text);

// Binary values: two uppercase hexadecimal digits per byte, in memory order.
QString FormatIniBinary(const QByteArray& bytes);
// An odd number of digits or a character that is not a hexadecimal digit
// gives nothing: a damaged value is never half decoded.
std::optional<QByteArray> ParseIniBinary(QStringView text);
