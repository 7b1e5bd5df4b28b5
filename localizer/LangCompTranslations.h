#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>
#include <utility>
#include <vector>

#include "localizer/LangConstants.h"

// One translated property value of a form: the property's ID and its text.
struct TLangPropValueTranslation {
    qint32 ID = 0;
    QString Value;
    quint8 Flags = 0;
};

// The component section of one form: values kept sorted by ID.
class TLangCompTranslation {
public:
    explicit TLangCompTranslation(QString sectionName) : m_sectionName(std::move(sectionName)) {}

    const QString& SectionName() const { return m_sectionName; }
    int Count() const { return static_cast<int>(m_values.size()); }
    const TLangPropValueTranslation& At(int index) const { return m_values.at(static_cast<std::size_t>(index)); }

    // Raises for an ID that the section already holds.
    void Add(qint32 id, const QString& value);
    const TLangPropValueTranslation* FindID(qint32 id) const;

private:
    QString m_sectionName;
    std::vector<TLangPropValueTranslation> m_values;
};

// A loaded language: the file's parameters, its constants and its component
// sections. Made from one language file for one switch.
class TLangCompTranslations {
public:
    TLangCompTranslations();
    TLangCompTranslations(const TLangCompTranslations&) = delete;
    TLangCompTranslations& operator=(const TLangCompTranslations&) = delete;

    // Parameters: names compared case-insensitively; a later value replaces.
    void SetParam(const QString& name, const QString& value);
    QString Param(const QString& name) const;
    int ParamCount() const { return static_cast<int>(m_params.size()); }

    // The LANGID parameter; 1033 when it is missing or not a number.
    quint16 LangId() const;

    TLangConstants& Constants() { return m_constants; }
    const TLangConstants& Constants() const { return m_constants; }

    int SectionCount() const { return static_cast<int>(m_sections.size()); }
    const TLangCompTranslation& SectionAt(int index) const { return *m_sections.at(static_cast<std::size_t>(index)); }
    // The first section of that name in any letter case, or none.
    const TLangCompTranslation* FindSection(const QString& name) const;
    // The section of that name, added at the end when there is none yet.
    TLangCompTranslation& SectionFor(const QString& name);

private:
    std::vector<std::pair<QString, QString>> m_params;
    TLangConstants m_constants;
    std::vector<std::unique_ptr<TLangCompTranslation>> m_sections;
};

// A language ID written in decimal, or 0 when it is missing, not a number or
// out of range.
quint16 ParseLangId(const QString& text);
