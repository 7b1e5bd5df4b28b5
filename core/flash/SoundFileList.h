#pragma once

#include <cstdint>

#include "OwnedList.h"
#include "SoundFileInfo.h"

// Recordings, or the voice parts of one recording; frees its items.
class TCustomSoundFileList : public TOwnedList<TSoundFileInfo> {
public:
    // Index of the item with that number, or -1.
    int IndexOfNumber(std::uint16_t number) const;
};

class TSoundFileList : public TCustomSoundFileList {};
