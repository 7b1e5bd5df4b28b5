#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// The disk behind a SCSI generic node and its partitions, by kernel name
// (sdc, sdc1, ...), read from sysfs; empty when the node has no disk.
std::vector<std::string> SgDiskNames(const std::string& sgPath, const std::filesystem::path& sysRoot = "/sys");

// The mount points (escapes undone) whose source is one of the named block
// devices. A source that is a link (/dev/disk/by-uuid/...) counts by the
// device it leads to.
std::vector<std::string> MountPointsOf(const std::vector<std::string>& deviceNames, std::string_view mountTable);
