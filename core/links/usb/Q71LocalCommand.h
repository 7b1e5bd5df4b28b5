#pragma once

#include <cstdint>

// The flash commands the device-library link carries out itself on the
// library's page functions (0, 14, 16, 18, 29, 76).
bool IsQ71LocalCommand(std::uint8_t code);

// Runs one of them; its reply (if any) is left in the link's pending reply.
// False when the request is too short or out of range, or a library call
// failed.
bool Q71LocalCommand(std::uint8_t code, const std::uint8_t* request, std::uint32_t requestLength);

// The smallest part size >= length whose multiple by cycles is a multiple
// of 512 (0 stays 0).
std::uint32_t RoundPartForCycles(std::uint32_t length, std::uint32_t cycles);
