#include "core/settings/ProgramFolder.h"

#include <QCoreApplication>

namespace {

QString g_override;

QString WithSlash(QString folder)
{
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

}  // namespace

QString GetProgramFolder()
{
    if (!g_override.isEmpty())
        return WithSlash(g_override);
    return WithSlash(QCoreApplication::applicationDirPath());
}

void SetProgramFolderOverride(const QString& folder)
{
    g_override = folder;
}
