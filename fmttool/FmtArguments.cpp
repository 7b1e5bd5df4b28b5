#include "fmttool/FmtArguments.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr std::size_t kMaxDevicePath = 18;
constexpr const char* kSgPrefix = "/dev/sg";

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

}  // namespace

TFmtArguments ParseFmtArguments(const std::vector<std::string>& args)
{
    TFmtArguments parsed;
    if (args.empty())
        return parsed;
    const std::string first = Upper(args[0]);
    if (args.size() == 1 && first == "/R")
        parsed.mode = TFmtArguments::Mode::ReadBack;
    else if (args.size() == 1 && first == "/M")
        parsed.mode = TFmtArguments::Mode::Multiple;
    else if (args.size() == 2 && first == "/I") {
        parsed.mode = TFmtArguments::Mode::Device;
        parsed.devicePath = args[1];
    }
    return parsed;
}

std::optional<std::string> SgNodeDigits(const std::string& path)
{
    const std::string prefix = kSgPrefix;
    if (path.size() > kMaxDevicePath || path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0)
        return std::nullopt;
    const std::string digits = path.substr(prefix.size());
    if (!std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); }))
        return std::nullopt;
    return digits;
}

std::string FmtImageName(const std::optional<std::string>& digits)
{
    return "Q3MSD" + digits.value_or("") + ".img";
}

std::string FmtDumpName(const std::string& imageName)
{
    const std::size_t dot = imageName.rfind('.');
    return imageName.substr(0, dot) + "_Dump.img";
}
