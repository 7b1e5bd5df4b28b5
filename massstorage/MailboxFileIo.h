#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Everything the device library asks of the system about the mailbox file.
// The Linux implementation is the default; tests put a simulated device
// behind it (SetMailboxFileIo).
class TMailboxFileIo {
public:
    virtual ~TMailboxFileIo() = default;

    // Mailbox file paths to try, in order.
    virtual std::vector<std::string> CandidatePaths() = 0;
    // Opens an existing file for unbuffered write-through access, held
    // exclusively; -1 when that fails.
    virtual int Open(const std::string& path) = 0;
    virtual void Close(int handle) = 0;
    // Logical sector size of the device holding the file; 0 when unknown.
    virtual std::uint32_t SectorSize(int handle) = 0;
    // Whether the device behind the open file is still there, without I/O
    // on the file itself.
    virtual bool IsAlive(int handle, const std::string& path) = 0;
    // One transfer of whole sectors from an aligned buffer; the bytes moved,
    // or -1 on failure.
    virtual std::int64_t ReadAt(int handle, void* buffer, std::size_t length, std::uint64_t offset) = 0;
    virtual std::int64_t WriteAt(int handle, const void* data, std::size_t length, std::uint64_t offset) = 0;
};
