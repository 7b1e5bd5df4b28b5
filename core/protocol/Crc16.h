#pragma once

#include <cstdint>

// CRC-16 with polynomial 0x1021, most significant bit first, no reflection,
// no final inversion. With initial value 0 this is CRC-16/XMODEM.
// Initial values in use: 0 (frames, image block table), 0x11EE (image
// header), 0xAB (block headers).
std::uint16_t Crc16Update(const void* data, std::uint32_t length, std::uint16_t initial);
