#include "core/links/ftdi/FtdiLink.h"

#include <QString>
#include <algorithm>
#include <chrono>
#include <cstring>

#include "core/links/ftdi/ThreadPriorityBoost.h"
#include "core/protocol/CommandTrace.h"
#include "core/protocol/DebugLog.h"
#include "core/protocol/RecXchange.h"
#include "core/protocol/RecorderCommands.h"
#include "core/protocol/RecorderFrame.h"

using namespace d2xx;

namespace {

const TD2xxFunctions& Ft()
{
    return FtdiLinkState().Library.Functions;
}

bool DeviceOpen()
{
    const TFtdiLinkState& state = FtdiLinkState();
    return state.LibraryLoaded && state.Handle;
}

void PurgeBoth()
{
    if (DeviceOpen())
        Ft().Purge(FtdiLinkState().Handle, FT_PURGE_RX | FT_PURGE_TX);
}

// Steps 2 to 7 run while every earlier one of them succeeded; the line
// settings, time-outs and the purge are made in any case.
bool FtdiConfigure(FT_HANDLE handle)
{
    const TD2xxFunctions& f = Ft();
    f.SetUSBParameters(handle, ftdi::kUsbTransferSize, ftdi::kUsbTransferSize);
    const bool configured = f.ResetDevice(handle) == FT_OK && f.SetBaudRate(handle, ftdi::kBaudRate) == FT_OK &&
                            f.SetDataCharacteristics(handle, FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE) == FT_OK &&
                            f.SetFlowControl(handle, FT_FLOW_NONE, 0, 0) == FT_OK &&
                            f.SetChars(handle, 0, 0, 0, 0) == FT_OK &&
                            f.SetEventNotification(handle, 0, nullptr) == FT_OK;
    f.SetDtr(handle);
    f.SetRts(handle);
    f.SetTimeouts(handle, ftdi::kDeviceTimeoutMs, ftdi::kDeviceTimeoutMs);
    f.Purge(handle, FT_PURGE_RX | FT_PURGE_TX);
    return configured;
}

// The loop shared by both directions: transfer(offset, count, &done) moves
// at most count bytes. Nothing here allocates, logs or sleeps.
template <typename Transfer>
bool ByteLoop(std::uint32_t length, std::uint32_t timeoutMs, std::uint32_t maxChunk, Transfer transfer)
{
    TFtdiLinkState& state = FtdiLinkState();
    if (!DeviceOpen())
        return length == 0;
    std::uint32_t remaining = length;
    std::uint64_t start = state.NowMs();
    while (remaining > 0 && state.NowMs() - start < timeoutMs) {
        DWORD done = 0;
        if (transfer(length - remaining, std::min(remaining, maxChunk), &done) != FT_OK)
            break;
        if (done > 0) {
            start = state.NowMs();
            remaining -= std::min<std::uint32_t>(done, remaining);
        }
    }
    return remaining == 0;
}

} // namespace

std::uint64_t FtdiMonotonicMs()
{
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

TFtdiLinkState& FtdiLinkState()
{
    static TFtdiLinkState state;
    return state;
}

void ResetFtdiLink()
{
    FtdiClose();
    TFtdiLinkState& state = FtdiLinkState();
    UnloadD2xxLibrary(state.Library);
    state = TFtdiLinkState{};
}

bool FtdiLoadLibrary()
{
    TFtdiLinkState& state = FtdiLinkState();
    try {
        const std::vector<std::string> names =
            state.LibraryNames.empty() ? DefaultD2xxLibraryNames() : state.LibraryNames;
        state.LibraryLoaded = LoadD2xxLibrary(names, state.Library);
    } catch (...) {
        state.LibraryLoaded = false;
    }
    return state.LibraryLoaded;
}

bool FtdiDevicePresent()
{
    if (!FtdiLinkState().LibraryLoaded && !FtdiLoadLibrary())
        return false;
    DWORD count = 0;
    return Ft().ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY) == FT_OK && count > 0;
}

