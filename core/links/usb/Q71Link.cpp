#include "core/links/usb/Q71Link.h"

#include <vector>

#include "core/links/LinkGeometry.h"
#include "core/links/usb/Q71Library.h"
#include "core/links/usb/Q71LocalCommand.h"
#include "core/protocol/CommandTrace.h"
#include "core/protocol/DebugLog.h"
#include "core/protocol/RecXchange.h"
#include "core/protocol/RecorderCommands.h"
#include "core/protocol/RecorderFrame.h"
#include "massstorage/Q71Protocol.h"

namespace {

// The byte channel carries its length in one byte.
constexpr std::size_t kMaxChannelBytes = 255;
// Recorder blocks assumed when the recorder does not tell its count.
constexpr std::uint32_t kDefaultRecorderBlocks = 2048;

bool Q71SendFrame(std::uint8_t code, std::uint32_t length, const void* payload)
{
    if (frame::FrameSize(length) > kMaxChannelBytes)
        return false;  // would be cut short by the length byte
    std::uint8_t out[kMaxChannelBytes];
    BuildRecorderFrame(out, code, payload, length);
    return Q71Library().SendI2C(out, static_cast<std::uint8_t>(frame::FrameSize(length))) != 0;
}

bool Q71ReceiveFrame(std::uint8_t code, std::uint32_t length, void* payload)
{
    if (frame::FrameSize(length) > kMaxChannelBytes)
        return false;
    std::uint8_t in[kMaxChannelBytes];
    if (!Q71Library().ReceiveI2C(in, static_cast<std::uint8_t>(frame::FrameSize(length))))
        return false;
    return DecodeRecorderReply(in, code, length, payload);
}

bool RunQ71Command(std::uint8_t code, const void* request, std::uint32_t requestLength, void* reply,
                   std::uint32_t replyLength)
{
    const bool replyExpected = reply && replyLength > 0;
    if (IsQ71LocalCommand(code)) {
        if (!Q71LocalCommand(code, static_cast<const std::uint8_t*>(request), request ? requestLength : 0))
            return false;
        if (!replyExpected)
            return true;
        auto& pending = Q71LinkState().Pending;
        if (pending.Fetch(reply, replyLength))
            return true;
        pending.Clear();
        return false;
    }
    if (replyExpected && frame::FrameSize(replyLength) > kMaxChannelBytes)
        return false;  // the answer could not come back whole
    if (!Q71SendFrame(code, request ? requestLength : 0, request))
        return false;
    return !replyExpected || Q71ReceiveFrame(code, replyLength, reply);
}

QString FlashIdText(const std::uint8_t* id)
{
    QString text;
    for (int i = 0; i < 5; ++i)
        text += QStringLiteral("%1").arg(id[i], 2, 16, QLatin1Char('0')).toUpper();
    return text;
}

}  // namespace

TQ71LinkState& Q71LinkState()
{
    static TQ71LinkState state;
    return state;
}

void ResetQ71Link()
{
    Q71LinkState() = TQ71LinkState{};
}

std::uint8_t BlockGroupFactorFor(std::uint32_t totalBlocks, const std::uint16_t* recorderBlocks)
{
    // A reply of 0 or one that gives a factor outside 1..255 counts as no
    // answer: a factor kept in 8 bits would wrap, and a factor of 0 sends
    // every block to page 0, the disk's FAT.
    if (recorderBlocks && *recorderBlocks != 0) {
        const std::uint32_t factor = totalBlocks / *recorderBlocks;
        if (factor >= 1 && factor <= 255)
            return static_cast<std::uint8_t>(factor);
    }
    const std::uint32_t factor = totalBlocks / kDefaultRecorderBlocks;
    if (factor == 0)
        return 1;
    return factor <= 255 ? static_cast<std::uint8_t>(factor) : 0;
}

bool Q71Probe()
{
    const auto& library = Q71Library();
    if (!library.IsConnected())
        return false;
    std::uint8_t block[FlashParams::kSize] = {};
    library.GetFlashParams(block);
    const FlashParams params = FlashParams::Parse(block);
    auto& geometry = LinkGeometry;
    auto& state = Q71LinkState();
    geometry.chipCount = params.chips;
    state.DeviceText = FlashIdText(params.flashId.data());
    geometry.pageSize = params.pageSize;
    geometry.spareSize = params.spareSize;
    geometry.pagesPerBlock = params.pagesPerBlock;
    geometry.blocksPerChip = params.blocksPerChip;
    geometry.pageStride = geometry.pageSize;  // no spare bytes over this link
    geometry.blockStride = std::uint32_t{geometry.pageSize} * geometry.pagesPerBlock;
    state.BlockGroupFactor = 1;
    state.Pending.Clear();
    if (geometry.chipCount == 0)
        return false;

    const std::uint32_t totalBlocks = geometry.TotalBlocks();
    std::uint8_t reply[2] = {0xFF, 0xFF};
    std::uint8_t factor = 0;
    try {
        Q71Execute(cmdGetBlockCount, nullptr, 0, reply, sizeof reply, CommandTimeoutMs(cmdGetBlockCount));
        const std::uint16_t recorderBlocks = GetU16(reply);
        factor = BlockGroupFactorFor(totalBlocks, &recorderBlocks);
    } catch (const TERecXchange&) {
        factor = BlockGroupFactorFor(totalBlocks, nullptr);
    }
    if (factor == 0)
        return false;
    state.BlockGroupFactor = factor;
    return true;
}

void Q71Execute(std::uint8_t code, const void* request, std::uint32_t requestLength, void* reply,
                std::uint32_t replyLength, std::uint32_t)
{
    TraceCommand(true, code, request);
    if (!RunQ71Command(code, request, requestLength, reply, replyLength)) {
        DebugLog(QStringLiteral("FAILED!!!"));
        ThrowIoError(code);
    }
    TraceCommand(false, code, reply);
}
