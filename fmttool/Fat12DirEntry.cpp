#include "fmttool/Fat12DirEntry.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsShortNameChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           (c != '\0' && std::strchr("!#$%&'()-@^_`{}~", c));
}

std::string TrimmedField(const TFat12RawEntry& entry, std::size_t from, std::size_t length)
{
    std::string field(entry.begin() + from, entry.begin() + from + length);
    field.erase(field.find_last_not_of(' ') + 1);
    return field;
}

void Put16(TFat12RawEntry& e, std::size_t at, std::uint16_t value)
{
    e[at] = static_cast<std::uint8_t>(value);
    e[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

// The time clamped to what the date field can hold.
SYSTEMTIME Clamped(const SYSTEMTIME& time)
{
    if (time.wYear < 1980)
        return SYSTEMTIME{.wYear = 1980, .wMonth = 1, .wDay = 1};
    if (time.wYear > 2107)
        return SYSTEMTIME{.wYear = 2107, .wMonth = 12, .wDay = 31, .wHour = 23, .wMinute = 59, .wSecond = 58};
    return time;
}

}  // namespace

std::string Fat12EntryName(const TFat12RawEntry& entry)
{
    if (entry[0] == kFat12EntryDeleted)
        return {};
    std::string name = TrimmedField(entry, 0, 8);
    const std::string extension = TrimmedField(entry, 8, 3);
    if (!extension.empty())
        name += '.' + extension;
    return name;
}

std::optional<TFat12ShortName> Fat12SplitShortName(const std::string& name)
{
    const std::size_t dot = name.find('.');
    if (dot != std::string::npos && name.find('.', dot + 1) != std::string::npos)
        return std::nullopt;
    const std::string base = name.substr(0, dot);
    const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot + 1);
    if (base.empty() || base.size() > 8 || extension.size() > 3 || (dot != std::string::npos && extension.empty()))
        return std::nullopt;
    if (!std::all_of(base.begin(), base.end(), IsShortNameChar) ||
        !std::all_of(extension.begin(), extension.end(), IsShortNameChar))
        return std::nullopt;
    TFat12ShortName out;
    out.fill(' ');
    std::copy(base.begin(), base.end(), out.begin());
    std::copy(extension.begin(), extension.end(), out.begin() + 8);
    return out;
}

std::uint16_t Fat12PackTime(const SYSTEMTIME& time)
{
    const SYSTEMTIME t = Clamped(time);
    return static_cast<std::uint16_t>(t.wHour * 2048 + t.wMinute * 32 + t.wSecond / 2);
}

std::uint16_t Fat12PackDate(const SYSTEMTIME& time)
{
    const SYSTEMTIME t = Clamped(time);
    return static_cast<std::uint16_t>((t.wYear - 1980) * 512 + t.wMonth * 32 + t.wDay);
}

TFat12RawEntry Fat12MakeEntry(const TFat12ShortName& name, std::uint8_t attribute, const SYSTEMTIME& time,
                              std::uint16_t firstCluster)
{
    TFat12RawEntry entry{};
    std::copy(name.begin(), name.end(), entry.begin());
    entry[11] = attribute;
    Put16(entry, 22, Fat12PackTime(time));
    Put16(entry, 24, Fat12PackDate(time));
    Fat12SetEntryCluster(entry, firstCluster);
    return entry;
}

void Fat12SetEntryCluster(TFat12RawEntry& e, std::uint16_t cluster)
{
    Put16(e, 26, cluster);
}

void Fat12SetEntrySize(TFat12RawEntry& e, std::uint32_t size)
{
    Put16(e, 28, static_cast<std::uint16_t>(size));
    Put16(e, 30, static_cast<std::uint16_t>(size >> 16));
}
