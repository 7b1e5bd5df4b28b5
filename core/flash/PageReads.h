#pragma once

#include <cstdint>

#include "core/flash/BlockHeader.h"
#include "core/flash/FlashGeometry.h"

// Reads of flash pages through command 76 (parts of pages). Failures are
// the link's (TERecXchange).

// Count bytes from byte Offset of the pages PageAddr, PageAddr + AddrInc,
// ... (Cycles pages), back to back into reply (Count x Cycles bytes).
void ReadPageParts(std::uint8_t* reply, std::uint32_t pageAddr, std::uint16_t offset, std::uint16_t count,
                   std::uint16_t addrInc, std::uint16_t cycles);

// All pages of a block (pages per block x page size bytes).
void ReadBlock(const TFlashGeometry& geometry, std::uint8_t* buffer, std::uint32_t block);

// The first count bytes of one page.
void ReadPagePart(std::uint32_t page, std::uint16_t count, std::uint8_t* buffer);

// The voted headers of count consecutive blocks from first, in one command
// (the 64-byte header area of each block's first page). count is at most
// kHeadersPerRead.
constexpr std::uint16_t kHeadersPerRead = 256;
void ReadBlockHeaders(const TFlashGeometry& geometry, TBlockHeader* out, std::uint32_t first, std::uint16_t count);

// The status words of every page of a block (2 bytes each, page order).
void ReadPageStatusWords(const TFlashGeometry& geometry, std::uint32_t block, std::uint8_t* out);
