#include "fmttool/PassThrough.h"
#include "fmttool/PassThroughDevice.h"
#include "fmttool/PassThroughState.h"
#include "fmttool/Q71VendorCdb.h"

namespace passthrough {

namespace {

bool RefuseLength(std::uint8_t length)
{
    return Refuse("link transfer of " + std::to_string(length) + " bytes, more than " + std::to_string(kMaxLinkBytes));
}

}  // namespace

bool Q71_SendI2C(const void* data, std::uint8_t length)
{
    ClearFailure();
    if (length > kMaxLinkBytes)
        return RefuseLength(length);
    TScsiRequest request{Q71VendorCdb::Send(length).Bytes(), TDataDirection::Out, const_cast<void*>(data), length};
    return ExecuteCdb(PassThroughState().path, request);
}

bool Q71_ReceiveI2C(void* buffer, std::uint8_t length)
{
    ClearFailure();
    if (length > kMaxLinkBytes)
        return RefuseLength(length);
    TScsiRequest request{Q71VendorCdb::Receive(length).Bytes(), TDataDirection::In, buffer, length};
    return ExecuteCdb(PassThroughState().path, request);
}

}  // namespace passthrough
