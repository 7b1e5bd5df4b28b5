#pragma once

#include <cstdint>

// One recording on the recorder (or a voice part of one). The content scan
// adds the rest of what it learns about a recording.
class TCustomSoundFileInfo {
public:
    virtual ~TCustomSoundFileInfo() = default;

    std::uint16_t Number = 0;  // record number; a voice part's part number from 1
};

class TSoundFileInfo : public TCustomSoundFileInfo {};
