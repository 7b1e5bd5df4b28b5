#pragma once

#include <fstream>
#include <string>

// One "Vm...:" line of this process's status, in KiB (0 when absent).
inline long ProcessStatusKib(const char* key)
{
    const std::string prefix = std::string(key) + ':';
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(prefix, 0) == 0)
            return std::stol(line.substr(prefix.size()));
    return 0;
}

// The resident-size peak of this process since the last reset, in KiB.
inline long PeakRssKib()
{
    return ProcessStatusKib("VmHWM");
}

inline long RssKib()
{
    return ProcessStatusKib("VmRSS");
}

// Starts the resident-size peak again from the present size.
inline void ResetPeakRss()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}
