#pragma once

#include <cstdint>

#include "core/flash/FlashGeometry.h"

// Writes and erases of flash pages and blocks. Failures are the link's
// (TERecXchange).

// pageCount pages from data (page size bytes each, back to back) to the
// pages firstPage, firstPage + 1, ...: each one a command 14 then 16.
void WritePages(const TFlashGeometry& geometry, const std::uint8_t* data, std::uint32_t firstPage,
                std::uint32_t pageCount);

// A whole block (pages per block x page size bytes) in one command 0, or
// page by page where the connection type has no block write.
void WriteBlock(std::uint32_t connectType, const TFlashGeometry& geometry, std::uint32_t block,
                const std::uint8_t* data);

// Command 18. True: the recorder gives no other answer.
bool EraseBlock(std::uint32_t block);
