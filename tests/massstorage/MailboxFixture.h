#pragma once

#include <gtest/gtest.h>

#include "massstorage/Mailbox.h"
#include "tests/support/SimMailboxDevice.h"
#include "tests/support/SimMailboxFileIo.h"
#include "tests/support/SimRecorder.h"

// One recorder of 1 x 64 blocks x 64 pages of 2048 bytes on a disk with
// 2048-byte sectors, reached in-process through the library's file seam.
inline SimGeometry MailboxTestGeometry()
{
    return SmallUsbDiskGeometry();
}

class MailboxFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        files.AddCandidate("/media/rec/service.dat", &device);
        ASSERT_TRUE(q71::IsConnected());
        device.ClearLog();
    }

    SimRecorder recorder{MailboxTestGeometry(), SimPageStride::PageOnly};
    SimMailboxDevice device{&recorder, 2048};
    SimMailboxFileIo files;
};
