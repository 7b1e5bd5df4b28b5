#pragma once

#include "core/flash/BlockRecord.h"
#include "core/recorder/OwnedList.h"

// Blocks of a recording, of a flash-drive file, or the recorder's free blocks.
class TBlockList : public TOwnedList<TBlockRecord> {};
