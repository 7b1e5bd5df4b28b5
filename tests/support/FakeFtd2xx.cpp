// A fake of the FTDI D2XX library: exports the entry points the adapter
// link resolves and emulates an adapter whose recorder is the test's
// FakeFtdiDevice. Built as libftd2xx.so for the tests only.

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <initializer_list>

#include "core/links/ftdi/D2xxApi.h"
#include "core/links/ftdi/FtdiLink.h"
#include "core/protocol/Crc16.h"
#include "core/protocol/RecorderCommands.h"
#include "core/protocol/RecorderFrame.h"
#include "tests/support/FakeFtd2xx.h"

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

using namespace d2xx;

namespace {

constexpr FT_STATUS kInvalidHandle = 1;
constexpr FT_STATUS kDeviceNotFound = 2;
constexpr FT_STATUS kIoError = 4;

int g_device; // its address is the handle

FakeFtdiControl& Control()
{
    static FakeFtdiControl control;
    return control;
}

int CallerNice()
{
    return ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()));
}

// Logs the call; true when the test asked this entry point to fail.
bool Enter(const char* name, std::initializer_list<std::uint64_t> args = {})
{
    FakeFtdiControl& c = Control();
    if (c.LogCalls)
        c.Calls.push_back({name, std::vector<std::uint64_t>(args), CallerNice()});
    return c.FailingCall == name;
}

bool ValidHandle(FT_HANDLE handle)
{
    return handle == &g_device && Control().Open;
}

bool IsIdentityRequest(const std::vector<std::uint8_t>& bytes)
{
    return bytes.size() >= 4 && bytes[0] == frame::kMarker && bytes[1] == frame::kMarker &&
           bytes[2] == cmdGetAdapterId && bytes[3] == 0;
}

std::vector<std::uint8_t> IdentityReply()
{
    auto identity = kAdapterIdentity;
    const int wrong = Control().WrongIdentityByte;
    if (wrong >= 0 && wrong < static_cast<int>(identity.size()))
        identity[static_cast<std::size_t>(wrong)] ^= 0x20;
    return BuildRecorderFrame(cmdGetAdapterId, identity.data(), identity.size());
}

void Deliver(std::vector<std::uint8_t> reply)
{
    FakeFtdiControl& c = Control();
    if (reply.empty())
        return;
    if (c.Silent)
        return;
    if (c.SilentRequests > 0) {
        --c.SilentRequests;
        return;
    }
    if (c.CorruptCrcReplies > 0) {
        --c.CorruptCrcReplies;
        reply.back() ^= 0xFF;
    } else if (c.WrongMarkerReplies > 0 && reply.size() >= frame::kOverhead) {
        --c.WrongMarkerReplies;
        reply[0] = 0xA5;
        reply[2] ^= 0xFF;
        const auto covered = static_cast<std::uint32_t>(reply.size() - 2);
        const std::uint16_t crc = Crc16Update(reply.data(), covered, 0);
        reply[covered] = static_cast<std::uint8_t>(crc);
        reply[covered + 1] = static_cast<std::uint8_t>(crc >> 8);
    }
    c.ToHost.insert(c.ToHost.end(), reply.begin(), reply.end());
    c.EmptyReadsLeft = c.EmptyReadsBeforePiece;
}

// Serves every whole request frame the host has written so far.
void Serve()
{
    FakeFtdiControl& c = Control();
    while (!c.FromHost.empty()) {
        std::vector<std::uint8_t> reply;
        std::size_t used = 0;
        if (IsIdentityRequest(c.FromHost)) {
            if (c.FromHost.size() < frame::kOverhead)
                return;
            used = frame::kOverhead;
            reply = IdentityReply();
        } else if (c.FromHost.size() < frame::kHeaderSize) {
            return;
        } else if (c.Device) {
            used = c.Device->Consume(c.FromHost.data(), c.FromHost.size(), reply);
            if (used == 0)
                return;
        } else {
            used = c.FromHost.size(); // no recorder behind the adapter
        }
        c.FromHost.erase(c.FromHost.begin(), c.FromHost.begin() + static_cast<std::ptrdiff_t>(used));
        Deliver(std::move(reply));
    }
}

FT_STATUS Simple(const char* name, FT_HANDLE handle, std::initializer_list<std::uint64_t> args = {})
{
    if (Enter(name, args))
        return kIoError;
    return ValidHandle(handle) ? FT_OK : kInvalidHandle;
}

} // namespace

