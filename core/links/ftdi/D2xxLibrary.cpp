#include "core/links/ftdi/D2xxLibrary.h"

#include <dlfcn.h>

#include <cstdlib>

namespace {

template <typename Function> bool Resolve(void* handle, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(::dlsym(handle, name));
    return function != nullptr;
}

bool ResolveRequired(void* handle, d2xx::TD2xxFunctions& f)
{
    return Resolve(handle, "FT_Open", f.Open) && Resolve(handle, "FT_ListDevices", f.ListDevices) &&
           Resolve(handle, "FT_Close", f.Close) && Resolve(handle, "FT_Read", f.Read) &&
           Resolve(handle, "FT_Write", f.Write) && Resolve(handle, "FT_SetBaudRate", f.SetBaudRate) &&
           Resolve(handle, "FT_SetDataCharacteristics", f.SetDataCharacteristics) &&
           Resolve(handle, "FT_SetFlowControl", f.SetFlowControl) && Resolve(handle, "FT_ResetDevice", f.ResetDevice) &&
           Resolve(handle, "FT_SetDtr", f.SetDtr) && Resolve(handle, "FT_SetRts", f.SetRts) &&
           Resolve(handle, "FT_SetChars", f.SetChars) && Resolve(handle, "FT_Purge", f.Purge) &&
           Resolve(handle, "FT_SetTimeouts", f.SetTimeouts) &&
           Resolve(handle, "FT_SetEventNotification", f.SetEventNotification) &&
           Resolve(handle, "FT_SetUSBParameters", f.SetUSBParameters);
}

// Entry points the Linux build may lack; nothing calls them.
void ResolveOptional(void* handle, d2xx::TD2xxFunctions& f)
{
    Resolve(handle, "FT_OpenEx", f.OpenEx);
    Resolve(handle, "FT_IoCtl", f.IoCtl);
    Resolve(handle, "FT_SetDivisor", f.SetDivisor);
    Resolve(handle, "FT_ClrDtr", f.ClrDtr);
    Resolve(handle, "FT_ClrRts", f.ClrRts);
    Resolve(handle, "FT_GetModemStatus", f.GetModemStatus);
    Resolve(handle, "FT_GetQueueStatus", f.GetQueueStatus);
    Resolve(handle, "FT_GetStatus", f.GetStatus);
    Resolve(handle, "FT_SetBreakOn", f.SetBreakOn);
    Resolve(handle, "FT_SetBreakOff", f.SetBreakOff);
    Resolve(handle, "FT_SetWaitMask", f.SetWaitMask);
    Resolve(handle, "FT_WaitOnMask", f.WaitOnMask);
    Resolve(handle, "FT_GetEventStatus", f.GetEventStatus);
}

} // namespace

std::vector<std::string> DefaultD2xxLibraryNames()
{
    const char* named = std::getenv(kD2xxLibraryVariable);
    if (named && *named)
        return {named};
    return {"libftd2xx.so", "libftd2xx.so.1"};
}

bool LoadD2xxLibrary(const std::vector<std::string>& names, TD2xxLibrary& library)
{
    UnloadD2xxLibrary(library);
    for (const std::string& name : names) {
        void* handle = ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            continue;
        d2xx::TD2xxFunctions functions;
        if (!ResolveRequired(handle, functions)) {
            ::dlclose(handle);
            continue;
        }
        ResolveOptional(handle, functions);
        library.Handle = handle;
        library.Functions = functions;
        return true;
    }
    return false;
}

void UnloadD2xxLibrary(TD2xxLibrary& library)
{
    if (library.Handle)
        ::dlclose(library.Handle);
    library = {};
}
