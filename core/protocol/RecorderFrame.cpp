#include "core/protocol/RecorderFrame.h"

#include <cstring>

#include "core/protocol/Crc16.h"

void BuildRecorderFrame(std::uint8_t* out, std::uint8_t code, const void* payload, std::size_t length)
{
    out[0] = frame::kMarker;
    out[1] = frame::kMarker;
    out[2] = code;
    out[3] = static_cast<std::uint8_t>(length <= 255 ? length : 255);
    if (length > 0)
        std::memcpy(out + frame::kHeaderSize, payload, length);
    const std::uint16_t crc = Crc16Update(out, static_cast<std::uint32_t>(length + frame::kHeaderSize), 0);
    out[frame::kHeaderSize + length] = static_cast<std::uint8_t>(crc & 0xFF);
    out[frame::kHeaderSize + length + 1] = static_cast<std::uint8_t>(crc >> 8);
}

std::vector<std::uint8_t> BuildRecorderFrame(std::uint8_t code, const void* payload, std::size_t length)
{
    std::vector<std::uint8_t> out(frame::FrameSize(length));
    BuildRecorderFrame(out.data(), code, payload, length);
    return out;
}

bool DecodeRecorderFrame(const std::uint8_t* frame, std::size_t payloadLength, void* payload)
{
    const std::size_t covered = payloadLength + frame::kHeaderSize;
    const std::uint16_t crc = Crc16Update(frame, static_cast<std::uint32_t>(covered), 0);
    const std::uint16_t stored = static_cast<std::uint16_t>(frame[covered] | frame[covered + 1] << 8);
    if (crc != stored)
        return false;
    if (payloadLength > 0)
        std::memcpy(payload, frame + frame::kHeaderSize, payloadLength);
    return true;
}

bool DecodeRecorderReply(const std::uint8_t* frame, std::uint8_t code, std::size_t payloadLength, void* payload)
{
    if (frame[0] != frame::kMarker || frame[1] != frame::kMarker || frame[2] != code)
        return false;
    return DecodeRecorderFrame(frame, payloadLength, payload);
}
