#pragma once

#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

// Makes a file one this thread may read but not open for writing, also when
// the tests run as root: the file becomes read-only, its folder readable by
// all, and root's file-system identity on this thread becomes an unprivileged
// user for the scope (which drops root's right to override permissions).
// folders: the file's folder and those above it up to the temporary home.
class WriteDeniedScope {
public:
    static constexpr uid_t kUnprivileged = 65534;

    WriteDeniedScope(const std::string& file, const std::string& home) : m_file(file)
    {
        ::chmod(m_file.c_str(), 0444);
        std::filesystem::path top = std::filesystem::path(home).lexically_normal();
        if (!top.has_filename())
            top = top.parent_path();
        for (std::filesystem::path folder = std::filesystem::path(file).parent_path();
             !folder.empty() && folder.string().size() >= top.string().size(); folder = folder.parent_path()) {
            ::chmod(folder.c_str(), 0755);
            if (folder == folder.parent_path())
                break;
        }
        if (::geteuid() == 0) {
            ::setfsuid(kUnprivileged);
            m_root = true;
        }
    }
    ~WriteDeniedScope()
    {
        if (m_root)
            ::setfsuid(0);
        ::chmod(m_file.c_str(), 0644);
    }
    WriteDeniedScope(const WriteDeniedScope&) = delete;
    WriteDeniedScope& operator=(const WriteDeniedScope&) = delete;

private:
    std::string m_file;
    bool m_root = false;
};
