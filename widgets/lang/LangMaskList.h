#pragma once

#include <QRegularExpression>
#include <QStringList>
#include <vector>

// A list of wildcard masks ("*", "?", "[...]"), compared without letter case;
// a text matches when any mask matches it.
class TLangMaskList {
public:
    explicit TLangMaskList(const QStringList& masks);

    bool Matches(const QString& text) const;

private:
    std::vector<QRegularExpression> m_masks;
};