FAKE_EXPORT FakeFtdiControl* FakeFtdi_Control()
{
    return &Control();
}

FAKE_EXPORT FT_STATUS FT_ListDevices(LPVOID arg1, LPVOID, DWORD flags)
{
    if (Enter("FT_ListDevices", {flags}))
        return kIoError;
    if (flags & FT_LIST_NUMBER_ONLY)
        *static_cast<DWORD*>(arg1) = Control().DeviceCount;
    return FT_OK;
}

FAKE_EXPORT FT_STATUS FT_Open(int deviceNumber, FT_HANDLE* handle)
{
    FakeFtdiControl& c = Control();
    ++c.OpenCount;
    if (Enter("FT_Open", {static_cast<std::uint64_t>(deviceNumber)}) || c.OpenFails)
        return kIoError;
    if (deviceNumber < 0 || static_cast<std::uint32_t>(deviceNumber) >= c.DeviceCount)
        return kDeviceNotFound;
    c.Open = true;
    c.FromHost.clear();
    c.DropReplies();
    *handle = &g_device;
    return FT_OK;
}

FAKE_EXPORT FT_STATUS FT_Close(FT_HANDLE handle)
{
    const FT_STATUS status = Simple("FT_Close", handle);
    if (status == FT_OK)
        Control().Open = false;
    return status;
}

FAKE_EXPORT FT_STATUS FT_Write(FT_HANDLE handle, LPVOID buffer, DWORD count, DWORD* written)
{
    *written = 0;
    const FT_STATUS status = Simple("FT_Write", handle, {count});
    if (status != FT_OK)
        return status;
    FakeFtdiControl& c = Control();
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    c.FromHost.insert(c.FromHost.end(), bytes, bytes + count);
    c.BytesWritten += count;
    *written = count;
    Serve();
    return FT_OK;
}

FAKE_EXPORT FT_STATUS FT_Read(FT_HANDLE handle, LPVOID buffer, DWORD count, DWORD* returned)
{
    *returned = 0;
    FakeFtdiControl& c = Control();
    if (Enter("FT_Read", {count}))
        return kIoError;
    if (!ValidHandle(handle))
        return kInvalidHandle;
    std::uint32_t piece = 0;
    if (c.Unread() > 0) {
        if (c.EmptyReadsLeft > 0) {
            --c.EmptyReadsLeft;
        } else {
            piece = std::min<std::uint32_t>(count, static_cast<std::uint32_t>(c.Unread()));
            if (c.MaxReadPiece > 0)
                piece = std::min(piece, c.MaxReadPiece);
            std::copy_n(c.ToHost.begin() + static_cast<std::ptrdiff_t>(c.ToHostRead), piece,
                        static_cast<std::uint8_t*>(buffer));
            c.ToHostRead += piece;
            if (c.Unread() == 0)
                c.DropReplies();
            c.EmptyReadsLeft = c.EmptyReadsBeforePiece;
        }
    }
    c.BytesRead += piece;
    if (c.LogCalls)
        c.Calls.back().Args.push_back(piece);
    *returned = piece;
    return FT_OK;
}

FAKE_EXPORT FT_STATUS FT_Purge(FT_HANDLE handle, ULONG mask)
{
    const FT_STATUS status = Simple("FT_Purge", handle, {mask});
    if (status != FT_OK)
        return status;
    if (mask & FT_PURGE_RX)
        Control().DropReplies();
    if (mask & FT_PURGE_TX)
        Control().FromHost.clear();
    return FT_OK;
}

FAKE_EXPORT FT_STATUS FT_SetBaudRate(FT_HANDLE handle, ULONG baudRate)
{
    return Simple("FT_SetBaudRate", handle, {baudRate});
}

FAKE_EXPORT FT_STATUS FT_SetDataCharacteristics(FT_HANDLE handle, UCHAR wordLength, UCHAR stopBits, UCHAR parity)
{
    return Simple("FT_SetDataCharacteristics", handle, {wordLength, stopBits, parity});
}

FAKE_EXPORT FT_STATUS FT_SetFlowControl(FT_HANDLE handle, USHORT flowControl, UCHAR xonChar, UCHAR xoffChar)
{
    return Simple("FT_SetFlowControl", handle, {flowControl, xonChar, xoffChar});
}

FAKE_EXPORT FT_STATUS FT_ResetDevice(FT_HANDLE handle)
{
    return Simple("FT_ResetDevice", handle);
}

