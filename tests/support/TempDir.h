#pragma once

#include <QTemporaryDir>
#include <filesystem>
#include <string>

// A temporary folder for one test; removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    std::filesystem::path Path() const { return m_dir.path().toStdString(); }
    std::string File(const std::string& name) const { return (Path() / name).string(); }

private:
    QTemporaryDir m_dir;
};
