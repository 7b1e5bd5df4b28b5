#pragma once

#include <QString>
#include <sys/types.h>

// The system calls that give a written file its bytes, its name and its
// place on the disk, behind one seam so that a test can fail the nth call
// of a kind. Each returns what the system call returns, errno set on a
// failure.
enum class TFileCall { Write, Sync, Link, Rename, UnnamedOpen };

namespace filecalls {

ssize_t Pwrite(int fd, const void* data, std::size_t length, off_t offset);
int Fsync(int fd);
int Fdatasync(int fd);
// Gives the open unnamed (or named) file fd the name path.
int LinkOpenFile(int fd, const char* path);
int Rename(const char* from, const char* to);
// An unnamed file in folder (O_TMPFILE), for reading and writing.
int OpenUnnamed(const char* folder, mode_t mode);
// Syncs the folder itself, so that names made or changed in it reach the
// disk: 0, or the errno of the failure.
int SyncFolder(const QString& folder);

}  // namespace filecalls

// Tests: the nth call of that kind from now on (1 = the next) fails with
// error; 0 turns the fault off.
void FailFileCall(TFileCall call, int nth, int error);
// Tests: every call of that kind fails with error until reset (a file
// system without unnamed files: UnnamedOpen, EOPNOTSUPP).
void FailEveryFileCall(TFileCall call, int error);
// Turns every fault off; ResetProcessState does it.
void ResetFileCallFaults();
