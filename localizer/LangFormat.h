#pragma once

#include <QString>
#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <span>

#include "localizer/LangConst.h"

// One argument of a checked format: a text, an integer or a fraction.
class TFormatArg {
public:
    enum class TKind { Text, Integer, Fraction };

    TFormatArg(const QString& text) : m_kind(TKind::Text), m_text(text) {}
    TFormatArg(const char* text) : m_kind(TKind::Text), m_text(QString::fromUtf8(text)) {}
    // "%u" and "%x" show a negative value in its own width, as the class
    // library does: 32 bits for int and smaller, 64 bits above.
    template <std::integral T>
    TFormatArg(T value)
        : m_kind(TKind::Integer), m_integer(static_cast<std::int64_t>(value)),
          m_unsignedMask(sizeof(T) > 4 ? ~std::uint64_t{0} : std::uint64_t{0xFFFFFFFF})
    {
    }
    template <std::floating_point T>
    TFormatArg(T value) : m_kind(TKind::Fraction), m_fraction(static_cast<double>(value))
    {
    }

    TKind Kind() const { return m_kind; }
    const QString& Text() const { return m_text; }
    std::int64_t Integer() const { return m_integer; }
    std::uint64_t Unsigned() const { return static_cast<std::uint64_t>(m_integer) & m_unsignedMask; }
    double Fraction() const { return m_fraction; }

private:
    TKind m_kind;
    QString m_text;
    std::int64_t m_integer = 0;
    std::uint64_t m_unsignedMask = ~std::uint64_t{0};
    double m_fraction = 0.0;
};

// Formats a localized text with the class library's specifiers
// "%[index:][-][width][.precision]type" (types d u x s f n e g, "%%" for a
// percent sign, an "L" size prefix accepted and ignored). A translated text
// cannot make it crash or read a wrong argument: a specifier whose argument
// is missing or of another kind, or that is malformed, stays as written;
// arguments no specifier names are ignored. Fractions and "%n" use the
// default QLocale's separators.
QString FormatChecked(const QString& format, std::span<const TFormatArg> args);

template <typename... TArgs> QString LangFormat(const QString& format, const TArgs&... args)
{
    const TFormatArg list[] = {TFormatArg(args)..., TFormatArg(QString())};
    return FormatChecked(format, std::span<const TFormatArg>(list, sizeof...(TArgs)));
}

// LangFormat over the active language's text of a constant.
template <typename... TArgs> QString LangConstFormat(const QString& name, const TArgs&... args)
{
    return LangFormat(LangConst(name), args...);
}
