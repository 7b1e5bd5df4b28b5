#pragma once

#include <cstddef>

#include "core/flash/ScanTexts.h"

struct TRecorderJobContext;

// After an upload job wrote its first blocks of the free list: files them
// into the job's lists as a full scan would, so the next upload needs no
// scan, and says so in the results (content not changed, the free bytes).
// When that cannot be done (the blocks join an item already listed, or the
// read back fails) the content stays changed and the next user scans.
void TakeUploadedBlocks(TRecorderJobContext& context, std::size_t blocks, const TScanTexts& texts);
