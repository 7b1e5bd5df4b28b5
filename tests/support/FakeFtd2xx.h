#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Control of the fake D2XX library (libftd2xx.so built from tests/support):
// an adapter whose recorder is a FakeFtdiDevice, with fault knobs and a log
// of every call. Tests reach it through FakeFtdi_Control() in the loaded
// library (see FakeFtdiLibrary.h). Reads never block: a silent adapter
// answers 0 bytes at once, so tests of silence give the link a stepping
// clock (TFtdiLinkState::NowMs) rather than wait out real time-outs.

// The recorder behind the adapter.
class FakeFtdiDevice {
public:
    virtual ~FakeFtdiDevice() = default;
    // Bytes written by the host, from the start of a request frame. Returns
    // how many of them make up whole frames it served (0 while the first
    // frame is incomplete) and appends the reply frames to reply.
    virtual std::size_t Consume(const std::uint8_t* data, std::size_t length, std::vector<std::uint8_t>& reply) = 0;
};

struct FakeFtdiCall {
    std::string Name;
    std::vector<std::uint64_t> Args; // numeric arguments in order; reads add the bytes given
    int Nice = 0;                    // the calling thread's nice value
};

struct FakeFtdiControl {
    // Knobs.
    std::uint32_t DeviceCount = 1;
    bool OpenFails = false;
    std::string FailingCall;        // this entry point returns an error
    bool Silent = false;            // requests are swallowed without a reply
    int SilentRequests = 0;         // the next n requests go unanswered
    int CorruptCrcReplies = 0;      // the next n replies get a wrong CRC
    int WrongMarkerReplies = 0;     // the next n replies get a wrong marker and code, CRC fixed up
    std::uint32_t MaxReadPiece = 0; // at most this many bytes per read; 0 = as asked
    int EmptyReadsBeforePiece = 0;  // reads that deliver nothing before each piece
    int WrongIdentityByte = -1;     // this byte of the identity reply is changed
    bool LogCalls = true;

    // What the fake did.
    std::vector<FakeFtdiCall> Calls;
    bool Open = false;
    std::uint32_t OpenCount = 0;
    std::vector<std::uint8_t> FromHost; // bytes not yet served
    std::vector<std::uint8_t> ToHost;   // reply bytes, read up to ToHostRead
    std::size_t ToHostRead = 0;
    std::uint64_t BytesWritten = 0;
    std::uint64_t BytesRead = 0;
    int EmptyReadsLeft = 0;
    FakeFtdiDevice* Device = nullptr;

    void Reset() { *this = FakeFtdiControl{}; }
    std::size_t Unread() const { return ToHost.size() - ToHostRead; }
    void DropReplies()
    {
        ToHost.clear();
        ToHostRead = 0;
    }

    // Names of the logged calls, in order (tests).
    std::vector<std::string> CallNames() const
    {
        std::vector<std::string> names;
        for (const FakeFtdiCall& call : Calls)
            names.push_back(call.Name);
        return names;
    }
    std::size_t CountCalls(const std::string& name) const
    {
        std::size_t count = 0;
        for (const FakeFtdiCall& call : Calls)
            count += call.Name == name;
        return count;
    }
};

extern "C" FakeFtdiControl* FakeFtdi_Control();
