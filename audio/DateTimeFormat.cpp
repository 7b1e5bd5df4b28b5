#include "audio/DateTimeFormat.h"

#include <QDate>

namespace {

QChar FirstSeparator(const QString& format, QChar fallback)
{
    bool quoted = false;
    for (QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        else if (!quoted && !c.isLetter() && !c.isSpace())
            return c;
    }
    return fallback;
}

char16_t Upper(QChar c)
{
    const char16_t u = c.unicode();
    return u >= u'a' && u <= u'z' ? static_cast<char16_t>(u - 32) : u;
}

bool StartsWithNoCase(const QString& text, qsizetype at, QLatin1StringView what)
{
    return text.mid(at, what.size()).compare(what, Qt::CaseInsensitive) == 0;
}

void AppendNumber(QString& out, int value, int digits)
{
    out += QString::number(value).rightJustified(digits, u'0');
}

// True when an am/pm marker follows the hour before the next hour.
bool TwelveHourClockAhead(const QString& format, qsizetype from)
{
    bool quoted = false;
    for (qsizetype i = from; i < format.size(); ++i) {
        const char16_t c = format[i].unicode();
        if (c == u'\'' || c == u'"') {
            quoted = !quoted;
        } else if (!quoted && (c == u'a' || c == u'A')) {
            return StartsWithNoCase(format, i, QLatin1StringView("am/pm")) ||
                   StartsWithNoCase(format, i, QLatin1StringView("a/p")) ||
                   StartsWithNoCase(format, i, QLatin1StringView("ampm"));
        } else if (!quoted && (c == u'h' || c == u'H')) {
            return false;
        }
    }
    return false;
}

}  // namespace

QChar LocaleDateSeparator(const QLocale& locale)
{
    return FirstSeparator(locale.dateFormat(QLocale::ShortFormat), u'/');
}

QChar LocaleTimeSeparator(const QLocale& locale)
{
    return FirstSeparator(locale.timeFormat(QLocale::ShortFormat), u':');
}

QString FormatDateTime(const QString& format, const SYSTEMTIME& time, const QLocale& locale)
{
    const QDate date(time.wYear, time.wMonth, time.wDay);  // invalid for month 0, day 32
    const bool monthKnown = time.wMonth >= 1 && time.wMonth <= 12;
    QString out;
    char16_t lastToken = 0;
    qsizetype i = 0;
    while (i < format.size()) {
        const QChar starter = format[i];
        char16_t token = Upper(starter);
        if (token >= u'A' && token <= u'Z') {
            if (token == u'M' && lastToken == u'H')
                token = u'N';
            lastToken = token;
        }
        qsizetype count = 1;
        while (i + count < format.size() && format[i + count] == starter)
            ++count;

        switch (token) {
        case u'Y':
            if (count <= 2)
                AppendNumber(out, time.wYear % 100, 2);
            else
                AppendNumber(out, time.wYear, 4);
            break;
        case u'M':
            if (count <= 2)
                AppendNumber(out, time.wMonth, static_cast<int>(count));
            else if (monthKnown)
                out += locale.monthName(time.wMonth, count == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
            break;
        case u'D':
            if (count <= 2)
                AppendNumber(out, time.wDay, static_cast<int>(count));
            else if (!date.isValid())
                break;
            else if (count <= 4)
                out += locale.dayName(date.dayOfWeek(), count == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
            else
                out += locale.toString(date, count == 5 ? QLocale::ShortFormat : QLocale::LongFormat);
            break;
        case u'H': {
            int hour = time.wHour;
            if (TwelveHourClockAhead(format, i + count)) {
                if (hour == 0)
                    hour = 12;
                else if (hour > 12)
                    hour -= 12;
            }
            AppendNumber(out, hour, count > 2 ? 2 : static_cast<int>(count));
            break;
        }
        case u'N':
            AppendNumber(out, time.wMinute, count > 2 ? 2 : static_cast<int>(count));
            break;
        case u'S':
            AppendNumber(out, time.wSecond, count > 2 ? 2 : static_cast<int>(count));
            break;
        case u'Z':
            AppendNumber(out, time.wMilliseconds, count > 3 ? 3 : static_cast<int>(count));
            break;
        case u'A':
            // One marker at a time: "aa" is two markers or two letters.
            count = 1;
            if (StartsWithNoCase(format, i, QLatin1StringView("am/pm"))) {
                out += format.mid(time.wHour >= 12 ? i + 3 : i, 2);
                count = 5;
            } else if (StartsWithNoCase(format, i, QLatin1StringView("a/p"))) {
                out += format[time.wHour >= 12 ? i + 2 : i];
                count = 3;
            } else if (StartsWithNoCase(format, i, QLatin1StringView("ampm"))) {
                out += time.wHour >= 12 ? locale.pmText() : locale.amText();
                count = 4;
            } else {
                out += starter;
            }
            break;
        case u'/':
            out += QString(LocaleDateSeparator(locale)).repeated(count);
            break;
        case u':':
            out += QString(LocaleTimeSeparator(locale)).repeated(count);
            break;
        case u'"':
        case u'\'': {
            const qsizetype close = format.indexOf(starter, i + 1);
            const qsizetype end = close < 0 ? format.size() : close;
            out += format.mid(i + 1, end - i - 1);
            count = end + (close < 0 ? 0 : 1) - i;
            break;
        }
        default:
            out += QString(starter).repeated(count);
            break;
        }
        i += count;
    }
    return out;
}
