#include "localizer/LangFormat.h"

#include <QLocale>
#include <optional>

namespace {

// Widths and precisions above this are taken as a hostile or broken text.
constexpr int kMaxFieldSize = 4096;

struct TSpecifier {
    std::optional<int> index;
    bool leftAlign = false;
    int width = 0;
    std::optional<int> precision;
    QChar type;
};

class TFormatter {
public:
    TFormatter(const QString& format, std::span<const TFormatArg> args) : m_format(format), m_args(args) {}

    QString Run()
    {
        QString out;
        out.reserve(m_format.size() + 16);
        qsizetype pos = 0;
        while (pos < m_format.size()) {
            const QChar c = m_format[pos];
            if (c != u'%') {
                out += c;
                ++pos;
                continue;
            }
            if (pos + 1 < m_format.size() && m_format[pos + 1] == u'%') {
                out += u'%';
                pos += 2;
                continue;
            }
            const qsizetype start = pos;
            TSpecifier field;
            const bool parsed = Parse(pos, field);
            const QString written = m_format.mid(start, pos - start);
            if (!parsed) {
                out += written;
                continue;
            }
            std::optional<QString> text = Render(field);
            out += text ? *text : written;
        }
        return out;
    }

private:
    // Reads a decimal number or "*" (an integer argument); false when the
    // field is malformed or too large.
    bool ReadNumber(qsizetype& pos, std::optional<int>& value, bool& starFailed)
    {
        if (pos < m_format.size() && m_format[pos] == u'*') {
            ++pos;
            const TFormatArg* arg = NextArg();
            if (!arg || arg->Kind() != TFormatArg::TKind::Integer || arg->Integer() < 0 ||
                arg->Integer() > kMaxFieldSize) {
                starFailed = true;
                value = 0;
            } else {
                value = static_cast<int>(arg->Integer());
            }
            return true;
        }
        int number = 0;
        bool any = false;
        while (pos < m_format.size() && m_format[pos].isDigit() && m_format[pos].unicode() < 128) {
            number = number * 10 + (m_format[pos].unicode() - u'0');
            if (number > kMaxFieldSize)
                return false;
            any = true;
            ++pos;
        }
        if (any)
            value = number;
        return true;
    }

    bool Parse(qsizetype& pos, TSpecifier& field)
    {
        ++pos; // the '%'
        bool starFailed = false;
        // An index "n:" or a width: both start with digits.
        const qsizetype numberStart = pos;
        std::optional<int> number;
        if (pos < m_format.size() && m_format[pos].isDigit()) {
            if (!ReadNumber(pos, number, starFailed))
                return false;
            if (pos < m_format.size() && m_format[pos] == u':') {
                field.index = number;
                m_next = *number;
                ++pos;
            } else {
                pos = numberStart;
            }
        }
        if (pos < m_format.size() && m_format[pos] == u'-') {
            field.leftAlign = true;
            ++pos;
        }
        std::optional<int> width;
        if (!ReadNumber(pos, width, starFailed))
            return false;
        field.width = width.value_or(0);
        if (pos < m_format.size() && m_format[pos] == u'.') {
            ++pos;
            std::optional<int> precision;
            if (!ReadNumber(pos, precision, starFailed))
                return false;
            field.precision = precision.value_or(0);
        }
        if (pos < m_format.size() && (m_format[pos] == u'L' || m_format[pos] == u'l'))
            ++pos;
        if (pos >= m_format.size())
            return false;
        field.type = m_format[pos].toLower();
        ++pos;
        return !starFailed && QStringView(u"dusxfn").contains(field.type);
    }

    const TFormatArg* NextArg()
    {
        const int index = m_next++;
        if (index < 0 || static_cast<std::size_t>(index) >= m_args.size())
            return nullptr;
        return &m_args[static_cast<std::size_t>(index)];
    }

    static QString Digits(const TFormatArg& arg, int base, std::optional<int> precision, bool asUnsigned)
    {
        const std::int64_t value = arg.Integer();
        const bool negative = !asUnsigned && value < 0;
        const std::uint64_t magnitude = asUnsigned ? arg.Unsigned()
                                        : negative ? 0 - static_cast<std::uint64_t>(value)
                                                   : static_cast<std::uint64_t>(value);
        QString digits = QString::number(magnitude, base).toUpper();
        if (precision && digits.size() < *precision)
            digits = QString(*precision - digits.size(), u'0') + digits;
        return negative ? QStringLiteral("-") + digits : digits;
    }

    std::optional<QString> Render(const TSpecifier& field)
    {
        const TFormatArg* arg = NextArg();
        if (!arg)
            return std::nullopt;
        QString text;
        const char type = static_cast<char>(field.type.unicode());
        switch (type) {
        case 's':
            if (arg->Kind() != TFormatArg::TKind::Text)
                return std::nullopt;
            text = field.precision ? arg->Text().left(*field.precision) : arg->Text();
            break;
        case 'd':
        case 'u':
        case 'x':
            if (arg->Kind() != TFormatArg::TKind::Integer)
                return std::nullopt;
            text = Digits(*arg, type == 'x' ? 16 : 10, field.precision, type != 'd');
            break;
        case 'f':
        case 'n': {
            double value = 0;
            if (arg->Kind() == TFormatArg::TKind::Fraction)
                value = arg->Fraction();
            else if (arg->Kind() == TFormatArg::TKind::Integer)
                value = static_cast<double>(arg->Integer());
            else
                return std::nullopt;
            QLocale locale;
            if (type == 'f')
                locale.setNumberOptions(QLocale::OmitGroupSeparator);
            else
                locale.setNumberOptions(QLocale::DefaultNumberOptions);
            text = locale.toString(value, 'f', field.precision.value_or(2));
            break;
        }
        default:
            return std::nullopt;
        }
        if (text.size() < field.width) {
            const QString padding(field.width - text.size(), u' ');
            text = field.leftAlign ? text + padding : padding + text;
        }
        return text;
    }

    const QString& m_format;
    std::span<const TFormatArg> m_args;
    int m_next = 0;
};

} // namespace

QString FormatChecked(const QString& format, std::span<const TFormatArg> args)
{
    return TFormatter(format, args).Run();
}
