#include "localizer/LangConstants.h"

#include <algorithm>

#include "localizer/LangCodePages.h"
#include "localizer/LangError.h"
#include "localizer/LangFormat.h"

namespace {

char16_t FoldAscii(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

// Reads the fields of a constants stream; a short stream raises.
class TStreamReader {
public:
    explicit TStreamReader(const QByteArray& bytes) : m_bytes(bytes) {}

    quint8 U8()
    {
        Need(1);
        return static_cast<quint8>(m_bytes[m_pos++]);
    }
    quint16 U16()
    {
        const quint16 low = U8();
        return static_cast<quint16>(low | (U8() << 8));
    }
    qint32 I32()
    {
        quint32 value = 0;
        for (int shift = 0; shift < 32; shift += 8)
            value |= static_cast<quint32>(U8()) << shift;
        return static_cast<qint32>(value);
    }
    QByteArray Bytes(qsizetype size)
    {
        Need(size);
        QByteArray out = m_bytes.mid(m_pos, size);
        m_pos += size;
        return out;
    }
    QString Utf16(qsizetype units)
    {
        const QByteArray raw = Bytes(units * 2);
        QString out(units, Qt::Uninitialized);
        for (qsizetype i = 0; i < units; ++i)
            out[i] = QChar(
                static_cast<char16_t>(static_cast<quint8>(raw[2 * i]) | (static_cast<quint8>(raw[2 * i + 1]) << 8)));
        return out;
    }

private:
    void Need(qsizetype size) const
    {
        if (size < 0 || m_bytes.size() - m_pos < size)
            throw ELangError(QStringLiteral("Stream read error"));
    }

    const QByteArray& m_bytes;
    qsizetype m_pos = 0;
};

} // namespace

int CompareLangNames(const QString& a, const QString& b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = FoldAscii(a[i].unicode());
        const char16_t y = FoldAscii(b[i].unicode());
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool IsValidLangConstantName(const QString& name)
{
    if (name.isEmpty())
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        const bool letter = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_';
        const bool digit = c >= u'0' && c <= u'9';
        if (!letter && !(digit && i > 0))
            return false;
    }
    return true;
}

TLangConstants::TLangConstants(TLangIdSource langId) : m_langId(std::move(langId)) {}

std::vector<TLangConstant>::const_iterator TLangConstants::LowerBound(const QString& name) const
{
    return std::lower_bound(m_items.begin(), m_items.end(), name, [](const TLangConstant& item, const QString& key) {
        return CompareLangNames(item.Name, key) < 0;
    });
}

int TLangConstants::IndexOf(const QString& name) const
{
    const auto it = LowerBound(name);
    if (it == m_items.end() || CompareLangNames(it->Name, name) != 0)
        return -1;
    return static_cast<int>(it - m_items.begin());
}

const TLangConstant* TLangConstants::Find(const QString& name) const
{
    const int index = IndexOf(name);
    return index < 0 ? nullptr : &m_items[static_cast<std::size_t>(index)];
}

void TLangConstants::Add(const QString& name, const QString& value, quint8 flags)
{
    if (!IsValidLangConstantName(name))
        throw ELangError(LangFormat(QStringLiteral("Invalid constant name (\"%s\")"), name));
    const auto it = LowerBound(name);
    if (it != m_items.end() && CompareLangNames(it->Name, name) == 0)
        throw ELangError(LangFormat(QStringLiteral("Duplicate constant name (\"%s\")"), name));
    m_items.insert(it, TLangConstant{name, value, value, flags});
}

void TLangConstants::TranslateFrom(const TLangConstants* source)
{
    for (TLangConstant& item : m_items) {
        if (!source) {
            item.Value = item.DefValue;
        } else if (const TLangConstant* translated = source->Find(item.Name)) {
            item.Value = translated->Value;
        }
    }
}

void TLangConstants::LoadFromStream(const QByteArray& stream)
{
    Clear();
    TStreamReader in(stream);
    const int version = in.U8();
    if (version > kStreamVersion)
        throw ELangError(LangFormat(QStringLiteral("Stream version (%d) is greater than the current one (%d)"), version,
                                    kStreamVersion));
    m_autoSave = version >= 2 ? in.U8() != 0 : version != 0;
    const qint32 count = in.I32();
    if (count < 0)
        throw ELangError(QStringLiteral("Stream read error"));
    const int valueCodePage = version < 2 ? LanguageCodePage(LangId()) : 0;
    for (qint32 i = 0; i < count; ++i) {
        const quint16 nameLength = in.U16();
        const QString name =
            version < 3 ? DecodeCodePage(in.Bytes(nameLength), SystemCodePage()) : in.Utf16(nameLength);
        const quint16 valueLength = in.U16();
        const QString value =
            version < 2 ? DecodeCodePage(in.Bytes(valueLength), valueCodePage) : in.Utf16(valueLength);
        Add(name, value);
    }
}
