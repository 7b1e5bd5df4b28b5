#include "localizer/LangResources.h"

void TLangResources::Add(const TLangResource& resource)
{
    const int index = IndexOfLangID(resource.LangID);
    if (index >= 0)
        m_items[static_cast<std::size_t>(index)] = resource;
    else
        m_items.push_back(resource);
}

int TLangResources::IndexOfLangID(quint16 langId) const
{
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].LangID == langId)
            return static_cast<int>(i);
    }
    return -1;
}

const TLangResource* TLangResources::FindLangID(quint16 langId) const
{
    const int index = IndexOfLangID(langId);
    return index < 0 ? nullptr : &m_items[static_cast<std::size_t>(index)];
}
