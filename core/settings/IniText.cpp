#include "core/settings/IniText.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <optional>

#include "localizer/LangCodePages.h"

namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";
constexpr char kUtf16LeBom[] = "\xFF\xFE";

std::optional<QString> DecodeStrict(QByteArrayView bytes, QStringConverter::Encoding encoding)
{
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

QStringList SplitLines(const QString& text)
{
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast(); // the line end of the last line
    for (QString& line : lines)
        if (line.endsWith(u'\r'))
            line.chop(1);
    return lines;
}

} // namespace

TIniText DecodeIniText(const QByteArray& bytes, int legacyCodePage)
{
    TIniText result;
    QString text;
    if (bytes.startsWith(kUtf16LeBom)) {
        result.Encoding = TIniEncoding::Utf16LeBom;
        QStringDecoder decoder(QStringConverter::Utf16LE, QStringConverter::Flag::Stateless);
        text = decoder.decode(QByteArrayView(bytes).sliced(2));
    } else if (bytes.startsWith(kUtf8Bom)) {
        result.Encoding = TIniEncoding::Utf8Bom;
        text = QString::fromUtf8(QByteArrayView(bytes).sliced(3));
    } else if (auto utf8 = DecodeStrict(bytes, QStringConverter::Utf8)) {
        result.Encoding = TIniEncoding::Utf8;
        text = *utf8;
    } else {
        result.Encoding = TIniEncoding::Legacy8Bit;
        text = DecodeCodePage(bytes, legacyCodePage);
    }
    result.Lines = SplitLines(text);
    return result;
}

QByteArray EncodeIniText(const QStringList& lines, TIniEncoding encoding)
{
    QString text;
    for (const QString& line : lines) {
        text += line;
        text += u"\r\n";
    }
    switch (encoding) {
    case TIniEncoding::Utf16LeBom: {
        QStringEncoder encoder(QStringConverter::Utf16LE, QStringConverter::Flag::Stateless);
        return QByteArray(kUtf16LeBom) + QByteArray(encoder.encode(text));
    }
    case TIniEncoding::Utf8Bom:
        return QByteArray(kUtf8Bom) + text.toUtf8();
    case TIniEncoding::Utf8:
    case TIniEncoding::Legacy8Bit:
        break;
    }
    return text.toUtf8();
}
