#include "fmttool/Fat12ShortNames.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <system_error>
#include <vector>

namespace {

// The short-name form of part of a long name; lossy when a character was
// dropped or replaced (a change of case is not a loss).
std::string Mapped(const std::string& part, bool& lossy)
{
    std::string out;
    for (std::size_t i = 0; i < part.size(); ++i) {
        const auto c = static_cast<unsigned char>(part[i]);
        if (c == ' ' || c == '.') {
            lossy = true;
        } else if (c >= 0x80) {
            // One "_" for a whole UTF-8 sequence.
            while (i + 1 < part.size() && (static_cast<unsigned char>(part[i + 1]) & 0xC0) == 0x80)
                ++i;
            out += '_';
            lossy = true;
        } else if (std::isalnum(c) || std::strchr("!#$%&'()-@^_`{}~", c)) {
            out += static_cast<char>(std::toupper(c));
        } else {
            out += '_';
            lossy = true;
        }
    }
    return out;
}

}  // namespace

std::string Fat12MakeShortName(const std::string& longName, const std::set<std::string>& taken)
{
    const std::size_t dot = longName.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > 0;
    bool lossy = false;
    std::string base = Mapped(hasExtension ? longName.substr(0, dot) : longName, lossy);
    std::string extension = hasExtension ? Mapped(longName.substr(dot + 1), lossy) : std::string();
    if (base.empty()) {
        base = "_";
        lossy = true;
    }
    if (base.size() > 8 || extension.size() > 3)
        lossy = true;
    extension = extension.substr(0, 3);
    const std::string suffix = extension.empty() ? std::string() : "." + extension;

    if (!lossy && !taken.count(base + suffix))
        return base + suffix;
    for (unsigned n = 1;; ++n) {
        const std::string tail = "~" + std::to_string(n);
        const std::string candidate = base.substr(0, 8 - tail.size()) + tail + suffix;
        if (!taken.count(candidate))
            return candidate;
    }
}

std::string TFat12ShortNames::ShortName(const std::filesystem::path& folder, const std::string& name)
{
    std::string key = folder.lexically_normal().string();
    while (key.size() > 1 && key.back() == '/')
        key.pop_back();
    auto [at, added] = m_folders.try_emplace(key);
    TFolder& entries = at->second;
    if (added) {
        std::vector<std::string> names;
        std::error_code error;
        for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
            names.push_back(it->path().filename().string());
        std::sort(names.begin(), names.end());
        for (const std::string& each : names)
            Assign(entries, each);
    }
    // A name that came into the folder after it was listed.
    if (!entries.shortOf.count(name))
        Assign(entries, name);
    return entries.shortOf[name];
}

void TFat12ShortNames::Assign(TFolder& folder, const std::string& name)
{
    const std::string shortName = Fat12MakeShortName(name, folder.taken);
    folder.taken.insert(shortName);
    folder.shortOf[name] = shortName;
}
