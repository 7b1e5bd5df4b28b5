#pragma once

#include "core/flash/ScanContext.h"

class TSoundFileInfo;

// Builds a recording from the block records the scan gave it: sorts the
// blocks by time, walks their pages into the page list (reading status
// words and break stamps only where the next block does not follow in
// time), splits the voice parts and describes the recording and its parts.
// Link failures raise TERecXchange.
void CollectSoundFileInfo(const TScanContext& context, TSoundFileInfo& recording);

// Description, status, size, length and start time of a recording or a
// voice part, from its header field and its pages.
void DescribeSoundFile(const TScanContext& context, TSoundFileInfo& info);
