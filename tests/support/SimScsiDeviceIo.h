#pragma once

#include <string>
#include <utility>
#include <vector>

#include "fmttool/ScsiDeviceIo.h"

class SimScsiDevice;

// The device functions' SCSI seam over simulated disks: each node path leads
// to a device, or to nothing (a node that vanished after the listing opens
// with ENOENT, as does a path never added). While it lives it stands behind
// the device functions, which start with nothing kept; its end forgets what
// they kept and puts the Linux seam back.
class SimScsiDeviceIo : public passthrough::TScsiDeviceIo {
public:
    SimScsiDeviceIo();
    ~SimScsiDeviceIo() override;
    SimScsiDeviceIo(const SimScsiDeviceIo&) = delete;
    SimScsiDeviceIo& operator=(const SimScsiDeviceIo&) = delete;

    // Nodes in the order the listing gives them; device may be null.
    void AddNode(const std::string& path, SimScsiDevice* device);

    // Opens so far, and handles not closed again.
    std::uint32_t OpenCount() const { return m_openCount; }
    std::uint32_t OpenHandles() const { return m_openHandles; }

    std::vector<std::string> DevicePaths() override;
    int Open(const std::string& path) override;
    void Close(int handle) override;
    int SgIo(int handle, sg_io_hdr& header) override;

private:
    std::vector<std::pair<std::string, SimScsiDevice*>> m_nodes;
    std::vector<int> m_handles;  // node index per handle, -1 when closed
    std::uint32_t m_openCount = 0;
    std::uint32_t m_openHandles = 0;
};
