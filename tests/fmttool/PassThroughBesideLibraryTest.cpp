#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "fmttool/PassThrough.h"
#include "massstorage/Q71_API.h"
#include "tests/support/SimScsiDeviceIo.h"

// The tool's functions carry the names of the library's exports; both link
// into one program, each keeping its own state.
TEST(PassThroughBesideTheLibrary, BothFamiliesLinkIntoOneProgramAndKeepTheirOwnState)
{
    SimScsiDeviceIo nodes;
    std::uint8_t params[12];
    std::fill(std::begin(params), std::end(params), 0xEE);
    ::Q71_GetFlashParams(params);  // the device library's, never connected here
    EXPECT_EQ(FlashParams::Parse(params), FlashParams{});
    EXPECT_EQ(passthrough::Q71_GetSectorSize(), 512u);
    EXPECT_NE(reinterpret_cast<void*>(&::Q71_ReadPages), reinterpret_cast<void*>(&passthrough::Q71_ReadPages));
}
