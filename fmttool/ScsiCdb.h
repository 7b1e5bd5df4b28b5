#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace passthrough {

// The standard command blocks the formatting tool sends. Every block goes out
// as 16 bytes, as the recorder's firmware has always received them; fields
// are big-endian.
using TCdb = std::array<std::uint8_t, 16>;

enum class TDataDirection { None, In, Out };

// The first bytes of the INQUIRY answer that mark a recorder.
inline constexpr std::size_t kInquiryLength = 36;
extern const std::array<std::uint8_t, kInquiryLength> Q71InquiryAnswer;

// Bytes of the READ CAPACITY(10) answer.
inline constexpr std::size_t kReadCapacityLength = 8;

// INQUIRY for kInquiryLength bytes: with allocation length 0 a device
// answers nothing at all.
TCdb InquiryCdb();
TCdb ReadCapacityCdb();
TCdb Read10Cdb(std::uint32_t blockAddress, std::uint16_t blockCount);

// The block length of a READ CAPACITY(10) answer.
std::uint32_t BlockLengthOf(const std::uint8_t* answer);

void PutBigEndian16(std::uint8_t* out, std::uint16_t value);
void PutBigEndian32(std::uint8_t* out, std::uint32_t value);
std::uint32_t GetBigEndian32(const std::uint8_t* in);

}  // namespace passthrough
