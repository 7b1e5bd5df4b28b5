#include "core/protocol/RecorderCommands.h"

#include <algorithm>
#include <array>

namespace {

using K = PayloadKind;

// How long a link waits for a reply, and how often it tries. The recorder
// answers 34 and 65 at once or not at all; 65 resets it and is tried once.
constexpr std::uint16_t kDefaultTimeout = 5000;
constexpr std::uint16_t kQuickTimeout = 300;
constexpr std::uint8_t kDefaultAttempts = 5;

// code, trace name, request, reply, time-out, attempts.
constexpr std::array<RecorderCommandInfo, 41> kCommands{{
    {cmdWriteBlock, "(WRITE_BLOCK) ", K::Block, 2, K::Fixed, 0, kDefaultTimeout, kDefaultAttempts},
    {cmdGetRtc, "(GET_RTC) ", K::Fixed, 0, K::Fixed, 4, kDefaultTimeout, kDefaultAttempts},
    {cmdSetRtc, "", K::Fixed, 4, K::Fixed, 4, kDefaultTimeout, kDefaultAttempts},
    {cmdGetProfile, "", K::Fixed, 1, K::Fixed, 8, kDefaultTimeout, kDefaultAttempts},
    {cmdSetProfile, "", K::Fixed, 8, K::Fixed, 8, kDefaultTimeout, kDefaultAttempts},
    {cmdGetVolt, "(GET_VOLT) ", K::Fixed, 0, K::Fixed, 2, kDefaultTimeout, kDefaultAttempts},
    {cmdGetVas, "", K::Fixed, 0, K::Fixed, 12, kDefaultTimeout, kDefaultAttempts},
    {cmdSetVas, "", K::Fixed, 12, K::Fixed, 12, kDefaultTimeout, kDefaultAttempts},
    {cmdBeginWritePage, "(BEG_WRITE_PAGE) ", K::Fixed, 4, K::Fixed, 4, kDefaultTimeout, kDefaultAttempts},
    {cmdWritePage, "(WRITE_PAGE) ", K::Page, 4, K::Fixed, 4, kDefaultTimeout, kDefaultAttempts},
    {cmdEraseBlock, "(WRITE_BLOCK) ", K::Fixed, 2, K::Fixed, 2, kDefaultTimeout, kDefaultAttempts},
    {cmdGetFwVer, "(GET_FW_VER) ", K::Fixed, 0, K::Fixed, 13, kDefaultTimeout, kDefaultAttempts},
    {cmdGetProdParam, "(GET_PROD_PARAM) ", K::Fixed, 0, K::Fixed, 8, kDefaultTimeout, kDefaultAttempts},
    {cmdGetFlashParam, "(GET_FLASH_PARAM) ", K::Fixed, 0, K::Fixed, 7, kDefaultTimeout, kDefaultAttempts},
    {cmdGetSearchStep, "", K::Fixed, 0, K::Fixed, 1, kDefaultTimeout, kDefaultAttempts},
    {cmdSetSearchStep, "", K::Fixed, 1, K::Fixed, 1, kDefaultTimeout, kDefaultAttempts},
    {cmdGetAdapterId, "", K::Fixed, 0, K::Fixed, 27, kQuickTimeout, kDefaultAttempts},
    {cmdGetPressType, "", K::Fixed, 0, K::Fixed, 1, kDefaultTimeout, kDefaultAttempts},
    {cmdSetPressType, "", K::Fixed, 1, K::Fixed, 1, kDefaultTimeout, kDefaultAttempts},
    {cmdGetAccessLevel, "", K::Fixed, 0, K::Fixed, 1, kDefaultTimeout, kDefaultAttempts},
    {cmdSetAccessLevel, "", K::Fixed, 1, K::Fixed, 1, kDefaultTimeout, kDefaultAttempts},
    {cmdBatteryLevels, "", K::FixedOrEmpty, 8, K::Fixed, 8, kDefaultTimeout, kDefaultAttempts},
    {cmdGetOnceTimer, "", K::Fixed, 0, K::Fixed, 9, kDefaultTimeout, kDefaultAttempts},
    {cmdSetOnceTimer, "", K::Fixed, 9, K::Fixed, 9, kDefaultTimeout, kDefaultAttempts},
    {cmdGetDailyTimer, "", K::Fixed, 0, K::Fixed, 9, kDefaultTimeout, kDefaultAttempts},
    {cmdSetDailyTimer, "", K::Fixed, 9, K::Fixed, 9, kDefaultTimeout, kDefaultAttempts},
    {cmdGetCurrentProfile, "", K::Fixed, 0, K::Fixed, 1, kDefaultTimeout, kDefaultAttempts},
    {cmdSetCurrentProfile, "", K::Fixed, 1, K::Fixed, 1, kDefaultTimeout, kDefaultAttempts},
    {cmdSetPassword, "", K::Fixed, 7, K::Fixed, 7, kDefaultTimeout, kDefaultAttempts},
    {cmdCheckPassword, "(CHECK_PW) ", K::Fixed, 7, K::Fixed, 1, kDefaultTimeout, kDefaultAttempts},
    {cmdSetDefault, "(SET_DEFAULT) ", K::Fixed, 0, K::Fixed, 0, kQuickTimeout, 1},
    {cmdGetAon, "", K::Fixed, 0, K::Fixed, 26, kDefaultTimeout, kDefaultAttempts},
    {cmdSetAon, "", K::Fixed, 26, K::Fixed, 26, kDefaultTimeout, kDefaultAttempts},
    {cmdGetBlockCount, "", K::Fixed, 0, K::Fixed, 2, kDefaultTimeout, kDefaultAttempts},
    {cmdGetPartsOfPages, "(GET_PARTS_OF_PAGES) ", K::Fixed, 12, K::PartsOfPages, 0, kDefaultTimeout, kDefaultAttempts},
    {cmdGetFirstRecBlock, "(GET_FIRST_REC_BL) ", K::Fixed, 0, K::Fixed, 2, kDefaultTimeout, kDefaultAttempts},
    {cmdSetDefNoFlashErase, "(SET_DEF_NO_FLASH_ERASE) ", K::Fixed, 0, K::Fixed, 0, kDefaultTimeout, kDefaultAttempts},
    {cmdGetCodecGain, "", K::Fixed, 0, K::Fixed, 1, kDefaultTimeout, kDefaultAttempts},
    {cmdSetCodecGain, "", K::Fixed, 1, K::Fixed, 1, kDefaultTimeout, kDefaultAttempts},
    {cmdGetExtDevice, "", K::Fixed, 0, K::Fixed, 1, kDefaultTimeout, kDefaultAttempts},
    {cmdSetExtDevice, "", K::Fixed, 1, K::Fixed, 1, kDefaultTimeout, kDefaultAttempts},
}};

constexpr bool IsSortedByCode()
{
    for (std::size_t i = 1; i < kCommands.size(); ++i)
        if (kCommands[i - 1].code >= kCommands[i].code)
            return false;
    return true;
}
static_assert(IsSortedByCode(), "the command table is searched by code");

}  // namespace

