#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <vector>

// One named constant: the current text and the built-in one.
struct TLangConstant {
    QString Name;
    QString Value;
    QString DefValue;
    quint8 Flags = 0; // only a language-source writer reads it
};

// Compares constant names case-insensitively with only ASCII letters folded.
int CompareLangNames(const QString& a, const QString& b);

// A letter or underscore, then letters, digits or underscores (ASCII).
bool IsValidLangConstantName(const QString& name);

// Constants sorted by name and searched by binary search. The language
// callback tells which language 8-bit values of old streams are written in.
class TLangConstants {
public:
    using TLangIdSource = std::function<quint16()>;

    static constexpr int kStreamVersion = 3;

    explicit TLangConstants(TLangIdSource langId = {});

    int Count() const { return static_cast<int>(m_items.size()); }
    const TLangConstant& At(int index) const { return m_items.at(static_cast<std::size_t>(index)); }
    // Position of the name, or -1.
    int IndexOf(const QString& name) const;
    const TLangConstant* Find(const QString& name) const;

    // Adds a constant with Value and DefValue both the text; raises for an
    // invalid or duplicate name.
    void Add(const QString& name, const QString& value, quint8 flags = 0);
    void Clear() { m_items.clear(); }

    // With no source every Value becomes its DefValue; otherwise a constant the
    // source has takes its text and the others keep theirs.
    void TranslateFrom(const TLangConstants* source);

    // Replaces the content with a constants stream of versions 0 to 3.
    void LoadFromStream(const QByteArray& stream);

    bool AutoSave() const { return m_autoSave; }
    quint16 LangId() const { return m_langId ? m_langId() : 1033; }

private:
    std::vector<TLangConstant>::const_iterator LowerBound(const QString& name) const;

    std::vector<TLangConstant> m_items;
    TLangIdSource m_langId;
    bool m_autoSave = true;
};
