#pragma once

#include <QByteArray>

// The hidden names of staged files (".<name>.XXXXXX.part" beside the final
// file) and the clearing of those a killed program left.

// The hidden name for finalName with a fresh random XXXXXX, in folder.
QByteArray StagedTemporaryPath(const QByteArray& folder, const QByteArray& finalName);

// Whether name (without folder) has the form of a staged file's hidden name.
bool IsStagedTemporaryName(const QByteArray& name);

// Removes from folder every regular file of a staged file's hidden name that
// no program holds: its writer keeps it locked (flock) for as long as it may
// still get its name. Best effort: what cannot be read or removed stays.
void RemoveStagedLeftovers(const QByteArray& folder);

// Locks fd, the file of the hidden name path, for its writer. False when it
// lost that name before the lock was taken (a leftover clearing took it for
// one); errno set on other failures, which also answer false.
bool LockStagedFile(int fd, const QByteArray& path, bool& lostName);
