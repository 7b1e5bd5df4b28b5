#include "fmttool/PassThroughState.h"

#include "fmttool/LinuxScsiDeviceIo.h"

namespace passthrough {

namespace {

TScsiDeviceIo* g_deviceIo = nullptr;

TScsiDeviceIo& LinuxDeviceIo()
{
    static TLinuxScsiDeviceIo io;
    return io;
}

}  // namespace

TPassThroughState& PassThroughState()
{
    static TPassThroughState state;
    return state;
}

TScsiDeviceIo& ScsiDeviceIo()
{
    return g_deviceIo ? *g_deviceIo : LinuxDeviceIo();
}

void SetScsiDeviceIo(TScsiDeviceIo* io)
{
    g_deviceIo = io;
}

void ResetPassThrough()
{
    PassThroughState() = TPassThroughState{};
}

}  // namespace passthrough
