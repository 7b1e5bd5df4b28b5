#include "tests/support/SimRecorderFtdiDevice.h"

#include "core/protocol/RecorderCommands.h"
#include "core/protocol/RecorderFrame.h"

namespace {

// The frame's length: from its length byte, or from the command table when
// the byte is saturated (page and block writes).
std::size_t FrameLength(const std::uint8_t* data, std::size_t length, const SimRecorder& recorder)
{
    if (length < frame::kHeaderSize)
        return 0;
    if (data[3] < 255)
        return frame::FrameSize(data[3]);
    const PayloadGeometry geometry{recorder.PageStride(), recorder.Geometry().pagesPerBlock};
    const auto payload = CommandRequestLength(data[2], geometry, true);
    // An unknown long frame: take what is there so the stream cannot stall.
    return payload ? frame::FrameSize(*payload) : length;
}

} // namespace

std::size_t SimRecorderFtdiDevice::Consume(const std::uint8_t* data, std::size_t length,
                                           std::vector<std::uint8_t>& reply)
{
    const std::size_t frameLength = FrameLength(data, length, m_recorder);
    if (frameLength == 0 || frameLength > length)
        return 0;
    if (auto answer = m_recorder.ServeFrame({data, frameLength}))
        reply.insert(reply.end(), answer->begin(), answer->end());
    return frameLength;
}
