#include <gtest/gtest.h>

#include "fmttool/Fat12Table.h"

TEST(Fat12Table, EvenEntriesTakeTheLowTwelveBitsOddOnesTheHigh)
{
    const std::vector<std::uint16_t> entries = {0xFF8, 0xFFF, 0x123, 0x456, 0x789};
    std::vector<std::uint8_t> packed(10, 0);
    packed[8] = 0xAB;  // past the last entry: left alone
    Fat12PackFat(entries, packed.data());
    EXPECT_EQ(packed, (std::vector<std::uint8_t>{0xF8, 0xFF, 0xFF, 0x23, 0x61, 0x45, 0x89, 0x07, 0xAB, 0}));
    EXPECT_EQ(Fat12PackedBytes(5), 8u);
    EXPECT_EQ(Fat12UnpackFat(packed.data(), 5), entries);

    // An odd entry written after its even neighbour keeps the neighbour's nibble.
    std::vector<std::uint16_t> two = {0xABC, 0xDEF};
    std::vector<std::uint8_t> out(3, 0);
    Fat12PackFat(two, out.data());
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0xBC, 0xFA, 0xDE}));
}
