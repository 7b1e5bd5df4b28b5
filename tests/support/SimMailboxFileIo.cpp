#include "tests/support/SimMailboxFileIo.h"

#include "massstorage/MailboxState.h"
#include "tests/support/SimMailboxDevice.h"

SimMailboxFileIo::SimMailboxFileIo()
{
    q71::ResetMailbox();
    q71::SetMailboxFileIo(this);
}

SimMailboxFileIo::~SimMailboxFileIo()
{
    q71::ResetMailbox();
    q71::SetMailboxFileIo(nullptr);
}

void SimMailboxFileIo::AddCandidate(const std::string& path, SimMailboxDevice* device)
{
    m_candidates.emplace_back(path, device);
    m_open.push_back(false);
}

std::vector<std::string> SimMailboxFileIo::CandidatePaths()
{
    std::vector<std::string> paths;
    for (const auto& candidate : m_candidates)
        paths.push_back(candidate.first);
    return paths;
}

int SimMailboxFileIo::Open(const std::string& path)
{
    for (std::size_t i = 0; i < m_candidates.size(); ++i) {
        const auto* device = m_candidates[i].second;
        if (m_candidates[i].first != path || !device || !device->Plugged() || m_open[i])
            continue;
        m_open[i] = true;
        ++m_openCount;
        return static_cast<int>(i);
    }
    return -1;
}

void SimMailboxFileIo::Close(int handle)
{
    if (handle >= 0 && static_cast<std::size_t>(handle) < m_open.size())
        m_open[handle] = false;
}

SimMailboxDevice* SimMailboxFileIo::DeviceOf(int handle) const
{
    if (handle < 0 || static_cast<std::size_t>(handle) >= m_candidates.size() || !m_open[handle])
        return nullptr;
    return m_candidates[handle].second;
}

std::uint32_t SimMailboxFileIo::SectorSize(int handle)
{
    const auto* device = DeviceOf(handle);
    return device ? device->SectorSize() : 0;
}

bool SimMailboxFileIo::IsAlive(int handle, const std::string&)
{
    const auto* device = DeviceOf(handle);
    return device && device->Plugged();
}

std::int64_t SimMailboxFileIo::ReadAt(int handle, void* buffer, std::size_t length, std::uint64_t offset)
{
    auto* device = DeviceOf(handle);
    return device ? device->Read(buffer, length, offset) : -1;
}

std::int64_t SimMailboxFileIo::WriteAt(int handle, const void* data, std::size_t length, std::uint64_t offset)
{
    auto* device = DeviceOf(handle);
    return device ? device->Write(data, length, offset) : -1;
}
