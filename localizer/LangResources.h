#pragma once

#include <QString>
#include <QtGlobal>
#include <vector>

// A registered language. The program registers only language files (kind 2);
// kinds 0 and 1 name a module resource by name or number.
struct TLangResource {
    static constexpr quint8 kKindFile = 2;

    quint8 Kind = kKindFile;
    quintptr Instance = 0; // module handle, 0 for a file
    QString Name;          // the file's full path
    int ResID = 0;
    quint16 LangID = 0;
};

// The registered languages in registration order, at most one per LangID.
class TLangResources {
public:
    int Count() const { return static_cast<int>(m_items.size()); }
    const TLangResource& At(int index) const { return m_items.at(static_cast<std::size_t>(index)); }
    // Registers a language; one with the same ID is replaced in place.
    void Add(const TLangResource& resource);
    // Position of the language with that ID, or -1.
    int IndexOfLangID(quint16 langId) const;
    const TLangResource* FindLangID(quint16 langId) const;

private:
    std::vector<TLangResource> m_items;
};
