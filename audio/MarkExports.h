#pragma once

#include <cstdint>

#include "audio/MarkBlocks.h"

class MarkStream;

// The integrity mark as the program exports it, over one process-wide
// stream (one stream at a time, from one thread at a time).
using TMarkReadFunction = std::int32_t (*)(void* buffer, std::int32_t length);

extern "C" {
// Starts a new stream; anything held from an earlier one is dropped.
__attribute__((visibility("default"))) void mrk_Init(const TMarkParams* params);
// One piece in, the previous piece marked out (the module's buffer, valid
// until the next call). A piece of at most 1024 bytes is the final flush.
__attribute__((visibility("default"))) void mrk_Process(const std::int16_t* input, std::uint32_t length,
                                                        const void** output, std::uint32_t* outputLength);
// The final sealed block (64 bytes); zeros before the final flush.
__attribute__((visibility("default"))) void mrk_GetAddInfo(void* block);
// Checks a marked stream from its start against the stored final block;
// see MarkStream::Check for the results.
__attribute__((visibility("default"))) int mrk_Check(TMarkReadFunction read, const void* storedBlock, void* storedOut);
}

// The process-wide stream behind the exports, and a fresh one for tests.
MarkStream& ProcessMarkStream();
void ResetMarkStream();
