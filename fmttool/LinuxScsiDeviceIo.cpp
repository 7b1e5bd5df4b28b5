#include "fmttool/LinuxScsiDeviceIo.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

namespace passthrough {

namespace {

bool IsSgNodeName(const std::string& name)
{
    return name.size() > 2 && name.size() < 12 && name.starts_with("sg") &&
           std::all_of(name.begin() + 2, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::vector<std::string> SgNodeNames(const std::vector<std::string>& names)
{
    std::vector<std::string> nodes;
    std::copy_if(names.begin(), names.end(), std::back_inserter(nodes), IsSgNodeName);
    std::sort(nodes.begin(), nodes.end(), [](const std::string& a, const std::string& b) {
        return std::stoull(a.substr(2)) < std::stoull(b.substr(2));
    });
    return nodes;
}

std::vector<std::string> TLinuxScsiDeviceIo::DevicePaths()
{
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it("/dev", error), end; !error && it != end; it.increment(error))
        names.push_back(it->path().filename().string());
    std::vector<std::string> paths;
    for (const std::string& name : SgNodeNames(names))
        paths.push_back("/dev/" + name);
    return paths;
}

int TLinuxScsiDeviceIo::Open(const std::string& path)
{
    // Non-blocking only for the open: a node held exclusively by another
    // program fails with EBUSY instead of waiting; SG_IO blocks regardless.
    const int handle = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    return handle >= 0 ? handle : -errno;
}

void TLinuxScsiDeviceIo::Close(int handle)
{
    ::close(handle);
}

int TLinuxScsiDeviceIo::SgIo(int handle, sg_io_hdr& header)
{
    return ::ioctl(handle, SG_IO, &header) == 0 ? 0 : errno;
}

}  // namespace passthrough
