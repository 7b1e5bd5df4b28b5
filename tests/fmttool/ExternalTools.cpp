#include "tests/fmttool/ExternalTools.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

std::string FindTool(const std::string& name)
{
    std::string folders = std::getenv("PATH") ? std::getenv("PATH") : "";
    folders += ":/usr/sbin:/sbin";
    std::istringstream list(folders);
    for (std::string folder; std::getline(list, folder, ':');)
        if (!folder.empty() && access((fs::path(folder) / name).c_str(), X_OK) == 0)
            return (fs::path(folder) / name).string();
    return {};
}

ToolRun RunTool(const std::string& command)
{
    ToolRun run;
    const std::string line = "MTOOLS_SKIP_CHECK=1 LC_ALL=C.UTF-8 " + command + " 2>&1";
    std::FILE* pipe = popen(line.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        run.output.append(buffer, got);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string Quoted(const std::string& text)
{
    return "'" + text + "'";
}

std::vector<std::string> FsckComplaints(const std::string& fsck, const std::string& image)
{
    const ToolRun run = RunTool(fsck + " -n " + Quoted(image));
    std::vector<std::string> complaints;
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line.rfind("fsck.fat ", 0) == 0 || line == "Label '' stored in boot sector is not valid." ||
            line == "  Auto-removing label from boot sector." || line == "Leaving filesystem unchanged." ||
            line.rfind(image + ": ", 0) == 0)
            continue;
        complaints.push_back(line);
    }
    if (run.status != 0 && run.status != 1)
        complaints.push_back("exit status " + std::to_string(run.status));
    return complaints;
}
