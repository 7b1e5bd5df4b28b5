#include "core/recorder/RecorderReads.h"

#include "core/links/Link.h"
#include "core/protocol/RecXchange.h"
#include "core/protocol/RecorderCommands.h"

TFlashGeometry ReadFlashGeometry()
{
    std::uint8_t reply[7] = {};
    RunCommand(cmdGetFlashParam, nullptr, 0, reply, sizeof reply);
    TFlashGeometry geometry;
    geometry.ChipCount = reply[0];
    geometry.PagesPerBlock = GetU16(reply + 1);
    geometry.BlocksPerChip = GetU16(reply + 3);
    geometry.PageSize = GetU16(reply + 5);
    // A geometry without pages, or with more blocks than a block number
    // reaches, is a broken reply, not a recorder.
    if (geometry.PagesPerBlock == 0 || geometry.PageSize == 0 ||
        std::uint32_t{geometry.ChipCount} * geometry.BlocksPerChip > TFlashGeometry::kMaxBlocks)
        ThrowIoError(cmdGetFlashParam);

    try {
        std::uint8_t first[2] = {};
        RunCommand(cmdGetFirstRecBlock, nullptr, 0, first, sizeof first);
        geometry.FirstDataBlock = GetU16(first);
    } catch (const TERecXchange&) {
        const std::uint32_t fallback = 0x400000u / geometry.PagesPerBlock / geometry.PageSize;
        geometry.FirstDataBlock = static_cast<std::uint16_t>(fallback + 1);
    }
    return geometry;
}

std::uint16_t ReadFirmwareVersion()
{
    std::uint8_t firmware[13] = {};
    RunCommand(cmdGetFwVer, nullptr, 0, firmware, sizeof firmware);
    return GetU16(firmware);
}

QString ReadSerialNumber()
{
    std::uint8_t production[8] = {};
    RunCommand(cmdGetProdParam, nullptr, 0, production, sizeof production);
    return QString::number(GetU32(production));
}
