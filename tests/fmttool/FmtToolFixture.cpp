#include "tests/fmttool/FmtToolFixture.h"

#include <fstream>
#include <iterator>

#include "fmttool/ScsiCdb.h"

namespace fs = std::filesystem;

namespace {

SimGeometry GeometryOf(const FmtFlash& flash)
{
    SimGeometry geometry;
    geometry.chips = 1;
    geometry.pageSize = flash.pageSize;
    geometry.pagesPerBlock = flash.pagesPerBlock;
    // Twice the area, so the tool sees a flash larger than what it prepares.
    geometry.blocksPerChip = 2 * flash.Blocks();
    geometry.spareBytes = flash.pageSize / 32;
    return geometry;
}

}  // namespace

void PrintTo(const FmtFlash& flash, std::ostream* os)
{
    *os << "page " << flash.pageSize << " x " << flash.pagesPerBlock << " sector " << flash.sectorSize;
}

FmtToolTestBase::FmtToolTestBase(const FmtFlash& flash)
    : flash(flash), recorder(GeometryOf(flash), SimPageStride::PageOnly), device(&recorder, flash.sectorSize)
{
    nodes.AddNode(kPath, &device);
    fs::create_directories(ImageFiles());
    system.workFolder = Work();
    system.mountTable = (Work() / "mounts").string();
    std::ofstream(system.mountTable) << "proc /proc proc rw 0 0\n";
    system.sysRoot = Work() / "sys";
    system.launcher = &launcher;
}

int FmtToolTestBase::RunFmt(const std::vector<std::string>& args)
{
    return FmtToolMain(args, console, system);
}

void FmtToolTestBase::PutFile(const std::string& name, const std::vector<std::uint8_t>& data)
{
    const fs::path path = ImageFiles() / name;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

std::vector<std::uint8_t> FmtToolTestBase::ReadFile(const fs::path& path) const
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::uint8_t> FmtToolTestBase::FlashBlock(std::uint32_t block) const
{
    std::vector<std::uint8_t> bytes;
    for (std::uint32_t page = 0; page < flash.pagesPerBlock; ++page) {
        const auto data = recorder.ReadPage(std::uint64_t{block} * flash.pagesPerBlock + page);
        bytes.insert(bytes.end(), data.begin(), data.begin() + flash.pageSize);
    }
    return bytes;
}

std::size_t FmtToolTestBase::WritesAt(std::uint32_t page) const
{
    std::size_t count = 0;
    for (const SimScsiDevice::Command& command : device.Commands())
        if (command.cdb[0] == 0xC8 && command.cdb[1] == 1 && passthrough::GetBigEndian32(&command.cdb[2]) == page)
            ++count;
    return count;
}

std::size_t FmtToolTestBase::VendorWrites() const
{
    std::size_t count = 0;
    for (const SimScsiDevice::Command& command : device.Commands())
        count += command.cdb[0] == 0xC8 && command.cdb[1] == 1;
    return count;
}

std::vector<std::uint8_t> FmtBytes(std::size_t count, std::uint8_t seed)
{
    std::vector<std::uint8_t> bytes(count);
    std::uint32_t state = seed * 2654435761u + 1;
    for (auto& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(state >> 16);
    }
    return bytes;
}
