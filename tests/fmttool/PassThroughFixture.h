#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "fmttool/PassThrough.h"
#include "tests/support/SimRecorder.h"
#include "tests/support/SimScsiDevice.h"
#include "tests/support/SimScsiDeviceIo.h"

// A recorder of 1 x 64 blocks x 64 pages of 2048 bytes, its USB disk with
// 2048-byte sectors at /dev/sg1, reached in-process through the SCSI seam.
inline SimGeometry PassThroughTestGeometry()
{
    return SmallUsbDiskGeometry();
}

class PassThroughFixture : public ::testing::Test {
protected:
    static constexpr const char* kPath = "/dev/sg1";

    // Adds the recorder's node and connects to it by its path.
    void Connect()
    {
        nodes.AddNode(kPath, &device);
        std::optional<std::string> path = kPath;
        ASSERT_TRUE(passthrough::Q71_IsConnected(path)) << passthrough::LastFailure().Describe();
        device.ClearLog();
    }

    SimRecorder recorder{PassThroughTestGeometry(), SimPageStride::PageOnly};
    SimScsiDevice device{&recorder, 2048};
    SimScsiDeviceIo nodes;
};
