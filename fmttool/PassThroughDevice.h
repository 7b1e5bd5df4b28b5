#pragma once

#include <string>

#include "fmttool/ScsiFailure.h"
#include "fmttool/SgIoRequest.h"

namespace passthrough {

// One command on a device: open the node, SG_IO with the request's header,
// close. True only when the request went through whole; otherwise the
// reason is the last failure.
bool ExecuteCdb(const std::string& path, TScsiRequest& request);

// True when the device's INQUIRY answer begins with Q71InquiryAnswer.
bool CheckInquiry(const std::string& path);

// The vendor identify, then READ CAPACITY(10) for the sector size. Only when
// both succeed and the geometry can be worked with (a page of whole sectors,
// a sector size dividing 8192) do the path, the parameters and the sector
// size become the kept ones; a failure keeps the previous.
bool IdentifyDevice(const std::string& path);

// Records why the current call failed; returns false for the caller.
bool Fail(TScsiFailure failure);
bool Refuse(const std::string& detail);
void ClearFailure();

}  // namespace passthrough
