#pragma once

#include <cstdint>

// copies holds three consecutive copies of length bytes. Per byte: copy 0
// when copies 0 and 1 agree, else copy 2 (even when it differs from both).
void MajorityOf3(const std::uint8_t* copies, std::uint8_t* out, std::uint32_t length);

// Writes source three times, one copy after another, into target.
void WriteThreeCopies(const void* source, std::uint8_t* target, std::uint32_t length);
