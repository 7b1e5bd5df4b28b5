#pragma once

#include <cstdint>

// Sample-rate codes of the recorder's profiles and the image header.
std::uint16_t RateCodeToHz(std::uint8_t code);   // 0 -> 16000, 1 -> 8000, else 4000
std::uint8_t RateHzToCode(std::uint16_t hz);     // 8000 -> 1, 16000 -> 0, else 2
