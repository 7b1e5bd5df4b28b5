#pragma once

#include <QString>
#include <cstdint>

#include "core/flash/FlashGeometry.h"

// The identity reads of a recorder over the current link. Each raises
// TERecXchange when its command fails.

// Command 29, then command 78 for the first data block (a recorder without
// command 78 keeps its first 4 MiB for firmware). A reply without pages is
// broken: an I/O error of command 29.
TFlashGeometry ReadFlashGeometry();

// The firmware version (command 20).
std::uint16_t ReadFirmwareVersion();

// The serial number from the production parameters, in decimal.
QString ReadSerialNumber();
