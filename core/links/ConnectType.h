#pragma once

#include <cstdint>

// The connection types of the connection menu, stored in the main settings
// file and passed to the recorder object unchanged.
enum TConnectType : std::uint32_t {
    ctUsb11Adapter = 0,
    ctImageFile = 1,
    ctUsb20Adapter = 2,
    ctDemo = 3,
    ctUsb20SpiAdapter = 4,
    ctMassStorage = 5, // "USB 2.0" through the device access library
};

// Image file or demo: the image link answers, settings live in the header.
constexpr bool IsImageConnection(std::uint32_t type)
{
    return type == ctImageFile || type == ctDemo;
}

// The FTDI adapter link serves every type that is neither an image nor the
// device access library.
constexpr bool IsAdapterConnection(std::uint32_t type)
{
    return !IsImageConnection(type) && type != ctMassStorage;
}

// The USB 2.0 adapter and the device library learn the flash geometry by
// command 29 when they connect; the image link learns it in its probe.
constexpr bool ReadsGeometryOnConnect(std::uint32_t type)
{
    return type == ctUsb20Adapter || type == ctMassStorage;
}

// The connections that read the recorder's clock and battery live (the
// adapters with settings commands and the device library): status panel
// and clock synchronisation.
constexpr bool HasLiveStatus(std::uint32_t type)
{
    return type == ctUsb11Adapter || type == ctUsb20SpiAdapter || type == ctMassStorage;
}

// The connections on which the recorder clears its password and content
// itself (command 65); the others format from the PC first.
constexpr bool RecorderResetsItself(std::uint32_t type)
{
    return type == ctUsb11Adapter || type == ctUsb20SpiAdapter;
}
