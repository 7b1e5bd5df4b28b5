#include "core/flash/DrivePath.h"

#include <algorithm>

namespace {

qsizetype LastSeparator(const QString& name)
{
    return std::max(name.lastIndexOf(QLatin1Char('\\')), name.lastIndexOf(QLatin1Char(':')));
}

}  // namespace

QString TrimBackslashes(const QString& path)
{
    qsizetype first = 0;
    qsizetype last = path.size();
    while (first < last && path[first] == QLatin1Char('\\'))
        ++first;
    while (last > first && path[last - 1] == QLatin1Char('\\'))
        --last;
    return path.mid(first, last - first);
}

QString EnsureTrailingBackslash(const QString& path)
{
    if (path.isEmpty())
        return QStringLiteral("\\");
    return path.endsWith(QLatin1Char('\\')) ? path : path + QLatin1Char('\\');
}

QString CanonicalDriveFolder(const QString& folder)
{
    const QString inner = TrimBackslashes(folder);
    return inner.isEmpty() ? QStringLiteral("\\") : QLatin1Char('\\') + inner + QLatin1Char('\\');
}

QString DriveNameInFolder(const QString& folder, const QString& relativeName)
{
    return CanonicalDriveFolder(folder) + TrimBackslashes(relativeName);
}

QString StoredDriveName(const QString& folder, const QString& relativeName)
{
    return TrimBackslashes(DriveNameInFolder(folder, relativeName));
}

QString DriveFolderPart(const QString& name)
{
    return name.left(LastSeparator(name) + 1);
}

QString DriveNamePart(const QString& name)
{
    return name.mid(LastSeparator(name) + 1);
}
