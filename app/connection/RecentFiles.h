#pragma once

#include <QString>
#include <QStringList>

// The recent image files of the connection menu, newest first.

// A path already in the list (exact text) changes places with the first
// entry; true when it was there. The list keeps its length.
bool SwapRecentFileToFront(QStringList& recent, const QString& path);

// A newly opened image file: swapped to the front when it is listed,
// otherwise put first, and the list is cut to maxCount entries.
void AddRecentFile(QStringList& recent, const QString& path, int maxCount);

// A path as a menu text: "&" shows as itself, never as an accelerator.
QString RecentFileMenuText(const QString& path);

// "Description|*.ext|...": the extension of the first pattern, without the
// dot ("qdm"); empty when the pattern names none.
QString DefaultSuffixOfFilter(const QString& filter);