bool FtdiOpen()
{
    TFtdiLinkState& state = FtdiLinkState();
    if (state.Handle)
        return true;
    if (!state.LibraryLoaded)
        return false;
    FT_HANDLE handle = nullptr;
    if (Ft().Open(0, &handle) != FT_OK || !handle) {
        state.Handle = nullptr;
        return false;
    }
    state.Handle = handle;
    FtdiConfigure(handle);
    return true;
}

void FtdiClose()
{
    TFtdiLinkState& state = FtdiLinkState();
    if (DeviceOpen()) {
        PurgeBoth();
        Ft().Close(state.Handle);
    }
    state.Handle = nullptr;
}

bool FtdiWrite(std::uint32_t length, const void* data, std::uint32_t timeoutMs)
{
    auto* bytes = static_cast<std::uint8_t*>(const_cast<void*>(data));
    const FT_Write_t write = Ft().Write;
    const FT_HANDLE handle = FtdiLinkState().Handle;
    return ByteLoop(length, timeoutMs, length, [=](std::uint32_t offset, std::uint32_t count, DWORD* done) {
        return write(handle, bytes + offset, count, done);
    });
}

bool FtdiRead(std::uint32_t length, void* data, std::uint32_t timeoutMs)
{
    auto* bytes = static_cast<std::uint8_t*>(data);
    const FT_Read_t read = Ft().Read;
    const FT_HANDLE handle = FtdiLinkState().Handle;
    return ByteLoop(length, timeoutMs, ftdi::kMaxReadChunk,
                    [=](std::uint32_t offset, std::uint32_t count, DWORD* done) {
                        return read(handle, bytes + offset, count, done);
                    });
}

bool SendFrame(std::uint8_t code, std::uint32_t length, const void* payload, std::uint32_t timeoutMs)
{
    const std::vector<std::uint8_t> frame = BuildRecorderFrame(code, payload, length);
    return FtdiWrite(static_cast<std::uint32_t>(frame.size()), frame.data(), timeoutMs);
}

bool ReceiveFrame(std::uint32_t length, void* payload, std::uint32_t timeoutMs)
{
    std::vector<std::uint8_t> frame(frame::FrameSize(length));
    if (!FtdiRead(static_cast<std::uint32_t>(frame.size()), frame.data(), timeoutMs))
        return false;
    return DecodeRecorderFrame(frame.data(), length, payload);
}

bool FtdiProbe()
{
    TFtdiLinkState& state = FtdiLinkState();
    if (!state.AdapterPresent)
        state.AdapterPresent = FtdiDevicePresent();
    if (!state.AdapterPresent) {
        FtdiClose();
        return false;
    }
    if (!FtdiOpen())
        return false;
    std::array<std::uint8_t, kAdapterIdentity.size()> identity{};
    if (SendFrame(cmdGetAdapterId, 0, nullptr, ftdi::kSendTimeoutMs) &&
        ReceiveFrame(static_cast<std::uint32_t>(identity.size()), identity.data(), ftdi::kIdentityTimeoutMs) &&
        identity == kAdapterIdentity)
        return true;
    FtdiClose();
    return false;
}

void FtdiExecute(std::uint8_t code, const void* request, std::uint32_t requestLength, void* reply,
                 std::uint32_t replyLength, std::uint32_t timeoutMs)
{
    const std::uint32_t replyTimeout = timeoutMs;
    const std::uint32_t attempts = CommandAttempts(code);
    const bool replyExpected = reply && replyLength > 0;

    ThreadPriorityBoost boost;
    bool success = false;
    for (std::uint32_t attempt = 0; attempt < attempts && !success; ++attempt) {
        TraceCommand(true, code, request);
        PurgeBoth();
        const bool sent = SendFrame(code, requestLength, request, ftdi::kSendTimeoutMs);
        success = sent && (!replyExpected || ReceiveFrame(replyLength, reply, replyTimeout));
        if (!success)
            DebugLog(QStringLiteral("FAILED!!!"));
    }
    boost.Restore();

    if (success)
        TraceCommand(false, code, reply);
    else if (code != cmdSetDefault)
        ThrowIoError(code);
}
