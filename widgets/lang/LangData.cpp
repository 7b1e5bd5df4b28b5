#include "widgets/lang/LangData.h"

#include <QDataStream>
#include <QIODevice>

#include "localizer/LangError.h"

namespace {

// Nesting deeper than any form could be is taken as damage, not recursed into.
constexpr int kMaxDepth = 64;

void WriteString(QDataStream& out, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    if (utf8.size() > 0xFFFF)
        throw ELangError(QStringLiteral("Name too long for the form data: %1").arg(text.left(40)));
    out << static_cast<quint16>(utf8.size());
    out.writeRawData(utf8.constData(), static_cast<int>(utf8.size()));
}

void WriteEntry(QDataStream& out, const TLangCompEntry& entry)
{
    WriteString(out, entry.Name());
    const TLangPropEntries* props = entry.PropEntries();
    out << static_cast<quint8>(props ? 1 : 0);
    if (props) {
        out << static_cast<qint32>(props->Count());
        for (int i = 0; i < props->Count(); ++i) {
            out << props->At(i).ID;
            WriteString(out, props->At(i).PropName);
        }
    }
    out << static_cast<quint8>(entry.HasChildList() ? 1 : 0);
    if (entry.HasChildList()) {
        out << static_cast<qint32>(entry.ChildCount());
        for (int i = 0; i < entry.ChildCount(); ++i)
            WriteEntry(out, entry.ChildAt(i));
    }
}

class TLangDataReader {
public:
    explicit TLangDataReader(const QByteArray& data) : m_data(data) {}

    void ReadEntry(TLangCompEntry& entry, int depth)
    {
        if (depth > kMaxDepth)
            Fail();
        if (U8() != 0) {
            const qint32 count = Count();
            TLangPropEntries& props = entry.MakePropEntries();
            for (qint32 i = 0; i < count; ++i) {
                const qint32 id = I32();
                props.Add(id, String());
            }
        }
        if (U8() != 0) {
            const qint32 count = Count();
            entry.MakeChildList();
            for (qint32 i = 0; i < count; ++i)
                ReadEntry(entry.AddChild(String()), depth + 1);
        }
    }

    QString String()
    {
        const int length = U16();
        Need(length);
        const QString text = QString::fromUtf8(m_data.constData() + m_pos, length);
        m_pos += length;
        return text;
    }

    bool AtEnd() const { return m_pos == m_data.size(); }

private:
    [[noreturn]] static void Fail() { throw ELangError(QStringLiteral("Damaged form language data")); }
    void Need(qsizetype bytes)
    {
        if (bytes < 0 || m_data.size() - m_pos < bytes)
            Fail();
    }
    quint32 Little(int bytes)
    {
        Need(bytes);
        quint32 value = 0;
        for (int i = 0; i < bytes; ++i)
            value |= static_cast<quint32>(static_cast<quint8>(m_data[m_pos + i])) << (8 * i);
        m_pos += bytes;
        return value;
    }
    quint8 U8() { return static_cast<quint8>(Little(1)); }
    quint16 U16() { return static_cast<quint16>(Little(2)); }
    qint32 I32() { return static_cast<qint32>(Little(4)); }
    // A count can never exceed the bytes left (every item takes at least one).
    qint32 Count()
    {
        const qint32 count = I32();
        if (count < 0 || count > m_data.size() - m_pos)
            Fail();
        return count;
    }

    const QByteArray& m_data;
    qsizetype m_pos = 0;
};

}  // namespace

QByteArray WriteLangData(const TLangCompEntry& root)
{
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    WriteEntry(out, root);
    return data;
}

std::unique_ptr<TLangCompEntry> ReadLangData(const QByteArray& data)
{
    TLangDataReader reader(data);
    auto root = std::make_unique<TLangCompEntry>(reader.String());
    reader.ReadEntry(*root, 0);
    if (!reader.AtEnd())
        throw ELangError(QStringLiteral("Damaged form language data"));
    return root;
}
