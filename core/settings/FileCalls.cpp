#include "core/settings/FileCalls.h"

#include <QFile>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

struct TFault {
    std::atomic<int> Countdown{0};
    std::atomic<int> Error{0};
    std::atomic<bool> Every{false};
};

std::array<TFault, 5> Faults;

TFault& FaultOf(TFileCall call)
{
    return Faults[static_cast<std::size_t>(call)];
}

// True (errno set) when the injected fault takes this call.
bool Faulted(TFileCall call)
{
    TFault& fault = FaultOf(call);
    if (fault.Every.load()) {
        errno = fault.Error.load();
        return true;
    }
    int left = fault.Countdown.load();
    while (left > 0 && !fault.Countdown.compare_exchange_weak(left, left - 1)) {
    }
    if (left != 1)
        return false;
    errno = fault.Error.load();
    return true;
}

}  // namespace

namespace filecalls {

ssize_t Pwrite(int fd, const void* data, std::size_t length, off_t offset)
{
    return Faulted(TFileCall::Write) ? -1 : ::pwrite(fd, data, length, offset);
}

int Fsync(int fd)
{
    return Faulted(TFileCall::Sync) ? -1 : ::fsync(fd);
}

int Fdatasync(int fd)
{
    return Faulted(TFileCall::Sync) ? -1 : ::fdatasync(fd);
}

int LinkOpenFile(int fd, const char* path)
{
    if (Faulted(TFileCall::Link))
        return -1;
    // AT_EMPTY_PATH needs a privilege; the /proc link of the descriptor not.
    char self[32];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
    if (::linkat(AT_FDCWD, self, AT_FDCWD, path, AT_SYMLINK_FOLLOW) == 0)
        return 0;
    if (errno != ENOENT || ::access("/proc/self/fd", F_OK) == 0)
        return -1;
    return ::linkat(fd, "", AT_FDCWD, path, AT_EMPTY_PATH);
}

int Rename(const char* from, const char* to)
{
    return Faulted(TFileCall::Rename) ? -1 : ::rename(from, to);
}

int OpenUnnamed(const char* folder, mode_t mode)
{
    return Faulted(TFileCall::UnnamedOpen) ? -1 : ::open(folder, O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
}

int SyncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int error = Fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return error;
}

}  // namespace filecalls

void FailFileCall(TFileCall call, int nth, int error)
{
    TFault& fault = FaultOf(call);
    fault.Every.store(false);
    fault.Error.store(error);
    fault.Countdown.store(nth > 0 ? nth : 0);
}

void FailEveryFileCall(TFileCall call, int error)
{
    TFault& fault = FaultOf(call);
    fault.Countdown.store(0);
    fault.Error.store(error);
    fault.Every.store(true);
}

void ResetFileCallFaults()
{
    for (TFault& fault : Faults) {
        fault.Every.store(false);
        fault.Countdown.store(0);
        fault.Error.store(0);
    }
}
