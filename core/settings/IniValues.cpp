#include "core/settings/IniValues.h"

#include <limits>

namespace {

int HexDigitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

} // namespace

std::optional<std::int32_t> ParseIniInteger(QStringView text)
{
    bool negative = false;
    if (!text.isEmpty() && (text.front() == u'-' || text.front() == u'+')) {
        negative = text.front() == u'-';
        text = text.mid(1);
    }
    int base = 10;
    if (text.startsWith(u'$')) {
        base = 16;
        text = text.mid(1);
    } else if (text.startsWith(u"0x") || text.startsWith(u"0X")) {
        base = 16;
        text = text.mid(2);
    }
    if (text.isEmpty())
        return std::nullopt;

    // The magnitude may reach 2^31 only for a negative number.
    const std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + (negative ? 1 : 0);
    std::int64_t magnitude = 0;
    for (QChar c : text) {
        const int digit = HexDigitValue(c);
        if (digit < 0 || digit >= base)
            return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

QString FormatIniFloat(double value, const QLocale& locale)
{
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(value, 'g', 15);
}

std::optional<double> ParseIniFloat(QStringView text, const QLocale& locale)
{
    // A group separator would read "2.500" under one separator as 2500 and
    // "2,500" under the other too: the same text, a factor of 1000 apart.
    QLocale strict = locale;
    strict.setNumberOptions(locale.numberOptions() | QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = strict.toDouble(text, &ok);
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<double> ParseIniFloatEitherSeparator(QStringView text)
{
    if (const auto value = ParseIniFloat(text))
        return value;
    QString dotted = text.toString();
    dotted.replace(QLatin1Char(','), QLatin1Char('.'));
    return ParseIniFloat(dotted, QLocale::c());
}

QString FormatIniBinary(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex().toUpper());
}

std::optional<QByteArray> ParseIniBinary(QStringView text)
{
    if (text.size() % 2 != 0)
        return std::nullopt;
    QByteArray bytes(text.size() / 2, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const int high = HexDigitValue(text[2 * i]);
        const int low = HexDigitValue(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes[i] = static_cast<char>(high * 16 + low);
    }
    return bytes;
}
