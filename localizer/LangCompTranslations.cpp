#include "localizer/LangCompTranslations.h"

#include <algorithm>

#include "localizer/LangError.h"
#include "localizer/LangFormat.h"

void TLangCompTranslation::Add(qint32 id, const QString& value)
{
    const auto it = std::lower_bound(m_values.begin(), m_values.end(), id,
                                     [](const TLangPropValueTranslation& item, qint32 key) { return item.ID < key; });
    if (it != m_values.end() && it->ID == id)
        throw ELangError(LangFormat(QStringLiteral("Duplicate property value translation ID (%d)"), id));
    m_values.insert(it, TLangPropValueTranslation{id, value, 0});
}

const TLangPropValueTranslation* TLangCompTranslation::FindID(qint32 id) const
{
    const auto it = std::lower_bound(m_values.begin(), m_values.end(), id,
                                     [](const TLangPropValueTranslation& item, qint32 key) { return item.ID < key; });
    return (it != m_values.end() && it->ID == id) ? &*it : nullptr;
}

quint16 ParseLangId(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return (ok && value > 0 && value <= 0xFFFF) ? static_cast<quint16>(value) : 0;
}

TLangCompTranslations::TLangCompTranslations() : m_constants([this] { return LangId(); }) {}

void TLangCompTranslations::SetParam(const QString& name, const QString& value)
{
    for (auto& param : m_params) {
        if (param.first.compare(name, Qt::CaseInsensitive) == 0) {
            param.second = value;
            return;
        }
    }
    m_params.emplace_back(name, value);
}

QString TLangCompTranslations::Param(const QString& name) const
{
    for (const auto& param : m_params) {
        if (param.first.compare(name, Qt::CaseInsensitive) == 0)
            return param.second;
    }
    return {};
}

quint16 TLangCompTranslations::LangId() const
{
    bool ok = false;
    const int value = Param(QStringLiteral("LANGID")).trimmed().toInt(&ok);
    return (ok && value >= 0 && value <= 0xFFFF) ? static_cast<quint16>(value) : 1033;
}

const TLangCompTranslation* TLangCompTranslations::FindSection(const QString& name) const
{
    for (const auto& section : m_sections) {
        if (section->SectionName().compare(name, Qt::CaseInsensitive) == 0)
            return section.get();
    }
    return nullptr;
}

TLangCompTranslation& TLangCompTranslations::SectionFor(const QString& name)
{
    for (auto& section : m_sections) {
        if (section->SectionName().compare(name, Qt::CaseInsensitive) == 0)
            return *section;
    }
    m_sections.push_back(std::make_unique<TLangCompTranslation>(name));
    return *m_sections.back();
}
