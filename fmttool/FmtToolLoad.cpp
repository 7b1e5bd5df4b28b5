// The image into the flash block by block, each block verified, and the
// area read back into a file on request.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

#include "fmttool/FmtToolRun.h"
#include "fmttool/PassThrough.h"

namespace {

constexpr std::uint8_t kBadBlockFill = 0x33;
constexpr std::uint8_t kReadFill = 0xFF;

using TFileHandle = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

}  // namespace

bool TFmtToolRun::Load()
{
    const TFileHandle file(std::fopen(m_image.c_str(), "rb"), &std::fclose);
    if (!file) {
        PrintSystemError(errno);
        return false;
    }
    const auto pages = static_cast<std::uint16_t>(m_geometry.pagesPerBlock);
    std::vector<std::uint8_t> data(m_geometry.BlockBytes());
    std::vector<std::uint8_t> read(data.size());
    Print("Loading image");
    bool verified = true;
    for (std::uint32_t block = 0; block < m_geometry.blocks && verified; ++block) {
        Print(".");
        std::fill(data.begin(), data.end(), kReadFill);
        if (std::fread(data.data(), 1, data.size(), file.get()) != data.size()) {
            PrintSystemError(std::ferror(file.get()) ? errno : EIO);
            verified = false;
            break;
        }
        if (m_badBlocks[block])
            continue;
        const std::uint32_t first = m_geometry.FirstPage(block);
        bool matched = false;
        for (int attempt = 0; attempt < kAttempts && !matched && verified; ++attempt) {
            if (!passthrough::Q71_WritePages(first, data.data(), pages)) {
                Print("\nError WritePages(%d, %d)\n", static_cast<int>(first), static_cast<int>(pages));
                PrintLastError();
                verified = false;
                break;
            }
            // Unlike the data, so that bytes a read does not move do not match.
            std::transform(data.begin(), data.end(), read.begin(), [](std::uint8_t b) { return ~b; });
            if (!passthrough::Q71_ReadPages(first, read.data(), pages)) {
                Print("\nError ReadPages(), %d, %d\n", static_cast<int>(first), static_cast<int>(pages));
                PrintLastError();
                verified = false;
                break;
            }
            matched = read == data;
        }
        verified = verified && matched;
    }
    Print("\n");
    Print(verified ? "Verify OK. Reconnect device to apply changes.\n" : "VERIFY ERROR!!!\n ");
    return verified;
}

bool TFmtToolRun::ReadBack()
{
    const std::filesystem::path dump = m_image.parent_path() / FmtDumpName(m_image.filename().string());
    const TFileHandle file(std::fopen(dump.c_str(), "wb"), &std::fclose);
    if (!file) {
        PrintSystemError(errno);
        return false;
    }
    const auto pages = static_cast<std::uint16_t>(m_geometry.pagesPerBlock);
    std::vector<std::uint8_t> data(m_geometry.BlockBytes());
    bool good = true;
    Print("Reading image");
    for (std::uint32_t block = 0; block < m_geometry.blocks; ++block) {
        Print(".");
        bool readOk = true;
        if (m_badBlocks[block]) {
            std::fill(data.begin(), data.end(), kBadBlockFill);
        } else {
            std::fill(data.begin(), data.end(), kReadFill);
            const std::uint32_t first = m_geometry.FirstPage(block);
            readOk = passthrough::Q71_ReadPages(first, data.data(), pages);
            if (!readOk) {
                Print("\nError ReadPages(), %d, %d\n", static_cast<int>(first), static_cast<int>(pages));
                PrintLastError();
            }
        }
        if (std::fwrite(data.data(), 1, data.size(), file.get()) != data.size()) {
            PrintSystemError(errno);
            return false;
        }
        if (!readOk) {
            good = false;
            break;
        }
    }
    Print("\n");
    if (std::fflush(file.get()) != 0) {
        PrintSystemError(errno);
        return false;
    }
    return good;
}
