#include "massstorage/LinuxMailboxFileIo.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "massstorage/MailboxCandidates.h"

namespace {

std::string SysfsBlockPath(unsigned major, unsigned minor)
{
    return "/sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor);
}

std::uint32_t ReadSectorFile(const std::string& path)
{
    std::ifstream in(path);
    unsigned long value = 0;
    if (!(in >> value) || value > 0xFFFFFFFFul)
        return 0;
    return static_cast<std::uint32_t>(value);
}

std::uint32_t IoctlSectorSize(unsigned major, unsigned minor)
{
    const std::string node = "/dev/block/" + std::to_string(major) + ":" + std::to_string(minor);
    const int fd = ::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return 0;
    int size = 0;
    const bool ok = ::ioctl(fd, BLKSSZGET, &size) == 0 && size > 0;
    ::close(fd);
    return ok ? static_cast<std::uint32_t>(size) : 0;
}

}  // namespace

std::uint32_t SysfsLogicalSectorSize(unsigned major, unsigned minor)
{
    const std::string base = SysfsBlockPath(major, minor);
    if (const auto size = ReadSectorFile(base + "/queue/logical_block_size"))
        return size;
    // A partition has no queue of its own; the kernel resolves the link
    // before "..", which leads to the whole disk.
    return ReadSectorFile(base + "/../queue/logical_block_size");
}

std::vector<std::string> TLinuxMailboxFileIo::CandidatePaths()
{
    const char* named = std::getenv(kMailboxPathsVariable);
    std::stringstream table;
    if (!named || !*named) {
        std::ifstream in("/proc/self/mounts");
        table << in.rdbuf();
    }
    return MailboxCandidatePaths(named, table.str());
}

int TLinuxMailboxFileIo::Open(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_DIRECT | O_DSYNC | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void TLinuxMailboxFileIo::Close(int handle)
{
    if (handle >= 0)
        ::close(handle);  // also drops the flock
}

std::uint32_t TLinuxMailboxFileIo::SectorSize(int handle)
{
    struct stat st {};
    if (::fstat(handle, &st) != 0 || ::major(st.st_dev) == 0)
        return 0;
    const unsigned major = ::major(st.st_dev), minor = ::minor(st.st_dev);
    if (const auto size = SysfsLogicalSectorSize(major, minor))
        return size;
    return IoctlSectorSize(major, minor);
}

bool TLinuxMailboxFileIo::IsAlive(int handle, const std::string& path)
{
    // fstat alone still succeeds on the cached inode after an unplug: the
    // block device must still be in sysfs and the path must still lead to
    // the same file (it does not once the disk is unmounted).
    struct stat open {
    }, named{};
    if (::fstat(handle, &open) != 0 || ::stat(path.c_str(), &named) != 0)
        return false;
    if (open.st_dev != named.st_dev || open.st_ino != named.st_ino)
        return false;
    if (::major(open.st_dev) == 0)
        return true;
    return ::access(SysfsBlockPath(::major(open.st_dev), ::minor(open.st_dev)).c_str(), F_OK) == 0;
}

std::int64_t TLinuxMailboxFileIo::ReadAt(int handle, void* buffer, std::size_t length, std::uint64_t offset)
{
    ssize_t done;
    do
        done = ::pread(handle, buffer, length, static_cast<off_t>(offset));
    while (done < 0 && errno == EINTR);
    return done;
}

std::int64_t TLinuxMailboxFileIo::WriteAt(int handle, const void* data, std::size_t length, std::uint64_t offset)
{
    ssize_t done;
    do
        done = ::pwrite(handle, data, length, static_cast<off_t>(offset));
    while (done < 0 && errno == EINTR);
    return done;
}
