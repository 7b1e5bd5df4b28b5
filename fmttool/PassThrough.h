#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fmttool/ScsiFailure.h"
#include "massstorage/Q71Protocol.h"

// The formatting tool's device functions: the recorder's commands as SCSI
// commands on its USB disk, below the file system. They carry the names of
// the device library's exports but live in a namespace of their own and are
// not exported, so a program can link both.
//
// Every function but the getters returns true for success. On failure
// LastFailure() says why; each call starts with it cleared.
namespace passthrough {

// The paths of every recorder found: the SCSI generic devices, in numeric
// order, that pass the identity test and the identify.
std::vector<std::string> Q71_GetDevices();

// With a path: tests that device only. Without one: tries the devices in
// order (the identify only after the identity test passed) and stores the
// path of the first recorder found, for the later calls. Success makes the
// device the one the other functions use.
bool Q71_IsConnected(std::optional<std::string>& path);

// The parameters of the last successful identify; all zero before.
FlashParams Q71_GetFlashParams();
// The device's sector size; 512 until an identify succeeded.
std::uint32_t Q71_GetSectorSize();

// The page functions need an identified device. Each stops at the first
// failed command; a call with nothing to move sends nothing and succeeds.
bool Q71_ReadPages(std::uint32_t firstPage, void* buffer, std::uint16_t pageCount);
bool Q71_WritePages(std::uint32_t firstPage, const void* data, std::uint16_t pageCount);
// partSize bytes at offset of each of count pages firstPage, firstPage +
// step, ...; out receives exactly partSize x count bytes, part after part.
bool Q71_ReadPartsOfPages(std::uint32_t firstPage, std::uint16_t count, std::uint16_t offset, std::uint16_t partSize,
                          std::uint16_t step, void* out);

// The recorder's own command link; more than 64 bytes are refused unsent.
inline constexpr std::uint8_t kMaxLinkBytes = 64;
bool Q71_SendI2C(const void* data, std::uint8_t length);
bool Q71_ReceiveI2C(void* buffer, std::uint8_t length);

const TScsiFailure& LastFailure();

}  // namespace passthrough
