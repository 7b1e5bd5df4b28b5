#pragma once

#include <string>
#include <vector>

// Runs the tools that check our FAT12 images without having been written
// with them: dosfstools' fsck.fat and mtools.

// The tool's full path, from PATH or the system folders fsck.fat lives in; "" when missing.
std::string FindTool(const std::string& name);

struct ToolRun {
    int status = -1;
    std::string output;
};

// Runs a command line with mtools' strict geometry check off, UTF-8 names,
// standard error into the output.
ToolRun RunTool(const std::string& command);

std::string Quoted(const std::string& text);

// What fsck.fat prints beyond its banner, the blank label the boot sector
// carries, and its summary.
std::vector<std::string> FsckComplaints(const std::string& fsck, const std::string& image);
