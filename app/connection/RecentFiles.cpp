#include "app/connection/RecentFiles.h"

bool SwapRecentFileToFront(QStringList& recent, const QString& path)
{
    const qsizetype index = recent.indexOf(path);
    if (index < 0)
        return false;
    recent.swapItemsAt(0, index);
    return true;
}

void AddRecentFile(QStringList& recent, const QString& path, int maxCount)
{
    if (!SwapRecentFileToFront(recent, path))
        recent.prepend(path);
    while (recent.size() > qMax(maxCount, 0))
        recent.removeLast();
}

QString RecentFileMenuText(const QString& path)
{
    QString text = path;
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QString DefaultSuffixOfFilter(const QString& filter)
{
    const qsizetype bar = filter.indexOf(QLatin1Char('|'));
    if (bar < 0)
        return {};
    QString pattern = filter.mid(bar + 1).section(QLatin1Char('|'), 0, 0).section(QLatin1Char(';'), 0, 0).trimmed();
    const qsizetype dot = pattern.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return {};
    pattern = pattern.mid(dot + 1);
    return pattern.contains(QLatin1Char('*')) || pattern.contains(QLatin1Char('?')) ? QString() : pattern;
}
