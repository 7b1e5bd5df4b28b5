#include "massstorage/MailboxCandidates.h"

#include <sstream>

namespace {

bool IsFatType(const std::string& type)
{
    return type == "vfat" || type == "msdos";
}

std::string JoinMailbox(const std::string& mountPoint)
{
    if (!mountPoint.empty() && mountPoint.back() == '/')
        return mountPoint + kMailboxFileName;
    return mountPoint + "/" + kMailboxFileName;
}

}  // namespace

std::string UnescapeMountField(std::string_view field)
{
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const char a = field[i + 1], b = field[i + 2], c = field[i + 3];
            if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && c >= '0' && c <= '7') {
                out += static_cast<char>((a - '0') * 64 + (b - '0') * 8 + (c - '0'));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

std::vector<std::string> FatMountPoints(std::string_view mountTable)
{
    std::vector<std::string> points;
    std::istringstream lines{std::string(mountTable)};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string source, point, type;
        if (!(fields >> source >> point >> type))
            continue;
        if (IsFatType(type))
            points.push_back(UnescapeMountField(point));
    }
    return points;
}

std::vector<std::string> MailboxCandidatePaths(const char* variable, std::string_view mountTable)
{
    std::vector<std::string> paths;
    if (variable && *variable) {
        std::string_view rest(variable);
        while (!rest.empty()) {
            const auto colon = rest.find(':');
            const auto entry = rest.substr(0, colon);
            if (!entry.empty())
                paths.emplace_back(entry);
            if (colon == std::string_view::npos)
                break;
            rest.remove_prefix(colon + 1);
        }
        return paths;
    }
    for (const auto& point : FatMountPoints(mountTable))
        paths.push_back(JoinMailbox(point));
    return paths;
}
