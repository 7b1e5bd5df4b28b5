#pragma once

#include <QAbstractFileIconProvider>
#include <QHash>
#include <QIcon>
#include <QMimeDatabase>
#include <QMutex>
#include <QString>

// The icons and type names of the explorer's files, by their file-name
// suffix. The file-system model asks for every file it adds, on the GUI
// thread, in batches of thousands: a mime-database look-up per file (and a
// read of the file when its name is not enough) held a large folder's
// opening for half a second. Here a suffix costs one look-up by name only;
// folders, the root and other entries keep the standard answers. Where the
// icon theme has no icon (or there is no theme), files and folders take the
// style's standard file and folder icons.
class TExplorerIconProvider : public QAbstractFileIconProvider {
public:
    // Made on the GUI thread: the style's icons are taken here.
    TExplorerIconProvider();

    using QAbstractFileIconProvider::icon;
    QIcon icon(const QFileInfo& info) const override;
    QString type(const QFileInfo& info) const override;

private:
    struct TKind {
        QIcon icon;
        QString type;
    };
    // The kind of a plain file, from its suffix (its name when it has none).
    TKind FileKind(const QFileInfo& info) const;

    QMimeDatabase m_mimes;
    mutable QMutex m_mutex;  // the model may ask from another thread
    mutable QHash<QString, TKind> m_kinds;
    mutable QString m_lastKey;
    mutable TKind m_lastKind;
    QIcon m_fileIcon;  // a file of no known kind
    QIcon m_folderIcon;
};
