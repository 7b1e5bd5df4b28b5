#pragma once

#include <optional>
#include <string>
#include <vector>

// What the command line asks for. /R and /M count only as the only
// argument, /I only with exactly one further argument; anything else is the
// default run, which asks before it writes.
struct TFmtArguments {
    enum class Mode { Prepare, ReadBack, Multiple, Device };

    Mode mode = Mode::Prepare;
    std::string devicePath;  // with Mode::Device

    bool Confirms() const { return mode != Mode::Device; }
};

TFmtArguments ParseFmtArguments(const std::vector<std::string>& args);

// The SCSI generic node of a recorder as /I accepts it: "/dev/sg" and its
// number, 18 characters at most. The digits, or nothing for another text.
std::optional<std::string> SgNodeDigits(const std::string& path);

// "Q3MSD.img", or with /I "Q3MSD<digits>.img"; it lies beside "ImageFiles".
std::string FmtImageName(const std::optional<std::string>& digits);
// The read-back file: the image name up to its last "." and "_Dump.img".
std::string FmtDumpName(const std::string& imageName);
