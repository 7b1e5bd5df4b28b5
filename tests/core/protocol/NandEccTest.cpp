#include <gtest/gtest.h>

#include <array>
#include <random>

#include "core/protocol/NandEcc.h"

namespace {

using Chunk = std::array<std::uint8_t, 256>;
using Ecc = std::array<std::uint8_t, 3>;

Ecc EccOf(const Chunk& data)
{
    Ecc ecc{};
    NandEccCalculate(ecc.data(), data.data());
    return ecc;
}

Chunk RandomChunk(unsigned seed)
{
    std::mt19937 random(seed);
    Chunk data{};
    for (auto& byte : data)
        byte = static_cast<std::uint8_t>(random());
    return data;
}

}  // namespace

TEST(NandEcc, KnownVectors)
{
    Chunk data{};
    EXPECT_EQ(EccOf(data), (Ecc{0xFF, 0xFF, 0xFF}));
    data[0] = 1;
    EXPECT_EQ(EccOf(data), (Ecc{0xAA, 0xAA, 0xAB}));
}

TEST(NandEcc, SameEccMeansNoError)
{
    const Chunk data = RandomChunk(1);
    const Ecc ecc = EccOf(data);
    EXPECT_EQ(NandEccCorrect(ecc.data(), ecc.data(), data.data(), nullptr, nullptr), NandEccNoError);
}

TEST(NandEcc, EveryOneBitDataErrorIsLocated)
{
    const Chunk original = RandomChunk(2);
    const Ecc stored = EccOf(original);
    for (std::uint32_t index = 0; index < 256; ++index) {
        for (int bit = 0; bit < 8; ++bit) {
            Chunk read = original;
            read[index] ^= static_cast<std::uint8_t>(1 << bit);
            const Ecc computed = EccOf(read);
            std::uint32_t foundIndex = 9999;
            std::uint8_t value = 0;
            ASSERT_EQ(NandEccCorrect(stored.data(), computed.data(), read.data(), &foundIndex, &value),
                      NandEccDataCorrected);
            ASSERT_EQ(foundIndex, index);
            ASSERT_EQ(value, original[index]);
            ASSERT_EQ(read[index], original[index] ^ (1 << bit)) << "the data are not changed";
        }
    }
}

TEST(NandEcc, Bit5OfByte200)
{
    Chunk data = RandomChunk(3);
    const std::uint8_t before = data[200];
    const Ecc stored = EccOf(data);
    data[200] ^= 1 << 5;
    const Ecc computed = EccOf(data);
    std::uint32_t index = 0;
    std::uint8_t value = 0;
    EXPECT_EQ(NandEccCorrect(stored.data(), computed.data(), data.data(), &index, &value), 1);
    EXPECT_EQ(index, 200u);
    EXPECT_EQ(value, before);
    // The out-parameters are optional.
    EXPECT_EQ(NandEccCorrect(stored.data(), computed.data(), data.data(), nullptr, nullptr), 1);
}

TEST(NandEcc, OneEccBitWrongLeavesTheDataGood)
{
    const Chunk data = RandomChunk(4);
    const Ecc good = EccOf(data);
    for (int bit = 0; bit < 24; ++bit) {
        Ecc bad = good;
        bad[bit / 8] ^= static_cast<std::uint8_t>(1 << (bit % 8));
        EXPECT_EQ(NandEccCorrect(bad.data(), good.data(), data.data(), nullptr, nullptr), NandEccEccError) << bit;
    }
}

TEST(NandEcc, TwoBitErrorsAreUncorrectable)
{
    const Chunk original = RandomChunk(5);
    const Ecc stored = EccOf(original);

    Ecc twoEccBits = stored;
    twoEccBits[0] ^= 0x03;
    EXPECT_EQ(NandEccCorrect(stored.data(), twoEccBits.data(), original.data(), nullptr, nullptr),
              NandEccUncorrectable);

    Chunk twoDataBits = original;
    twoDataBits[10] ^= 0x01;
    twoDataBits[77] ^= 0x40;
    const Ecc computed = EccOf(twoDataBits);
    std::uint32_t index = 12345;
    EXPECT_EQ(NandEccCorrect(stored.data(), computed.data(), twoDataBits.data(), &index, nullptr),
              NandEccUncorrectable);
    EXPECT_EQ(index, 12345u) << "nothing is reported for an uncorrectable chunk";
}
