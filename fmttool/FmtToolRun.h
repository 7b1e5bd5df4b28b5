#pragma once

#include <cstdarg>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "fmttool/CrtRandom.h"
#include "fmttool/Fat12Image.h"
#include "fmttool/FmtArguments.h"
#include "fmttool/FmtGeometry.h"
#include "fmttool/FmtTool.h"

// One run of the tool, split by its steps over a few files.
class TFmtToolRun {
public:
    TFmtToolRun(const TFmtArguments& args, TFmtConsole& console, const TFmtToolSystem& system);

    int Run();

    // Tries per block in the test and the load before a block counts as bad.
    static constexpr int kAttempts = 5;
    // Write or read errors per block in the test before the run ends: a
    // device that went away fails every command.
    static constexpr int kIoErrorLimit = 5;

private:
    // Steps of the run; false ends it as a failure (already reported).
    int RunMultiple();
    bool Connect(std::optional<std::string>& path);
    bool NotMounted(const std::string& path);
    bool BuildImage();
    bool TestBlocks(TFat12Image& image);
    bool TestBlock(std::uint32_t block, bool& good);
    void MarkBadClusters(TFat12Image& image, std::uint32_t block);
    bool AddFolder(TFat12Image& image);
    bool AddServiceFile(TFat12Image& image);
    bool FillBadBlocks();
    bool Load();
    bool ReadBack();

    int End(int code);
    void Print(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void PrintLastError();
    void PrintSystemError(int error);

    TFmtArguments m_args;
    TFmtConsole& m_console;
    TFmtToolSystem m_system;
    std::filesystem::path m_imageFiles;
    std::filesystem::path m_image;
    TFmtGeometry m_geometry;
    std::uint32_t m_firstDataSector = 0;
    std::vector<std::uint8_t> m_badBlocks;  // 1 = bad
    TCrtRandom m_random;
};
