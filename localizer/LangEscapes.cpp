#include "localizer/LangEscapes.h"

namespace {

bool IsDecimalDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

} // namespace

QString DecodeLangEscapes(const QString& value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != u'\\' || i + 1 >= value.size()) {
            out += c;
            continue;
        }
        const QChar next = value[i + 1];
        if (next == u'n') {
            out += QStringLiteral("\r\n");
            ++i;
        } else if (next == u't') {
            out += u'\t';
            ++i;
        } else if (next == u'\\') {
            out += u'\\';
            ++i;
        } else if (IsDecimalDigit(next) && i + 2 < value.size() && IsDecimalDigit(value[i + 2])) {
            out += QChar(static_cast<char16_t>((next.unicode() - u'0') * 10 + (value[i + 2].unicode() - u'0')));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

QString EncodeLangEscapes(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\r' || c == u'\n') {
            out += QStringLiteral("\\n");
            const char16_t pair = c == u'\r' ? u'\n' : u'\r';
            if (i + 1 < text.size() && text[i + 1].unicode() == pair)
                ++i;
        } else if (c == u'\t') {
            out += QStringLiteral("\\t");
        } else if (c == u'\\') {
            out += QStringLiteral("\\\\");
        } else if (c < 32) {
            out += QStringLiteral("\\%1").arg(static_cast<int>(c), 2, 10, QChar(u'0'));
        } else {
            out += QChar(c);
        }
    }
    return out;
}
