#include "core/settings/StagedLeftovers.h"

#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kSuffix[] = ".part";
constexpr int kRandomLength = 6;
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

bool IsRandomChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The leftover name in dir: removed when no program holds its lock and the
// name still leads to the file locked.
void RemoveIfUnheld(int dir, const char* name)
{
    const int fd = ::openat(dir, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return;
    struct stat held {};
    struct stat named {};
    if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        ::fstatat(dir, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(held, named))
        ::unlinkat(dir, name, 0);
    ::close(fd);
}

}  // namespace

QByteArray StagedTemporaryPath(const QByteArray& folder, const QByteArray& finalName)
{
    QByteArray random(kRandomLength, 'X');
    for (char& c : random)
        c = kAlphabet[QRandomGenerator::global()->bounded(static_cast<int>(sizeof(kAlphabet) - 1))];
    return folder + "/." + finalName + '.' + random + kSuffix;
}

bool IsStagedTemporaryName(const QByteArray& name)
{
    constexpr qsizetype suffix = sizeof(kSuffix) - 1;
    // "." + at least one character + "." + XXXXXX + ".part"
    if (name.size() < 3 + kRandomLength + suffix || !name.startsWith('.') || !name.endsWith(kSuffix))
        return false;
    const qsizetype random = name.size() - suffix - kRandomLength;
    if (name[random - 1] != '.')
        return false;
    for (qsizetype i = random; i < random + kRandomLength; ++i) {
        if (!IsRandomChar(name[i]))
            return false;
    }
    return true;
}

void RemoveStagedLeftovers(const QByteArray& folder)
{
    DIR* dir = ::opendir(folder.constData());
    if (dir == nullptr)
        return;
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        // Most names of a big folder end here, at no cost.
        if (entry->d_name[0] != '.' || (entry->d_type != DT_REG && entry->d_type != DT_UNKNOWN))
            continue;
        if (IsStagedTemporaryName(
                QByteArray::fromRawData(entry->d_name, static_cast<qsizetype>(std::strlen(entry->d_name)))))
            RemoveIfUnheld(dirFd, entry->d_name);
    }
    ::closedir(dir);
}

bool LockStagedFile(int fd, const QByteArray& path, bool& lostName)
{
    lostName = false;
    int result = 0;
    do {
        result = ::flock(fd, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    if (result != 0)
        return false;
    // A clearing that took the lock first may have removed the name.
    struct stat held {};
    struct stat named {};
    if (::fstat(fd, &held) != 0)
        return false;
    if (::lstat(path.constData(), &named) != 0 || !SameFile(held, named)) {
        lostName = true;
        return false;
    }
    return true;
}
