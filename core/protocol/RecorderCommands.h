#pragma once

#include <cstdint>
#include <optional>

// The recorder's command codes. Settings come in pairs: code n reads an
// item, n + 1 writes it with the same payload and the same reply length.
enum TRecorderCommand : std::uint8_t {
    cmdWriteBlock = 0,
    cmdGetRtc = 1,
    cmdSetRtc = 2,
    cmdGetProfile = 4,
    cmdSetProfile = 5,
    cmdGetVolt = 7,
    cmdGetVas = 9,
    cmdSetVas = 10,
    cmdBeginWritePage = 14,
    cmdWritePage = 16,
    cmdEraseBlock = 18,
    cmdGetFwVer = 20,
    cmdGetProdParam = 22,
    cmdGetFlashParam = 29,
    cmdGetSearchStep = 31,
    cmdSetSearchStep = 32,
    cmdGetAdapterId = 34,
    cmdGetPressType = 36,
    cmdSetPressType = 37,
    cmdGetAccessLevel = 39,
    cmdSetAccessLevel = 40,
    cmdBatteryLevels = 42,
    cmdGetOnceTimer = 50,
    cmdSetOnceTimer = 51,
    cmdGetDailyTimer = 53,
    cmdSetDailyTimer = 54,
    cmdGetCurrentProfile = 56,
    cmdSetCurrentProfile = 57,
    cmdSetPassword = 61,
    cmdCheckPassword = 63,
    cmdSetDefault = 65,
    cmdGetAon = 67,
    cmdSetAon = 68,
    cmdGetBlockCount = 73,
    cmdGetPartsOfPages = 76,
    cmdGetFirstRecBlock = 78,
    cmdSetDefNoFlashErase = 80,
    cmdGetCodecGain = 82,
    cmdSetCodecGain = 83,
    cmdGetExtDevice = 85,
    cmdSetExtDevice = 86,
};

// How long a payload is: a fixed number of bytes, or one that depends on the
// flash geometry or on the request.
enum class PayloadKind : std::uint8_t {
    Fixed,         // `bytes`
    FixedOrEmpty,  // `bytes` when storing, none when reading (command 42)
    Block,         // u16 block number + pages per block x page stride
    Page,          // u32 page number + page stride
    PartsOfPages,  // Count x Cycles of the command 76 request
};

struct RecorderCommandInfo {
    std::uint8_t code;
    const char* traceName;  // written by the trace after the code; "" for none
    PayloadKind requestKind;
    std::uint16_t requestBytes;
    PayloadKind replyKind;
    std::uint16_t replyBytes;
    std::uint16_t timeoutMs;  // the wait for the reply, each attempt
    std::uint8_t attempts;
};

// The geometry that payload lengths depend on.
struct PayloadGeometry {
    std::uint32_t pageStride = 0;
    std::uint32_t pagesPerBlock = 0;
};

// The request of command 76, little-endian on the wire.
struct PartsOfPagesRequest {
    std::uint32_t pageAddr = 0;
    std::uint16_t offset = 0;
    std::uint16_t count = 0;
    std::uint16_t addrInc = 0;
    std::uint16_t cycles = 0;

    static constexpr std::uint32_t kSize = 12;
    void Serialize(std::uint8_t out[kSize]) const;
    static PartsOfPagesRequest Parse(const std::uint8_t* in);
};

// The one command table; null for a code the recorder does not know.
const RecorderCommandInfo* FindRecorderCommand(std::uint8_t code);

// The time-out callers pass to the link, which waits that long for each
// reply: 300 ms for commands 34 and 65, else 5000 ms. Attempts: 1 for
// command 65, else 5.
std::uint32_t CommandTimeoutMs(std::uint8_t code);
std::uint32_t CommandAttempts(std::uint8_t code);

// Payload lengths of a known command; nullopt where the length cannot be
// told (unknown code, or a command 76 request too short to read).
std::optional<std::uint32_t> CommandRequestLength(std::uint8_t code, const PayloadGeometry& geometry,
                                                  bool storing = false);
std::optional<std::uint32_t> CommandReplyLength(std::uint8_t code, const PayloadGeometry& geometry,
                                                const void* request, std::uint32_t requestLength);

// Little-endian helpers for payloads.
inline std::uint16_t GetU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
inline std::uint32_t GetU32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
inline void PutU16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void PutU32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
