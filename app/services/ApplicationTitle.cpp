#include "app/services/ApplicationTitle.h"

namespace {

QString& Title()
{
    static QString title = QStringLiteral("Trellavox");
    return title;
}

} // namespace

QString ApplicationTitle()
{
    return Title();
}

void SetApplicationTitle(const QString& title)
{
    Title() = title;
}
