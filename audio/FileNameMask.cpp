#include "audio/FileNameMask.h"

#include "audio/DateTimeFormat.h"
#include "localizer/LangConst.h"

namespace {

bool IsControl(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

QString SafeExpansion(QString text)
{
    for (QChar& c : text)
        if (c == u'/' || IsControl(c))
            c = u'_';
    return text;
}

QString SafeMaskText(QString text)
{
    for (QChar& c : text)
        if (c == u'/' || c == u'\\' || IsControl(c))
            c = u'_';
    return text;
}

QString ExpandToken(const QString& token, const SYSTEMTIME& time, const QString& serialNumber,
                    std::uint16_t recordNumber, int partNumber, const QString& extraText, const QLocale& locale)
{
    const QString key = token.toUpper();
    if (key == u"SN")
        return serialNumber;
    if (key == u"RN") {
        QString text = QString::number(recordNumber);
        if (partNumber != -1)
            text += u'_' + QString::number(partNumber);
        return text;
    }
    if (key == u"EI")
        return extraText;
    return FormatDateTime(token, time, locale);
}

QString Expand(const QString& mask, const SYSTEMTIME& time, const QString& serialNumber, std::uint16_t recordNumber,
               int partNumber, const QString& extraText, const QLocale& locale)
{
    QString name;
    qsizetype i = 0;
    while (i < mask.size()) {
        const qsizetype open = mask.indexOf(u'[', i);
        if (open < 0) {
            name += SafeMaskText(mask.mid(i));
            break;
        }
        name += SafeMaskText(mask.mid(i, open - i));
        const qsizetype close = mask.indexOf(u']', open + 1);
        if (close < 0) {
            name += SafeMaskText(mask.mid(open + 1));
            break;
        }
        const QString token = mask.mid(open + 1, close - open - 1);
        name += SafeExpansion(ExpandToken(token, time, serialNumber, recordNumber, partNumber, extraText, locale));
        i = close + 1;
    }
    return name;
}

bool Usable(const QString& name)
{
    return !name.isEmpty() && name != u"." && name != u"..";
}

}  // namespace

QString ExpandFileNameMask(const QString& mask, const SYSTEMTIME& time, const QString& serialNumber,
                           std::uint16_t recordNumber, int partNumber, const QString& extraText, const QLocale& locale)
{
    // A translated default could be as unusable as the user's mask; the
    // built-in one always gives a name.
    const QString defaultMask = BuiltInLangConst(QStringLiteral("DefFNMaskStr"));
    for (const QString& candidate : {mask, LangConst(QStringLiteral("DefFNMaskStr"))}) {
        const QString name = Expand(candidate, time, serialNumber, recordNumber, partNumber, extraText, locale);
        if (Usable(name))
            return name;
    }
    return Expand(defaultMask, time, serialNumber, recordNumber, partNumber, extraText, locale);
}

QString MakePartFileName(const QString& fileName, int partNumber)
{
    const qsizetype slash = fileName.lastIndexOf(u'/');
    qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot <= slash)
        dot = fileName.size();
    return fileName.left(dot) + QString::asprintf("_%.4d", partNumber) + fileName.mid(dot);
}
