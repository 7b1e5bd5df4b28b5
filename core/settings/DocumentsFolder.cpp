#include "core/settings/DocumentsFolder.h"

#include <QDir>
#include <QStandardPaths>

namespace {

QString& DocumentsFolderOverride()
{
    static QString folder;
    return folder;
}

} // namespace

QString GetDocumentsFolder()
{
    QString folder = DocumentsFolderOverride();
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty())
        folder = QDir::homePath();
    QDir().mkpath(folder);
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

void SetDocumentsFolderOverride(const QString& folder)
{
    DocumentsFolderOverride() = folder;
}
