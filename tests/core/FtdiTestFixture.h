#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "core/links/ftdi/FtdiLink.h"
#include "core/protocol/DebugLog.h"
#include "tests/support/FakeFtdiLibrary.h"
#include "tests/support/SimRecorder.h"
#include "tests/support/SimRecorderFtdiDevice.h"
#include "tests/support/TempDir.h"

// The path of one of the fake D2XX libraries built for the tests.
inline std::string FakeFtd2xxPath(const std::string& file = "libftd2xx.so")
{
    return std::string(TRELLAVOX_FAKE_FTD2XX_DIR) + "/" + file;
}

// A clock that moves 10 ms each time the link looks at it, so stall
// time-outs pass in a few hundred loop turns instead of real seconds.
struct SteppingClock {
    static inline std::uint64_t now = 0;
    static std::uint64_t Now() { return now += 10; }
};

// The FTDI link over the fake library with a SimRecorder behind it, and the
// debug log written into a temporary folder.
class FtdiLinkFixture : public ::testing::Test {
protected:
    FtdiLinkFixture() : fake(FakeFtd2xxPath()), device(sim)
    {
        ResetFtdiLink();
        FtdiLinkState().LibraryNames = {fake.Path()};
        FtdiLinkState().NowMs = SteppingClock::Now;
        fake->Device = &device;
        ResetDebugLog();
        DebugLogState().FileName = temp.File("debug.log");
        DebugLogState().DebugLevel = 1;
    }
    ~FtdiLinkFixture() override
    {
        ResetFtdiLink();
        ResetDebugLog();
    }

    std::vector<std::string> LogLines() const
    {
        std::vector<std::string> lines;
        std::ifstream in(temp.File("debug.log"));
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines.push_back(line.size() > 10 ? line.substr(10) : line); // drop "mm:ss:zzz "
        }
        return lines;
    }
    std::size_t LogCount(const std::string& text) const
    {
        std::size_t count = 0;
        for (const std::string& line : LogLines())
            count += line == text;
        return count;
    }

    TempDir temp;
    SimRecorder sim;
    FakeFtdiLibrary fake;
    SimRecorderFtdiDevice device;
};
