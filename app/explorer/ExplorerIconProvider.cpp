#include "app/explorer/ExplorerIconProvider.h"

#include <QApplication>
#include <QFileInfo>
#include <QMimeType>
#include <QMutexLocker>
#include <QStyle>

namespace {

bool IsPlainFile(const QFileInfo& info)
{
    return info.isFile() && !info.isRoot();
}

// The theme's icon, else the style's.
QIcon ThemeOrStyle(const QIcon& theme, QStyle::StandardPixmap standard)
{
    return theme.isNull() ? QApplication::style()->standardIcon(standard) : theme;
}

}  // namespace

TExplorerIconProvider::TExplorerIconProvider()
    : m_fileIcon(ThemeOrStyle(icon(File), QStyle::SP_FileIcon)),
      m_folderIcon(ThemeOrStyle(icon(Folder), QStyle::SP_DirIcon))
{
}

QIcon TExplorerIconProvider::icon(const QFileInfo& info) const
{
    if (IsPlainFile(info))
        return FileKind(info).icon;
    if (info.isDir() && !info.isRoot())
        return m_folderIcon;
    const QIcon standard = QAbstractFileIconProvider::icon(info);
    if (!standard.isNull())
        return standard;
    return info.isDir() ? m_folderIcon : m_fileIcon;
}

QString TExplorerIconProvider::type(const QFileInfo& info) const
{
    return IsPlainFile(info) ? FileKind(info).type : QAbstractFileIconProvider::type(info);
}

TExplorerIconProvider::TKind TExplorerIconProvider::FileKind(const QFileInfo& info) const
{
    // A suffix stands for every file with it; a name without one is looked
    // up itself (Makefile, README), under a key no suffix can take.
    const QString suffix = info.suffix();
    const QString key = suffix.isEmpty() ? QLatin1Char('/') + info.fileName() : suffix;
    const QMutexLocker lock(&m_mutex);
    // A folder's files mostly share a suffix: the last one answers first.
    if (m_lastKey != key) {
        auto known = m_kinds.constFind(key);
        if (known == m_kinds.cend()) {
            const QString name = suffix.isEmpty() ? info.fileName() : QStringLiteral("x.") + suffix;
            const QMimeType mime = m_mimes.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
            QIcon fileIcon = QIcon::fromTheme(mime.iconName());
            if (fileIcon.isNull())
                fileIcon = m_fileIcon;
            known = m_kinds.insert(key, {fileIcon, mime.comment().isEmpty() ? mime.name() : mime.comment()});
        }
        m_lastKey = key;
        m_lastKind = known.value();
    }
    return m_lastKind;
}
