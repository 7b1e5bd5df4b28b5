#include "fmttool/PassThrough.h"

#include <cerrno>

#include "fmttool/PassThroughDevice.h"
#include "fmttool/PassThroughState.h"

namespace passthrough {

namespace {

// How much a failure met during a scan tells the user when no recorder is
// found: a recorder that failed its identify, then a device the tool may
// not use, then one another program holds.
int Weight(const TScsiFailure& failure, bool passedIdentity)
{
    if (passedIdentity)
        return 3;
    if (failure.IsPermission())
        return 2;
    if (failure.kind == TScsiFailure::Kind::System && failure.error == EBUSY)
        return 1;
    return 0;
}

// Tries every device in order; stops at the first recorder when first is
// set. On finding none, the most telling failure met is the last failure.
std::vector<std::string> Scan(bool first)
{
    std::vector<std::string> found;
    TScsiFailure telling;
    int tellingWeight = 0;
    for (const std::string& path : ScsiDeviceIo().DevicePaths()) {
        const bool passedIdentity = CheckInquiry(path);
        if (passedIdentity && IdentifyDevice(path)) {
            found.push_back(path);
            if (first)
                break;
            continue;
        }
        const TScsiFailure& failure = PassThroughState().lastFailure;
        const int weight = Weight(failure, passedIdentity);
        if (weight > tellingWeight) {
            telling = failure;
            tellingWeight = weight;
        }
    }
    if (!found.empty())
        ClearFailure();
    else if (tellingWeight > 0)
        Fail(telling);
    else
        Fail(TScsiFailure::Of(TScsiFailure::Kind::NoDevice));
    return found;
}

}  // namespace

std::vector<std::string> Q71_GetDevices()
{
    ClearFailure();
    return Scan(false);
}

bool Q71_IsConnected(std::optional<std::string>& path)
{
    ClearFailure();
    if (path) {
        if (path->empty())
            return Refuse("empty device path");
        return CheckInquiry(*path) && IdentifyDevice(*path);
    }
    const std::vector<std::string> found = Scan(true);
    if (found.empty())
        return false;
    path = found.front();
    return true;
}

FlashParams Q71_GetFlashParams()
{
    return PassThroughState().params;
}

std::uint32_t Q71_GetSectorSize()
{
    return PassThroughState().sectorSize;
}

const TScsiFailure& LastFailure()
{
    return PassThroughState().lastFailure;
}

}  // namespace passthrough
