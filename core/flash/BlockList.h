#pragma once

#include "BlockRecord.h"
#include "OwnedList.h"

// Blocks of a recording, of a flash-drive file, or the recorder's free blocks.
class TBlockList : public TOwnedList<TBlockRecord> {};
