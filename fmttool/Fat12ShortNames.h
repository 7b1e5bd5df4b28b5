#pragma once

#include <filesystem>
#include <map>
#include <set>
#include <string>

// The 8.3 name for longName (UTF-8) that is not in taken: upper case, "_"
// for a character a short name cannot hold, spaces and all dots but the
// last dropped, and "~N" when that lost anything or the name is taken.
std::string Fat12MakeShortName(const std::string& longName, const std::set<std::string>& taken);

// The short names of the entries of PC folders, made once per folder (every
// entry in name order on the first ask) and used for everything below it.
class TFat12ShortNames {
public:
    std::string ShortName(const std::filesystem::path& folder, const std::string& name);
    void Clear() { m_folders.clear(); }

private:
    struct TFolder {
        std::map<std::string, std::string> shortOf;
        std::set<std::string> taken;
    };
    static void Assign(TFolder& folder, const std::string& name);

    std::map<std::string, TFolder> m_folders;
};
