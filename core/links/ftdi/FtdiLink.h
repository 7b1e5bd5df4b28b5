#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/links/ftdi/D2xxApi.h"
#include "core/links/ftdi/D2xxLibrary.h"

// The FTDI adapter link of connection types 0, 2 and 4: the adapter's D2XX
// library loaded at run time, the device opened and configured once, the
// byte loops, frames, the identity probe and the command executor.

// What the adapter answers to command 34: the text and its zero byte.
inline constexpr std::array<std::uint8_t, 27> kAdapterIdentity = {'V', 'e', 'v', 'u', 'z', 'u', 'v', '_', 'A',
                                                                  'v', 'u', 'v', 'a', 'z', 'a', 'v', '_', 'I',
                                                                  'r', 'o', 'z', 'e', 'v', 'o', 'r', 'u', 0};

namespace ftdi {

constexpr std::uint32_t kBaudRate = 1500000;
constexpr std::uint32_t kUsbTransferSize = 32768;
constexpr std::uint32_t kDeviceTimeoutMs = 300; // read and write time-outs of the device
constexpr std::uint32_t kSendTimeoutMs = 300;
constexpr std::uint32_t kIdentityTimeoutMs = 100;
constexpr std::uint32_t kMaxReadChunk = 64;

} // namespace ftdi

// Milliseconds of the monotonic clock (a step of the wall clock neither
// cuts nor stretches a time-out).
std::uint64_t FtdiMonotonicMs();

// The process-wide state of the link, gathered so tests can reset it.
struct TFtdiLinkState {
    TD2xxLibrary Library;
    bool LibraryLoaded = false;
    bool AdapterPresent = false; // latched once a device was listed
    d2xx::FT_HANDLE Handle = nullptr;
    // Seams: library files to try (empty: DefaultD2xxLibraryNames()) and
    // the monotonic millisecond clock of the stall time-outs.
    std::vector<std::string> LibraryNames;
    std::uint64_t (*NowMs)() = FtdiMonotonicMs;
};

TFtdiLinkState& FtdiLinkState();
// Closes the device, unloads the library and restores the seams (tests).
void ResetFtdiLink();

bool FtdiLoadLibrary();
bool FtdiDevicePresent();
bool FtdiOpen();
void FtdiClose();

// The byte loops. The time-out bounds a pause without progress, not the
// whole transfer; the first non-OK status ends the loop. True when every
// byte went.
bool FtdiWrite(std::uint32_t length, const void* data, std::uint32_t timeoutMs);
bool FtdiRead(std::uint32_t length, void* data, std::uint32_t timeoutMs);

bool SendFrame(std::uint8_t code, std::uint32_t length, const void* payload, std::uint32_t timeoutMs);
// Reads a reply frame of a known payload length; only its length and CRC
// are checked, not its marker and code: silence on the adapter is a
// time-out, never a frame of zeros. payload is untouched unless the frame
// arrived whole and its CRC matched.
bool ReceiveFrame(std::uint32_t length, void* payload, std::uint32_t timeoutMs);

// LinkProbe of the adapters: open, configure and ask for the identity.
bool FtdiProbe();

// LinkTransaction of the adapters: the command table's attempts, each
// waiting the given time-out for the reply; a failure of command 65 stays
// silent.
void FtdiExecute(std::uint8_t code, const void* request, std::uint32_t requestLength, void* reply,
                 std::uint32_t replyLength, std::uint32_t timeoutMs);
