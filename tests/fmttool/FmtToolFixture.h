#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "fmttool/FmtTool.h"
#include "tests/fmttool/ScriptedConsole.h"
#include "tests/support/SimRecorder.h"
#include "tests/support/SimScsiDevice.h"
#include "tests/support/SimScsiDeviceIo.h"
#include "tests/support/TempDir.h"

// The flash and disk geometry of a run: page size, pages per block, sector size.
struct FmtFlash {
    std::uint32_t pageSize;
    std::uint32_t pagesPerBlock;
    std::uint32_t sectorSize;

    std::uint32_t Blocks() const { return 4 * 1024 * 1024 / pageSize / pagesPerBlock; }
    std::uint32_t SectorsPerBlock() const { return pageSize / sectorSize * pagesPerBlock; }
    std::uint64_t BlockBytes() const { return std::uint64_t{pageSize} * pagesPerBlock; }
};

void PrintTo(const FmtFlash& flash, std::ostream* os);

// Launches nothing: records what /M asks for and answers with exit codes.
class RecordingLauncher : public TFmtLauncher {
public:
    std::vector<TCopy> started;
    int exitCode = 0;

    bool Start(const std::string& devicePath, const std::filesystem::path& log, std::string&) override
    {
        started.push_back({devicePath, log, exitCode});
        return true;
    }
    std::vector<TCopy> WaitAll() override { return started; }
};

// A recorder at /dev/sg3 reached in process through the SCSI seam, a work
// folder with "ImageFiles", and a scripted console.
class FmtToolTestBase {
public:
    explicit FmtToolTestBase(const FmtFlash& flash = {2048, 64, 2048});

    int RunFmt(const std::vector<std::string>& args);
    const std::string& Output() const { return console.Output(); }

    void PutFile(const std::string& name, const std::vector<std::uint8_t>& data);
    std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) const;
    std::filesystem::path Work() const { return dir.Path(); }
    std::filesystem::path ImageFiles() const { return dir.Path() / "ImageFiles"; }
    // The flash's bytes of one block (data area).
    std::vector<std::uint8_t> FlashBlock(std::uint32_t block) const;
    // Write commands (vendor 0xC8, 1) whose first page is page.
    std::size_t WritesAt(std::uint32_t page) const;
    std::size_t VendorWrites() const;

    static constexpr const char* kPath = "/dev/sg3";

    FmtFlash flash;
    SimRecorder recorder;
    SimScsiDevice device;
    SimScsiDeviceIo nodes;
    TempDir dir;
    ScriptedConsole console;
    RecordingLauncher launcher;
    TFmtToolSystem system;
};

class FmtToolFixture : public FmtToolTestBase, public ::testing::Test {};

// A pseudo-random file of count bytes.
std::vector<std::uint8_t> FmtBytes(std::size_t count, std::uint8_t seed);
