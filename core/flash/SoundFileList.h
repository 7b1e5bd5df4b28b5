#pragma once

#include <cstdint>

#include "core/flash/SoundFileInfo.h"
#include "core/recorder/OwnedList.h"

// Recordings, or the voice parts of one recording; frees its items.
class TCustomSoundFileList : public TOwnedList<TSoundFileInfo> {
public:
    // Index of the item with that number, or -1.
    int IndexOfNumber(std::uint16_t number) const;
};

class TSoundFileList : public TCustomSoundFileList {};
