#pragma once

#include <QString>
#include <stdexcept>
#include <sys/types.h>

// A trash folder in the freedesktop.org layout: the
// items in files/, one info file each in info/. The paths the info files
// hold are relative to RelativeTo (a top-folder trash), or absolute when it
// is empty (the home trash).
struct TTrashFolder {
    QString Folder;
    QString RelativeTo;
};

// No trash can be made for an item, or an item could not be moved into one.
class ETrashError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The user's trash. An item on the file system of the home trash
// ($XDG_DATA_HOME/Trash, else ~/.local/share/Trash) goes there; one on
// another goes to that file system's top-folder trash ($top/.Trash/$uid when
// an administrator made $top/.Trash, sticky and not a link, else
// $top/.Trash-$uid). Nothing is ever copied between file systems: where no
// trash can be made on the item's own, it stays where it is.
class TTrash {
public:
    // The home trash and the user as the environment has them.
    TTrash();
    // dataHome: the folder the home trash "Trash" is (or is made) in.
    TTrash(QString dataHome, uid_t uid);

    QString HomeTrashPath() const { return m_dataHome + QStringLiteral("/Trash"); }
    // The trash folder of an item, with its files/ and info/ made where
    // missing; throws ETrashError naming the item and the reason when no
    // trash can be made for it.
    TTrashFolder FolderFor(const QString& path) const;
    // The top-folder trash of the file system whose top folder is top, made
    // where missing; throws ETrashError when neither kind can be used.
    TTrashFolder TopFolderTrash(const QString& top) const;
    // Writes the item's info file under a name free in both folders, then
    // moves the item; returns its path in the trash. Throws ETrashError with
    // the system's reason when it cannot, and leaves no info file then.
    QString Move(const QString& path, const TTrashFolder& trash) const;

private:
    QString m_dataHome;
    uid_t m_uid;
};
