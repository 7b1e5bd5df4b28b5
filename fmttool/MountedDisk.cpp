#include "fmttool/MountedDisk.h"

#include <algorithm>
#include <sstream>
#include <system_error>

#include "massstorage/MailboxCandidates.h"

namespace fs = std::filesystem;

std::vector<std::string> SgDiskNames(const std::string& sgPath, const fs::path& sysRoot)
{
    std::vector<std::string> names;
    const std::string node = fs::path(sgPath).filename().string();
    std::error_code error;
    for (fs::directory_iterator it(sysRoot / "class" / "scsi_generic" / node / "device" / "block", error), end;
         !error && it != end; it.increment(error)) {
        const std::string disk = it->path().filename().string();
        names.push_back(disk);
        // A partition is a folder of the disk's that holds a "partition" file.
        std::error_code inner;
        for (fs::directory_iterator part(sysRoot / "class" / "block" / disk, inner), partEnd; !inner && part != partEnd;
             part.increment(inner))
            if (fs::exists(part->path() / "partition", inner))
                names.push_back(part->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> MountPointsOf(const std::vector<std::string>& deviceNames, std::string_view mountTable)
{
    std::vector<std::string> points;
    std::istringstream lines{std::string(mountTable)};
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string source, point;
        if (!(fields >> source >> point))
            continue;
        std::error_code error;
        fs::path device = fs::weakly_canonical(UnescapeMountField(source), error);
        if (error)
            device = UnescapeMountField(source);
        const std::string name = device.filename().string();
        if (device.parent_path() == "/dev" &&
            std::find(deviceNames.begin(), deviceNames.end(), name) != deviceNames.end())
            points.push_back(UnescapeMountField(point));
    }
    return points;
}
