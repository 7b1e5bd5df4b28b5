#pragma once

#include <cstdint>

#include "ConnectType.h"

// The connections that read the recorder's clock and battery live (the
// adapters with settings commands and the device library): status panel
// and clock synchronisation.
constexpr bool HasLiveStatus(std::int32_t type)
{
    return type == ctUsb11Adapter || type == ctUsb20SpiAdapter || type == ctMassStorage;
}

// The connections on which the recorder clears its password and content
// itself (command 65); the others format from the PC first.
constexpr bool RecorderResetsItself(std::int32_t type)
{
    return type == ctUsb11Adapter || type == ctUsb20SpiAdapter;
}
