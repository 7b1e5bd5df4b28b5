#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A recorder frame: "ZZ", command code, payload length saturated at 255,
// the payload (all of it, also beyond 255 bytes), then the CRC-16 (initial
// 0) of everything before it, low byte first. Requests and replies share it.
namespace frame {

constexpr std::uint8_t kMarker = 0x5A;
constexpr std::size_t kHeaderSize = 4;
constexpr std::size_t kOverhead = 6;

constexpr std::size_t FrameSize(std::size_t payloadLength) { return payloadLength + kOverhead; }

}  // namespace frame

// Builds the frame into out, which holds FrameSize(length) bytes.
void BuildRecorderFrame(std::uint8_t* out, std::uint8_t code, const void* payload, std::size_t length);
std::vector<std::uint8_t> BuildRecorderFrame(std::uint8_t code, const void* payload, std::size_t length);

// Checks a received frame whose payload length the receiver knows from
// the command (the length byte saturates, so it is never trusted). Only the
// CRC is checked. On success the payload is copied to payload, which is
// left untouched otherwise.
bool DecodeRecorderFrame(const std::uint8_t* frame, std::size_t payloadLength, void* payload);

// DecodeRecorderFrame for the reply to command code: the marker and the code
// must match as well. A reply of the recorder always carries them, while a
// channel that read nothing hands over zeros, whose CRC from 0 is 0.
bool DecodeRecorderReply(const std::uint8_t* frame, std::uint8_t code, std::size_t payloadLength, void* payload);
