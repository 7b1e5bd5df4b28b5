#include "tests/support/SimScsiDeviceIo.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "fmttool/PassThroughState.h"
#include "tests/support/SimScsiDevice.h"

SimScsiDeviceIo::SimScsiDeviceIo()
{
    passthrough::ResetPassThrough();
    passthrough::SetScsiDeviceIo(this);
}

SimScsiDeviceIo::~SimScsiDeviceIo()
{
    EXPECT_EQ(m_openHandles, 0u) << "a device was left open";
    passthrough::ResetPassThrough();
    passthrough::SetScsiDeviceIo(nullptr);
}

void SimScsiDeviceIo::AddNode(const std::string& path, SimScsiDevice* device)
{
    m_nodes.emplace_back(path, device);
}

std::vector<std::string> SimScsiDeviceIo::DevicePaths()
{
    std::vector<std::string> paths;
    for (const auto& node : m_nodes)
        paths.push_back(node.first);
    return paths;
}

int SimScsiDeviceIo::Open(const std::string& path)
{
    for (std::size_t i = 0; i < m_nodes.size(); ++i) {
        if (m_nodes[i].first != path)
            continue;
        const SimScsiDevice* device = m_nodes[i].second;
        if (!device)
            return -ENOENT;
        if (device->OpenError() != 0)
            return -device->OpenError();
        ++m_openCount;
        ++m_openHandles;
        m_handles.push_back(static_cast<int>(i));
        return static_cast<int>(m_handles.size() - 1);
    }
    return -ENOENT;
}

void SimScsiDeviceIo::Close(int handle)
{
    if (handle < 0 || static_cast<std::size_t>(handle) >= m_handles.size() || m_handles[handle] < 0) {
        ADD_FAILURE() << "close of handle " << handle << ", which is not open";
        return;
    }
    m_handles[handle] = -1;
    --m_openHandles;
}

int SimScsiDeviceIo::SgIo(int handle, sg_io_hdr& header)
{
    if (handle < 0 || static_cast<std::size_t>(handle) >= m_handles.size() || m_handles[handle] < 0)
        return EBADF;
    return m_nodes[m_handles[handle]].second->Serve(header);
}
