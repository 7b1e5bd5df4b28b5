#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Starts the copies of the tool that /M runs, one per device, and waits for
// them.
class TFmtLauncher {
public:
    struct TCopy {
        std::string devicePath;
        std::filesystem::path log;
        int exitCode = -1;  // -1: ended by a signal, or could not be waited for
    };

    virtual ~TFmtLauncher() = default;
    // Starts "/I devicePath" with its output in log and no terminal; false
    // with the reason in error.
    virtual bool Start(const std::string& devicePath, const std::filesystem::path& log, std::string& error) = 0;
    // Waits for every copy started, in the order they were started.
    virtual std::vector<TCopy> WaitAll() = 0;
};

// Copies of a program file: by default the running one (/proc/self/exe).
// Each gets /dev/null as input and its log as output and error output.
class TProcessLauncher : public TFmtLauncher {
public:
    explicit TProcessLauncher(std::string program = "/proc/self/exe");

    bool Start(const std::string& devicePath, const std::filesystem::path& log, std::string& error) override;
    std::vector<TCopy> WaitAll() override;

private:
    std::string m_program;
    std::vector<std::pair<int, TCopy>> m_started;  // process id and copy
};
