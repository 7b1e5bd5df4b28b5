#pragma once

#include <scsi/sg.h>

#include <string>
#include <vector>

namespace passthrough {

// Everything the device functions ask of the system about SCSI generic
// devices. The Linux implementation is the default; tests put simulated
// devices behind it (SetScsiDeviceIo).
class TScsiDeviceIo {
public:
    virtual ~TScsiDeviceIo() = default;

    // The SCSI generic device nodes, in numeric order.
    virtual std::vector<std::string> DevicePaths() = 0;
    // Opens a node for reading and writing, not exclusively; a handle, or
    // the negated errno.
    virtual int Open(const std::string& path) = 0;
    virtual void Close(int handle) = 0;
    // Runs one SG_IO request; 0, or the errno of the failed request.
    virtual int SgIo(int handle, sg_io_hdr& header) = 0;
};

}  // namespace passthrough
