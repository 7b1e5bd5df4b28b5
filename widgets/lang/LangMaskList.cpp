#include "widgets/lang/LangMaskList.h"

TLangMaskList::TLangMaskList(const QStringList& masks)
{
    for (const QString& mask : masks) {
        if (mask.isEmpty())
            continue;
        // Anchored; property paths hold dots and brackets, never the "/"
        // that the default conversion treats as a separator.
        const QString pattern = QRegularExpression::wildcardToRegularExpression(mask);
        m_masks.emplace_back(pattern, QRegularExpression::CaseInsensitiveOption);
    }
}

bool TLangMaskList::Matches(const QString& text) const
{
    for (const QRegularExpression& mask : m_masks)
        if (mask.match(text).hasMatch())
            return true;
    return false;
}
