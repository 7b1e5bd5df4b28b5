#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>

#include "fmttool/FmtLauncher.h"

extern char** environ;

TProcessLauncher::TProcessLauncher(std::string program) : m_program(std::move(program)) {}

bool TProcessLauncher::Start(const std::string& devicePath, const std::filesystem::path& log, std::string& error)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);

    std::string name = "ZEL4_FmtTool", option = "/I", path = devicePath;
    char* argv[] = {name.data(), option.data(), path.data(), nullptr};
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, m_program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        error = std::strerror(failed);
        return false;
    }
    m_started.push_back({pid, TCopy{devicePath, log, -1}});
    return true;
}

std::vector<TFmtLauncher::TCopy> TProcessLauncher::WaitAll()
{
    std::vector<TCopy> copies;
    for (auto& [pid, copy] : m_started) {
        int status = 0;
        pid_t waited;
        do
            waited = waitpid(pid, &status, 0);
        while (waited < 0 && errno == EINTR);
        if (waited == pid && WIFEXITED(status))
            copy.exitCode = WEXITSTATUS(status);
        copies.push_back(copy);
    }
    m_started.clear();
    return copies;
}
