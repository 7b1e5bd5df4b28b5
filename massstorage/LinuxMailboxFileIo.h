#pragma once

#include "massstorage/MailboxFileIo.h"

// The mailbox file on a mounted disk: O_DIRECT | O_DSYNC with an exclusive
// flock, the logical sector size of the block device behind the mount, and
// a liveness check on sysfs and the path instead of I/O on the file.
class TLinuxMailboxFileIo : public TMailboxFileIo {
public:
    std::vector<std::string> CandidatePaths() override;
    int Open(const std::string& path) override;
    void Close(int handle) override;
    std::uint32_t SectorSize(int handle) override;
    bool IsAlive(int handle, const std::string& path) override;
    std::int64_t ReadAt(int handle, void* buffer, std::size_t length, std::uint64_t offset) override;
    std::int64_t WriteAt(int handle, const void* data, std::size_t length, std::uint64_t offset) override;
};

// The logical sector size sysfs reports for a block device (a partition
// takes its disk's); 0 when sysfs does not know it.
std::uint32_t SysfsLogicalSectorSize(unsigned major, unsigned minor);
