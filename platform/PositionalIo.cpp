#include "platform/PositionalIo.h"

#include <cerrno>
#include <unistd.h>

std::size_t ReadFullyAt(int fd, void* buffer, std::size_t length, std::uint64_t offset)
{
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::pread(fd, out + done, length - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            errno = 0;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

bool WriteFullyAt(int fd, const void* data, std::size_t length, std::uint64_t offset)
{
    const auto* in = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::pwrite(fd, in + done, length - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            errno = ENOSPC;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}
