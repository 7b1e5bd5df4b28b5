#include "core/protocol/RecorderCommands.h"

#include <algorithm>
#include <array>

namespace {

using K = PayloadKind;

constexpr std::uint16_t kDefaultTimeout = 300;

// code, trace name, request, reply, time-out.
constexpr std::array<RecorderCommandInfo, 41> kCommands{{
    {cmdWriteBlock, "(WRITE_BLOCK) ", K::Block, 2, K::Fixed, 0, kDefaultTimeout},
    {cmdGetRtc, "(GET_RTC) ", K::Fixed, 0, K::Fixed, 4, kDefaultTimeout},
    {cmdSetRtc, "", K::Fixed, 4, K::Fixed, 4, kDefaultTimeout},
    {cmdGetProfile, "", K::Fixed, 1, K::Fixed, 8, kDefaultTimeout},
    {cmdSetProfile, "", K::Fixed, 8, K::Fixed, 8, kDefaultTimeout},
    {cmdGetVolt, "(GET_VOLT) ", K::Fixed, 0, K::Fixed, 2, kDefaultTimeout},
    {cmdGetVas, "", K::Fixed, 0, K::Fixed, 12, kDefaultTimeout},
    {cmdSetVas, "", K::Fixed, 12, K::Fixed, 12, kDefaultTimeout},
    {cmdBeginWritePage, "(BEG_WRITE_PAGE) ", K::Fixed, 4, K::Fixed, 4, kDefaultTimeout},
    {cmdWritePage, "(WRITE_PAGE) ", K::Page, 4, K::Fixed, 4, 1000},
    {cmdEraseBlock, "(WRITE_BLOCK) ", K::Fixed, 2, K::Fixed, 2, kDefaultTimeout},
    {cmdGetFwVer, "(GET_FW_VER) ", K::Fixed, 0, K::Fixed, 13, kDefaultTimeout},
    {cmdGetProdParam, "(GET_PROD_PARAM) ", K::Fixed, 0, K::Fixed, 8, kDefaultTimeout},
    {cmdGetFlashParam, "(GET_FLASH_PARAM) ", K::Fixed, 0, K::Fixed, 7, kDefaultTimeout},
    {cmdGetSearchStep, "", K::Fixed, 0, K::Fixed, 1, kDefaultTimeout},
    {cmdSetSearchStep, "", K::Fixed, 1, K::Fixed, 1, kDefaultTimeout},
    {cmdGetAdapterId, "", K::Fixed, 0, K::Fixed, 27, kDefaultTimeout},
    {cmdGetPressType, "", K::Fixed, 0, K::Fixed, 1, kDefaultTimeout},
    {cmdSetPressType, "", K::Fixed, 1, K::Fixed, 1, kDefaultTimeout},
    {cmdGetAccessLevel, "", K::Fixed, 0, K::Fixed, 1, kDefaultTimeout},
    {cmdSetAccessLevel, "", K::Fixed, 1, K::Fixed, 1, kDefaultTimeout},
    {cmdBatteryLevels, "", K::FixedOrEmpty, 8, K::Fixed, 8, kDefaultTimeout},
    {cmdGetOnceTimer, "", K::Fixed, 0, K::Fixed, 9, kDefaultTimeout},
    {cmdSetOnceTimer, "", K::Fixed, 9, K::Fixed, 9, kDefaultTimeout},
    {cmdGetDailyTimer, "", K::Fixed, 0, K::Fixed, 9, kDefaultTimeout},
    {cmdSetDailyTimer, "", K::Fixed, 9, K::Fixed, 9, kDefaultTimeout},
    {cmdGetCurrentProfile, "", K::Fixed, 0, K::Fixed, 1, kDefaultTimeout},
    {cmdSetCurrentProfile, "", K::Fixed, 1, K::Fixed, 1, kDefaultTimeout},
    {cmdSetPassword, "", K::Fixed, 7, K::Fixed, 7, kDefaultTimeout},
    {cmdCheckPassword, "(CHECK_PW) ", K::Fixed, 7, K::Fixed, 1, kDefaultTimeout},
    {cmdSetDefault, "(SET_DEFAULT) ", K::Fixed, 0, K::Fixed, 0, kDefaultTimeout},
    {cmdGetAon, "", K::Fixed, 0, K::Fixed, 26, kDefaultTimeout},
    {cmdSetAon, "", K::Fixed, 26, K::Fixed, 26, kDefaultTimeout},
    {cmdGetBlockCount, "", K::Fixed, 0, K::Fixed, 2, kDefaultTimeout},
    {cmdGetPartsOfPages, "(GET_PARTS_OF_PAGES) ", K::Fixed, 12, K::PartsOfPages, 0, 600},
    {cmdGetFirstRecBlock, "(GET_FIRST_REC_BL) ", K::Fixed, 0, K::Fixed, 2, kDefaultTimeout},
    {cmdSetDefNoFlashErase, "(SET_DEF_NO_FLASH_ERASE) ", K::Fixed, 0, K::Fixed, 0, kDefaultTimeout},
    {cmdGetCodecGain, "", K::Fixed, 0, K::Fixed, 1, kDefaultTimeout},
    {cmdSetCodecGain, "", K::Fixed, 1, K::Fixed, 1, kDefaultTimeout},
    {cmdGetExtDevice, "", K::Fixed, 0, K::Fixed, 1, kDefaultTimeout},
    {cmdSetExtDevice, "", K::Fixed, 1, K::Fixed, 1, kDefaultTimeout},
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
