#include <gtest/gtest.h>

#include <array>

#include "core/protocol/Majority.h"

TEST(MajorityOf3, TakesCopyZeroWhenTheFirstTwoAgreeElseCopyTwo)
{
    struct Case {
        std::uint8_t a, b, c, expected;
    };
    const Case cases[] = {
        {1, 1, 9, 1},  // A = B: A, whatever C is
        {1, 2, 2, 2},  // A != B: C
        {1, 2, 1, 1},  // A != B: C
        {1, 2, 3, 3},  // A != B: C, even when it matches neither
    };
    for (const Case& c : cases) {
        const std::uint8_t copies[3] = {c.a, c.b, c.c};
        std::uint8_t out = 0;
        MajorityOf3(copies, &out, 1);
        EXPECT_EQ(out, c.expected) << int(c.a) << int(c.b) << int(c.c);
    }
}

TEST(MajorityOf3, VotesEachBytePositionOnItsOwn)
{
    const std::array<std::uint8_t, 12> copies = {1, 2, 3, 4, /**/ 1, 9, 3, 8, /**/ 7, 2, 6, 5};
    std::array<std::uint8_t, 4> out{};
    MajorityOf3(copies.data(), out.data(), 4);
    EXPECT_EQ(out, (std::array<std::uint8_t, 4>{1, 2, 3, 5}));
}

TEST(WriteThreeCopies, WritesTheSourceThreeTimes)
{
    const std::uint8_t source[3] = {0xA, 0xB, 0xC};
    std::array<std::uint8_t, 10> target{};
    target.fill(0xEE);
    WriteThreeCopies(source, target.data(), 3);
    EXPECT_EQ(target, (std::array<std::uint8_t, 10>{0xA, 0xB, 0xC, 0xA, 0xB, 0xC, 0xA, 0xB, 0xC, 0xEE}));
}
