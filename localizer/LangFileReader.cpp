#include "localizer/LangFileReader.h"

#include <QFile>
#include <QStringDecoder>

#include "localizer/LangCodePages.h"
#include "localizer/LangError.h"
#include "localizer/LangEscapes.h"
#include "localizer/LangFormat.h"

namespace {

// Trims blanks and control characters at both ends.
QString TrimLine(QStringView line)
{
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && line[begin].unicode() <= u' ')
        ++begin;
    while (end > begin && line[end - 1].unicode() <= u' ')
        --end;
    return line.mid(begin, end - begin).toString();
}

// Lines end at CR, LF or CR LF.
template <typename TVisit> void ForEachLine(QStringView text, TVisit visit)
{
    qsizetype start = 0;
    int index = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c != u'\r' && c != u'\n')
            continue;
        if (!visit(index++, text.mid(start, i - start)))
            return;
        if (c == u'\r' && i + 1 < text.size() && text[i + 1].unicode() == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        visit(index, text.mid(start));
}

// The LANGID of a file whose text is not yet decoded: parameter lines are
// ASCII in every code page the file may use.
quint16 PeekLangId(const QByteArray& bytes)
{
    const auto params = ReadLangText(QString::fromLatin1(bytes), true);
    const quint16 id = ParseLangId(params->Param(QStringLiteral("LANGID")));
    return id == 0 ? 1033 : id;
}

enum class TSection { Params, Constants, Component };

} // namespace

QString DecodeLangFileText(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE")) {
        QStringDecoder decoder(QStringDecoder::Utf16LE);
        return decoder(bytes.mid(2));
    }
    if (bytes.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(QStringDecoder::Utf16BE);
        return decoder(bytes.mid(2));
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return DecodeCodePage(bytes, LanguageCodePage(PeekLangId(bytes)));
}

std::unique_ptr<TLangCompTranslations> ReadLangText(const QString& text, bool paramsOnly)
{
    auto result = std::make_unique<TLangCompTranslations>();
    TSection section = TSection::Params;
    TLangCompTranslation* component = nullptr;

    ForEachLine(text, [&](int index, QStringView raw) {
        const QString line = TrimLine(raw);
        if (line.isEmpty() || line.startsWith(u';'))
            return true;
        try {
            if (line.startsWith(u'[')) {
                if (paramsOnly)
                    return false;
                if (line.size() > 2 && line.endsWith(u']')) {
                    const QString name = TrimLine(QStringView(line).mid(1, line.size() - 2));
                    if (name.compare(QStringLiteral("$CONSTANTS"), Qt::CaseInsensitive) == 0) {
                        section = TSection::Constants;
                    } else {
                        section = TSection::Component;
                        component = &result->SectionFor(name);
                    }
                }
                return true;
            }
            const qsizetype equals = line.indexOf(u'=');
            if (equals < 0)
                return true;
            const QString name = TrimLine(QStringView(line).left(equals));
            if (name.isEmpty())
                return true;
            const QString value = TrimLine(QStringView(line).mid(equals + 1));
            switch (section) {
            case TSection::Params:
                result->SetParam(name, value);
                break;
            case TSection::Constants:
                result->Constants().Add(name, DecodeLangEscapes(value));
                break;
            case TSection::Component: {
                bool ok = false;
                const int id = name.toInt(&ok);
                if (ok && id > 0)
                    component->Add(id, DecodeLangEscapes(value));
                break;
            }
            }
        } catch (const ELangError& error) {
            throw ELangError(
                LangFormat(QStringLiteral("Loading translations failed.\r\nLine %d: %s"), index, error.Text()));
        }
        return true;
    });
    return result;
}

std::unique_ptr<TLangCompTranslations> ReadLangFile(const QString& path, bool paramsOnly)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ELangError(LangFormat(QStringLiteral("Cannot open file \"%s\". %s"), path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw ELangError(LangFormat(QStringLiteral("Cannot read file \"%s\". %s"), path, file.errorString()));
    return ReadLangText(DecodeLangFileText(bytes), paramsOnly);
}
