#pragma once

#include <array>
#include <cstddef>
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

// Everything the program asks of a connection type, one row per type.
struct TConnectTypeRow {
    TConnectType type = ctDemo;
    const char* captionConst = "";     // LangConst of the window caption's connection text
    const char* labelConst = nullptr;  // LangConst of lbDemo; null: the image file's name
    bool captionNamesImage = false;    // the caption ends with the image file's path
    const char* menuObjectName = "";   // its connection menu item
    const char* menuCaption = "";
    bool shownInMenu = false;          // the others are reached through the saved type
    bool image = false;                // the image link answers; settings live in the header
    bool demo = false;                 // the demo image of the documents folder
    bool liveStatus = false;           // clock and battery read live: status panel, clock sync
    bool adapter = false;              // the FTDI adapter link
    bool resetsItself = false;         // the recorder clears password and content itself (command 65)
    bool readsGeometryOnConnect = false; // command 29 on connecting; the image link learns it in its probe
    bool writesBlockByPages = false;   // no whole-block write (command 0): a block goes page by page
};

inline constexpr std::array<TConnectTypeRow, 6> kConnectTypes{{
    {.type = ctUsb11Adapter, .captionConst = "USB11AdapterStr", .labelConst = "USB11Str",
     .menuObjectName = "miUSB11", .menuCaption = "USB 1.1 adapter",
     .liveStatus = true, .adapter = true, .resetsItself = true, .writesBlockByPages = true},
    {.type = ctImageFile, .captionConst = "ImageFileStr", .labelConst = nullptr, .captionNamesImage = true,
     .menuObjectName = "miImageFile", .menuCaption = "Image file...",
     .image = true},
    {.type = ctUsb20Adapter, .captionConst = "USB20AdapterStr", .labelConst = "USB20Str",
     .menuObjectName = "miUSB20_ADPT", .menuCaption = "USB 2.0 adapter",
     .adapter = true, .readsGeometryOnConnect = true},
    {.type = ctDemo, .captionConst = "DemoModeStr", .labelConst = "DemoModeStr",
     .menuObjectName = "miDemo", .menuCaption = "Emulation (Demo mode)", .shownInMenu = true,
     .image = true, .demo = true},
    {.type = ctUsb20SpiAdapter, .captionConst = "USB20AdapterStr", .labelConst = "USB20Str",
     .menuObjectName = "miUSB20_SPI", .menuCaption = "USB 2.0 SPI adapter",
     .liveStatus = true, .adapter = true, .resetsItself = true},
    {.type = ctMassStorage, .captionConst = "USB20AdapterStr", .labelConst = "USB20Str",
     .menuObjectName = "miQ71_ADPT", .menuCaption = "USB 2.0", .shownInMenu = true,
     .liveStatus = true, .readsGeometryOnConnect = true},
}};

// What an unknown type (a damaged settings file) reads as: the demo works
// with nothing attached, and the connection menu checks it for such a value.
inline constexpr TConnectType kDefaultConnectType = ctDemo;

constexpr bool ConnectTableIsByType()
{
    for (std::size_t i = 0; i < kConnectTypes.size(); ++i)
        if (kConnectTypes[i].type != i)
            return false;
    return true;
}
static_assert(ConnectTableIsByType(), "a connection type is its row's index");

constexpr bool IsKnownConnectType(std::int64_t type)
{
    return type >= 0 && type < static_cast<std::int64_t>(kConnectTypes.size());
}

// The row of a type; an unknown type gets the default type's row and is
// never used as an index.
constexpr const TConnectTypeRow& ConnectTypeRow(std::int64_t type)
{
    return kConnectTypes[static_cast<std::size_t>(IsKnownConnectType(type) ? type : std::int64_t{kDefaultConnectType})];
}

constexpr bool IsImageConnection(std::int64_t type)
{
    return ConnectTypeRow(type).image;
}

constexpr bool IsDemoConnection(std::int64_t type)
{
    return ConnectTypeRow(type).demo;
}

constexpr bool IsAdapterConnection(std::int64_t type)
{
    return ConnectTypeRow(type).adapter;
}

// Neither image nor adapter: the device access library.
constexpr bool IsDeviceLibraryConnection(std::int64_t type)
{
    return !IsImageConnection(type) && !IsAdapterConnection(type);
}

constexpr bool ReadsGeometryOnConnect(std::int64_t type)
{
    return ConnectTypeRow(type).readsGeometryOnConnect;
}

constexpr bool HasLiveStatus(std::int64_t type)
{
    return ConnectTypeRow(type).liveStatus;
}

constexpr bool RecorderResetsItself(std::int64_t type)
{
    return ConnectTypeRow(type).resetsItself;
}

constexpr bool WritesBlockByPages(std::int64_t type)
{
    return ConnectTypeRow(type).writesBlockByPages;
}
