#pragma once

#include <cstdint>

// The device library's operations, as the exports of Q71_API.h run them.
// Tests call them in-process with a simulated device behind the file seam.
namespace q71 {

// Connect, or check the open connection without an exchange.
bool IsConnected();
// The 12-byte flash parameter block of the last successful connect.
void GetFlashParams(void* params);

bool ReadPages(std::uint32_t firstPage, void* buffer, std::uint16_t pageCount);
bool WritePages(std::uint32_t firstPage, const void* data, std::uint16_t pageCount);
// partSize bytes at offset of each of count pages firstPage, firstPage +
// step, ...; out receives partSize x count bytes, part after part.
bool ReadPartsOfPages(std::uint32_t firstPage, std::uint16_t count, std::uint16_t offset, std::uint16_t partSize,
                      std::uint16_t step, void* out);
bool BlockErase(std::uint32_t page);

bool SendI2C(const void* bytes, std::uint8_t length);
// Copies length bytes of the answer only when the exchange succeeded.
bool ReceiveI2C(void* buffer, std::uint8_t length);

}  // namespace q71
