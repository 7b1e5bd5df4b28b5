#include "core/settings/AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include "core/settings/FileCalls.h"

namespace {

bool WriteAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    off_t offset = 0;
    while (left > 0) {
        const ssize_t written = filecalls::Pwrite(fd, data, static_cast<std::size_t>(left), offset);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = ENOSPC;
            return false;
        }
        data += written;
        offset += written;
        left -= written;
    }
    return true;
}

// The umask as the kernel reports it ("Umask:" in /proc/self/status, since
// Linux 4.7); none when it does not.
std::optional<mode_t> UmaskFromProc()
{
    std::FILE* status = std::fopen("/proc/self/status", "re");
    if (status == nullptr)
        return std::nullopt;
    std::optional<mode_t> mask;
    char line[256];
    while (!mask && std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, "Umask:", 6) == 0)
            mask = static_cast<mode_t>(std::strtoul(line + 6, nullptr, 8));
    }
    std::fclose(status);
    return mask;
}

// Where /proc does not tell: the umask the program started with, read
// before main, while no other thread can make a file.
const mode_t StartUmask = [] {
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}();

}  // namespace

bool WriteFileAtomically(const QString& path, const QByteArray& bytes)
{
    const QByteArray target = QFile::encodeName(path);
    QByteArray temporary = target + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, bytes) && ::fchmod(fd, ReplacementFileMode(target)) == 0 && filecalls::Fsync(fd) == 0;
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok && errno != EINTR)
        ok = false, error = errno;
    if (ok && filecalls::Rename(temporary.constData(), target.constData()) != 0)
        ok = false, error = errno;
    if (!ok) {
        ::unlink(temporary.constData());
        errno = error;
        return false;
    }
    // The new name reaches the disk with the folder; until then a crash may
    // bring the old file back.
    if (const int folderError = filecalls::SyncFolder(QFileInfo(path).absolutePath())) {
        errno = folderError;
        return false;
    }
    return true;
}

mode_t ReplacementFileMode(const QByteArray& target)
{
    struct stat existing {};
    if (::stat(target.constData(), &existing) == 0)
        return existing.st_mode & 07777;
    // Never set to read it: the umask is the process's, and another thread
    // may be making a file meanwhile.
    return 0666 & ~UmaskFromProc().value_or(StartUmask);
}
