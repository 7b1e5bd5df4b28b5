#pragma once

#include <string>
#include <vector>

#include "fmttool/ScsiDeviceIo.h"

namespace passthrough {

// SG_IO on the /dev/sg<N> nodes. These, never the sd block nodes: closing
// an sd node opened for writing makes udev probe the disk again.
class TLinuxScsiDeviceIo : public TScsiDeviceIo {
public:
    std::vector<std::string> DevicePaths() override;
    int Open(const std::string& path) override;
    void Close(int handle) override;
    int SgIo(int handle, sg_io_hdr& header) override;
};

// The names of the form "sg<N>" among names, ordered by N.
std::vector<std::string> SgNodeNames(const std::vector<std::string>& names);

}  // namespace passthrough
