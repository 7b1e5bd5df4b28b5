#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include "tests/support/TempDir.h"

// Writes a language file "Trellavox_<suffix>.lng" into a temporary folder
// and returns its path.
inline QString WriteLangFile(const TempDir& dir, const QString& suffix, const QByteArray& content)
{
    const QString path = QString::fromStdString(dir.File("Trellavox_" + suffix.toStdString() + ".lng"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
    return path;
}

inline QString ProgramFileIn(const TempDir& dir)
{
    return QString::fromStdString(dir.File("Trellavox"));
}
