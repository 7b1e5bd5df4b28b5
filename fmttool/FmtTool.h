#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "fmttool/FmtConsole.h"
#include "fmttool/FmtLauncher.h"

// What a run reaches beyond the device functions and the console.
struct TFmtToolSystem {
    // Holds "ImageFiles"; the image, the read-back file and the logs of /M
    // lie here, beside it.
    std::filesystem::path workFolder = ".";
    std::string mountTable = "/proc/self/mounts";
    std::filesystem::path sysRoot = "/sys";
    // Starts the copies of /M; null for copies of the running program.
    TFmtLauncher* launcher = nullptr;
};

inline constexpr int kFmtExitOk = 0;
inline constexpr int kFmtExitFailed = 1;

// The tool's main routine: prepares a recorder's flash over the device
// functions (passthrough) and talks through console. args are the command
// line without the program name. kFmtExitOk when the image was loaded and
// verified (or the user chose not to go on), kFmtExitFailed otherwise.
int FmtToolMain(const std::vector<std::string>& args, TFmtConsole& console, const TFmtToolSystem& system = {});
