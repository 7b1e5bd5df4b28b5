#pragma once

#include <QByteArray>
#include <QString>
#include <sys/types.h>

// Replaces the file at path with bytes in one step: a temporary file beside
// it, written in full and synced, then renamed over it. On any failure (a
// short write on a full disk included) the old file stays whole, the
// temporary file is removed and false is returned, errno telling why. An
// existing file keeps its permission bits. The folder is synced after the
// rename; a failure of that sync answers false too, with the new file in
// place.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes);

// The permission bits for a file that replaces target: those of the file
// there, else what a newly created file gets under the umask (read without
// changing it).
mode_t ReplacementFileMode(const QByteArray& target);
