#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Builds form language data field by field, little-endian, as a form stores it.
class TLangData {
public:
    TLangData& U8(quint8 value)
    {
        m_bytes.append(static_cast<char>(value));
        return *this;
    }
    TLangData& U16(quint16 value) { return U8(value & 0xFF).U8(value >> 8); }
    TLangData& I32(qint32 value)
    {
        const auto bits = static_cast<quint32>(value);
        return U16(bits & 0xFFFF).U16(bits >> 16);
    }
    TLangData& Name(const char* utf8)
    {
        const QByteArray text(utf8);
        U16(static_cast<quint16>(text.size()));
        m_bytes.append(text);
        return *this;
    }
    QByteArray Bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

// The small test form's entries: the form's caption, Label1's caption,
// btnGo's caption and hint, and a component that the form no longer has.
inline QByteArray SmallFormLangData()
{
    TLangData data;
    data.Name("frmSmall").U8(1).I32(1).I32(10001).Name("Caption");
    data.U8(1).I32(3);
    data.Name("Label1").U8(1).I32(1).I32(10002).Name("Caption").U8(0);
    data.Name("btnGo").U8(1).I32(2).I32(10003).Name("Caption").I32(10004).Name("Hint").U8(0);
    data.Name("Gone").U8(1).I32(1).I32(10005).Name("Caption").U8(0);
    return data.Bytes();
}
