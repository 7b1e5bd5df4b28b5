// A reply frame checked against a payload length the receiver knows; the
// first two bytes are that length.
#include <cstdint>
#include <vector>

#include "core/protocol/RecorderFrame.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const std::size_t payloadLength = input.U16() % 1024;
    const auto frame = input.Rest();
    // The receiver always holds a whole frame of the length it expects.
    if (frame.size() < frame::FrameSize(payloadLength))
        return 0;
    // Exactly one frame, so a read beyond it is caught.
    const std::vector<std::uint8_t> exact(frame.begin(), frame.begin() + frame::FrameSize(payloadLength));
    std::vector<std::uint8_t> payload(payloadLength);
    DecodeRecorderFrame(exact.data(), payloadLength, payload.data());
    return 0;
}