FAKE_EXPORT FT_STATUS FT_SetDtr(FT_HANDLE handle)
{
    return Simple("FT_SetDtr", handle);
}

FAKE_EXPORT FT_STATUS FT_SetRts(FT_HANDLE handle)
{
    return Simple("FT_SetRts", handle);
}

#ifndef FAKE_FTD2XX_WITHOUT_SETCHARS
FAKE_EXPORT FT_STATUS FT_SetChars(FT_HANDLE handle, UCHAR eventChar, UCHAR eventCharEnabled, UCHAR errorChar,
                                  UCHAR errorCharEnabled)
{
    return Simple("FT_SetChars", handle, {eventChar, eventCharEnabled, errorChar, errorCharEnabled});
}
#endif

FAKE_EXPORT FT_STATUS FT_SetTimeouts(FT_HANDLE handle, ULONG readTimeout, ULONG writeTimeout)
{
    return Simple("FT_SetTimeouts", handle, {readTimeout, writeTimeout});
}

FAKE_EXPORT FT_STATUS FT_SetEventNotification(FT_HANDLE handle, DWORD mask, LPVOID param)
{
    return Simple("FT_SetEventNotification", handle, {mask, reinterpret_cast<std::uintptr_t>(param)});
}

FAKE_EXPORT FT_STATUS FT_SetUSBParameters(FT_HANDLE handle, ULONG inTransferSize, ULONG outTransferSize)
{
    return Simple("FT_SetUSBParameters", handle, {inTransferSize, outTransferSize});
}

#ifndef FAKE_FTD2XX_REQUIRED_ONLY
// Entry points the link resolves when present but never calls.
FAKE_EXPORT FT_STATUS FT_OpenEx(LPVOID, DWORD, FT_HANDLE*)
{
    Enter("FT_OpenEx");
    return kDeviceNotFound;
}

FAKE_EXPORT FT_STATUS FT_IoCtl(FT_HANDLE handle, DWORD, LPVOID, DWORD, LPVOID, DWORD, DWORD*, LPVOID)
{
    return Simple("FT_IoCtl", handle);
}

FAKE_EXPORT FT_STATUS FT_SetDivisor(FT_HANDLE handle, USHORT divisor)
{
    return Simple("FT_SetDivisor", handle, {divisor});
}

FAKE_EXPORT FT_STATUS FT_ClrDtr(FT_HANDLE handle)
{
    return Simple("FT_ClrDtr", handle);
}

FAKE_EXPORT FT_STATUS FT_ClrRts(FT_HANDLE handle)
{
    return Simple("FT_ClrRts", handle);
}

FAKE_EXPORT FT_STATUS FT_GetModemStatus(FT_HANDLE handle, ULONG* status)
{
    *status = 0;
    return Simple("FT_GetModemStatus", handle);
}

FAKE_EXPORT FT_STATUS FT_GetQueueStatus(FT_HANDLE handle, DWORD* rxBytes)
{
    *rxBytes = static_cast<DWORD>(Control().Unread());
    return Simple("FT_GetQueueStatus", handle);
}

FAKE_EXPORT FT_STATUS FT_GetStatus(FT_HANDLE handle, DWORD* rxBytes, DWORD* txBytes, DWORD* eventDWord)
{
    *rxBytes = static_cast<DWORD>(Control().Unread());
    *txBytes = 0;
    *eventDWord = 0;
    return Simple("FT_GetStatus", handle);
}

FAKE_EXPORT FT_STATUS FT_SetBreakOn(FT_HANDLE handle)
{
    return Simple("FT_SetBreakOn", handle);
}

FAKE_EXPORT FT_STATUS FT_SetBreakOff(FT_HANDLE handle)
{
    return Simple("FT_SetBreakOff", handle);
}

FAKE_EXPORT FT_STATUS FT_SetWaitMask(FT_HANDLE handle, DWORD mask)
{
    return Simple("FT_SetWaitMask", handle, {mask});
}

FAKE_EXPORT FT_STATUS FT_WaitOnMask(FT_HANDLE handle, DWORD* mask)
{
    *mask = 0;
    return Simple("FT_WaitOnMask", handle);
}

FAKE_EXPORT FT_STATUS FT_GetEventStatus(FT_HANDLE handle, DWORD* eventDWord)
{
    *eventDWord = 0;
    return Simple("FT_GetEventStatus", handle);
}
#endif
