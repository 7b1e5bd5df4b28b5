#pragma once

#include <string>
#include <utility>
#include <vector>

#include "massstorage/MailboxFileIo.h"

class SimMailboxDevice;

// The device library's file seam over simulated disks: each candidate path
// leads to a device (or to nothing, like a mount without "service.dat").
// While it lives it stands behind the library, which starts disconnected;
// its end disconnects the library and puts the Linux seam back.
class SimMailboxFileIo : public TMailboxFileIo {
public:
    SimMailboxFileIo();
    ~SimMailboxFileIo() override;
    SimMailboxFileIo(const SimMailboxFileIo&) = delete;
    SimMailboxFileIo& operator=(const SimMailboxFileIo&) = delete;

    // Candidates in the order the library tries them; device may be null.
    void AddCandidate(const std::string& path, SimMailboxDevice* device);

    std::uint32_t OpenCount() const { return m_openCount; }

    std::vector<std::string> CandidatePaths() override;
    int Open(const std::string& path) override;
    void Close(int handle) override;
    std::uint32_t SectorSize(int handle) override;
    bool IsAlive(int handle, const std::string& path) override;
    std::int64_t ReadAt(int handle, void* buffer, std::size_t length, std::uint64_t offset) override;
    std::int64_t WriteAt(int handle, const void* data, std::size_t length, std::uint64_t offset) override;

private:
    SimMailboxDevice* DeviceOf(int handle) const;

    std::vector<std::pair<std::string, SimMailboxDevice*>> m_candidates;
    std::vector<bool> m_open;
    std::uint32_t m_openCount = 0;
};
