// The whole command table, row by row, against the lengths, reply time-outs,
// attempts and trace texts the recorder's command set fixes. The time-out is
// the one the adapter waits for a reply (the other links answer at once).
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

#include "core/protocol/RecorderCommands.h"

namespace {

// Page stride and pages per block of the default image.
constexpr std::uint32_t kStride = 2112;
constexpr std::uint32_t kPages = 128;

struct Row {
    std::uint8_t code;
    std::uint32_t request;  // a read; command 42 stores with storeRequest
    std::uint32_t reply;
    std::uint32_t timeoutMs;  // the reply wait of the adapter link
    const char* trace;
    std::optional<std::uint32_t> storeRequest = std::nullopt;
};

const Row kRows[] = {
    {0, 2 + kPages * kStride, 0, 5000, "(WRITE_BLOCK) "},
    {1, 0, 4, 5000, "(GET_RTC) "},
    {2, 4, 4, 5000, ""},
    {4, 1, 8, 5000, ""},
    {5, 8, 8, 5000, ""},
    {7, 0, 2, 5000, "(GET_VOLT) "},
    {9, 0, 12, 5000, ""},
    {10, 12, 12, 5000, ""},
    {14, 4, 4, 5000, "(BEG_WRITE_PAGE) "},
    {16, 4 + kStride, 4, 5000, "(WRITE_PAGE) "},
    {18, 2, 2, 5000, "(WRITE_BLOCK) "},
    {20, 0, 13, 5000, "(GET_FW_VER) "},
    {22, 0, 8, 5000, "(GET_PROD_PARAM) "},
    {29, 0, 7, 5000, "(GET_FLASH_PARAM) "},
    {31, 0, 1, 5000, ""},
    {32, 1, 1, 5000, ""},
    {34, 0, 27, 300, ""},
    {36, 0, 1, 5000, ""},
    {37, 1, 1, 5000, ""},
    {39, 0, 1, 5000, ""},
    {40, 1, 1, 5000, ""},
    {42, 0, 8, 5000, "", 8},
    {50, 0, 9, 5000, ""},
    {51, 9, 9, 5000, ""},
    {53, 0, 9, 5000, ""},
    {54, 9, 9, 5000, ""},
    {56, 0, 1, 5000, ""},
    {57, 1, 1, 5000, ""},
    {61, 7, 7, 5000, ""},
    {63, 7, 1, 5000, "(CHECK_PW) "},
    {65, 0, 0, 300, "(SET_DEFAULT) "},
    {67, 0, 26, 5000, ""},
    {68, 26, 26, 5000, ""},
    {73, 0, 2, 5000, ""},
    {76, 12, 20 * 3, 5000, "(GET_PARTS_OF_PAGES) "},  // Count 20 x Cycles 3 below
    {78, 0, 2, 5000, "(GET_FIRST_REC_BL) "},
    {80, 0, 0, 5000, "(SET_DEF_NO_FLASH_ERASE) "},
    {82, 0, 1, 5000, ""},
    {83, 1, 1, 5000, ""},
    {85, 0, 1, 5000, ""},
    {86, 1, 1, 5000, ""},
};

}  // namespace

TEST(CommandTable, EveryRowHasTheLengthsTimeOutAttemptsAndTraceText)
{
    ASSERT_EQ(std::size(kRows), 41u);
    const PayloadGeometry geometry{kStride, kPages};
    std::uint8_t parts[PartsOfPagesRequest::kSize];
    PartsOfPagesRequest{1000, 8, 20, 1, 3}.Serialize(parts);
    for (const Row& row : kRows) {
        SCOPED_TRACE("code " + std::to_string(row.code));
        const RecorderCommandInfo* info = FindRecorderCommand(row.code);
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(CommandRequestLength(row.code, geometry, false), row.request);
        EXPECT_EQ(CommandRequestLength(row.code, geometry, true), row.storeRequest.value_or(row.request));
        EXPECT_EQ(CommandReplyLength(row.code, geometry, parts, sizeof parts), row.reply);
        EXPECT_EQ(CommandTimeoutMs(row.code), row.timeoutMs);
        EXPECT_EQ(CommandAttempts(row.code), row.code == 65 ? 1u : 5u);
        EXPECT_STREQ(info->traceName, row.trace);
    }
}

TEST(CommandTable, NoOtherCodeIsKnown)
{
    for (int code = 0; code < 256; ++code) {
        const bool listed =
            std::any_of(std::begin(kRows), std::end(kRows), [code](const Row& row) { return row.code == code; });
        EXPECT_EQ(FindRecorderCommand(static_cast<std::uint8_t>(code)) != nullptr, listed) << "code " << code;
    }
}