void PartsOfPagesRequest::Serialize(std::uint8_t out[kSize]) const
{
    PutU32(out, pageAddr);
    PutU16(out + 4, offset);
    PutU16(out + 6, count);
    PutU16(out + 8, addrInc);
    PutU16(out + 10, cycles);
}

PartsOfPagesRequest PartsOfPagesRequest::Parse(const std::uint8_t* in)
{
    return {GetU32(in), GetU16(in + 4), GetU16(in + 6), GetU16(in + 8), GetU16(in + 10)};
}

const RecorderCommandInfo* FindRecorderCommand(std::uint8_t code)
{
    const auto it = std::lower_bound(kCommands.begin(), kCommands.end(), code,
                                     [](const RecorderCommandInfo& info, std::uint8_t c) { return info.code < c; });
    return it != kCommands.end() && it->code == code ? &*it : nullptr;
}

std::uint32_t CommandTimeoutMs(std::uint8_t code)
{
    const RecorderCommandInfo* info = FindRecorderCommand(code);
    return info ? info->timeoutMs : kDefaultTimeout;
}

std::uint32_t CommandAttempts(std::uint8_t code)
{
    const RecorderCommandInfo* info = FindRecorderCommand(code);
    return info ? info->attempts : kDefaultAttempts;
}

std::optional<std::uint32_t> CommandRequestLength(std::uint8_t code, const PayloadGeometry& geometry, bool storing)
{
    const RecorderCommandInfo* info = FindRecorderCommand(code);
    if (!info)
        return std::nullopt;
    switch (info->requestKind) {
    case K::Fixed: return info->requestBytes;
    case K::FixedOrEmpty: return storing ? info->requestBytes : 0u;
    case K::Block: return info->requestBytes + geometry.pagesPerBlock * geometry.pageStride;
    case K::Page: return info->requestBytes + geometry.pageStride;
    case K::PartsOfPages: break;
    }
    return std::nullopt;
}

std::optional<std::uint32_t> CommandReplyLength(std::uint8_t code, const PayloadGeometry& geometry,
                                                const void* request, std::uint32_t requestLength)
{
    const RecorderCommandInfo* info = FindRecorderCommand(code);
    if (!info)
        return std::nullopt;
    switch (info->replyKind) {
    case K::Fixed:
    case K::FixedOrEmpty: return info->replyBytes;
    case K::Block: return 2 + geometry.pagesPerBlock * geometry.pageStride;
    case K::Page: return 4 + geometry.pageStride;
    case K::PartsOfPages: {
        if (!request || requestLength < PartsOfPagesRequest::kSize)
            return std::nullopt;
        const auto parts = PartsOfPagesRequest::Parse(static_cast<const std::uint8_t*>(request));
        return static_cast<std::uint32_t>(parts.count) * parts.cycles;
    }
    }
    return std::nullopt;
}
