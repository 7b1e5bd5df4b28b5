#pragma once

#include <cstdint>
#include <stdexcept>

#include "core/flash/FlashGeometry.h"

class TBlockList;
struct TBlockHeader;
struct TBlockRecord;

// The flash no longer holds what the lists say: a block of the item now
// carries another header. The text asks for a refresh (ContentChangedStr).
class EContentChanged : public std::runtime_error {
public:
    EContentChanged();
};

enum class TBlockOwnerKind : std::uint8_t { Recording, DriveFile };

// The header read from the flash is the one the scan saw for this block of
// the item: the same owner, sequence and time.
bool SameOwner(const TBlockHeader& onFlash, const TBlockHeader& listed, TBlockOwnerKind kind);

// Reads the header of each block of the list (or of the first count, -1 for
// all) and raises EContentChanged when one is not the item's. Link failures
// are the link's (TERecXchange).
void CheckBlocksBelong(const TFlashGeometry& geometry, const TBlockList& blocks, TBlockOwnerKind kind, int count = -1);
