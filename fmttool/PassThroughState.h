#pragma once

#include <cstdint>
#include <string>

#include "fmttool/ScsiDeviceIo.h"
#include "fmttool/ScsiFailure.h"
#include "massstorage/Q71Protocol.h"

namespace passthrough {

// The sector size assumed until an identify has read the device's own.
inline constexpr std::uint32_t kDefaultSectorSize = 512;

// What the device functions keep for the whole process. Path, parameters
// and sector size always belong to one device: the last one identified.
struct TPassThroughState {
    std::string path;  // empty until a recorder was identified
    FlashParams params;
    std::uint32_t sectorSize = kDefaultSectorSize;
    TScsiFailure lastFailure;

    bool Identified() const { return !path.empty() && params.pageSize != 0; }
};

TPassThroughState& PassThroughState();

// The device seam; the Linux implementation unless a test set another.
TScsiDeviceIo& ScsiDeviceIo();
void SetScsiDeviceIo(TScsiDeviceIo* io);  // null: back to Linux

// Forgets the device, its parameters and the last failure.
void ResetPassThrough();

}  // namespace passthrough
