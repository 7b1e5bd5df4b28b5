// The integrity mark through its exported functions: streams cut into
// pieces, marked, then checked.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <random>
#include <vector>

#include "audio/MarkBlocks.h"
#include "audio/MarkExports.h"
#include "core/protocol/Crc32.h"

namespace {

constexpr std::size_t kBlock = 64;

TMarkParams Params(std::uint8_t channels = 1, std::uint16_t amplitude = 40)
{
    TMarkParams params{};
    std::memcpy(params.Serial, "1234567", 7);
    params.Flags = 3;
    params.Time = 1700000000;
    params.SamplesPerSec = 8000;
    params.Channels = channels;
    params.BitsPerSample = 16;
    params.Codec = 1;
    params.Tone1Frequency = 1100;
    params.Tone1Amplitude = amplitude;
    params.Tone2Frequency = 2300;
    params.Tone2Amplitude = static_cast<std::uint16_t>(amplitude * 3 / 4);
    params.Tone3Frequency = 3500;
    params.Tone3Amplitude = static_cast<std::uint16_t>(amplitude / 2 + 2);
    return params;
}

std::vector<std::int16_t> Speech(std::size_t samples)
{
    std::vector<std::int16_t> out(samples);
    for (std::size_t i = 0; i < samples; ++i)
        out[i] = static_cast<std::int16_t>(9000 * std::sin(0.031 * static_cast<double>(i)) +
                                           3000 * std::sin(0.17 * static_cast<double>(i)));
    return out;
}

struct Marked {
    std::vector<std::uint8_t> bytes;            // everything the stream handed out
    std::array<std::uint8_t, kBlock> stored{};  // mrk_GetAddInfo
};

// Marks the audio cut into pieces of these byte sizes (the last one, at most
// 1024 bytes, is the final flush; the rest of the audio goes in it).
Marked Mark(const std::vector<std::int16_t>& audio, const std::vector<std::size_t>& ordinary,
            const TMarkParams& params = Params())
{
    mrk_Init(&params);
    Marked result;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(audio.data());
    const std::size_t total = audio.size() * 2;
    std::size_t at = 0;
    auto take = [&](std::size_t length) {
        const void* out = nullptr;
        std::uint32_t outLength = 0;
        mrk_Process(reinterpret_cast<const std::int16_t*>(bytes + at), static_cast<std::uint32_t>(length), &out,
                    &outLength);
        const auto* o = static_cast<const std::uint8_t*>(out);
        result.bytes.insert(result.bytes.end(), o, o + outLength);
        at += length;
    };
    for (std::size_t length : ordinary)
        take(length);
    EXPECT_LE(total - at, 1024u) << "the pieces leave too much for the final flush";
    take(total - at);
    mrk_GetAddInfo(result.stored.data());
    return result;
}

// Even pieces of 4096 bytes, the rest in the final flush.
std::vector<std::size_t> Even(std::size_t bytes, std::size_t piece = 4096)
{
    std::vector<std::size_t> pieces;
    for (std::size_t left = bytes; left > 1024; left -= std::min(left, piece))
        pieces.push_back(left > piece ? piece : left);
    return pieces;
}

const std::vector<std::uint8_t>* g_source = nullptr;
std::size_t g_read = 0;

std::int32_t ReadSource(void* buffer, std::int32_t length)
{
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(length), g_source->size() - g_read);
    std::memcpy(buffer, g_source->data() + g_read, n);
    g_read += n;
    return static_cast<std::int32_t>(n);
}

int Check(const std::vector<std::uint8_t>& stream, const void* stored, TMarkBlock* out = nullptr)
{
    g_source = &stream;
    g_read = 0;
    TMarkBlock block{};
    const int result = mrk_Check(ReadSource, stored, &block);
    if (out)
        *out = block;
    return result;
}

std::int16_t SampleAt(const std::vector<std::uint8_t>& bytes, std::size_t offset)
{
    std::int16_t sample;
    std::memcpy(&sample, bytes.data() + offset, 2);
    return sample;
}

}  // namespace

class MarkStreamTest : public ::testing::Test {
protected:
    void SetUp() override { ResetMarkStream(); }
    void TearDown() override { ResetMarkStream(); }
};

TEST_F(MarkStreamTest, OutputIsTheInputFramedBySealedBlocksWithSamplesInOrder)
{
    // Before the final flush there is no block to give.
    const TMarkParams params = Params();
    mrk_Init(&params);
    std::array<std::uint8_t, kBlock> none;
    none.fill(0x5A);
    mrk_GetAddInfo(none.data());
    EXPECT_TRUE(std::all_of(none.begin(), none.end(), [](std::uint8_t b) { return b == 0; }));

    const auto audio = Speech(20000);
    const Marked marked = Mark(audio, Even(audio.size() * 2));
    ASSERT_EQ(marked.bytes.size(), audio.size() * 2 + 2 * kBlock);
    for (std::size_t i = 0; i < audio.size(); ++i)
        ASSERT_NEAR(SampleAt(marked.bytes, kBlock + 2 * i), audio[i], 93) << "sample " << i;

    // The end block is the stored block; both unseal with the stream's data.
    EXPECT_TRUE(std::equal(marked.stored.begin(), marked.stored.end(), marked.bytes.end() - kBlock));
    const auto inverse = mark_seal::InverseScramble();
    TMarkBlock start{}, end{};
    ASSERT_TRUE(mark_seal::Unseal(marked.bytes.data(), inverse, start));
    ASSERT_TRUE(mark_seal::Unseal(marked.stored.data(), inverse, end));
    EXPECT_EQ(+start.Magic, 0xFFFF);
    EXPECT_STREQ(start.Serial, "1234567");
    EXPECT_EQ(+end.Time, 1700000000u);
    EXPECT_EQ(+end.Tone2Frequency, 2300.0f);
    EXPECT_EQ(+end.ByteCounter, audio.size() * 2);
    EXPECT_EQ(+end.BlockCounter, audio.size() / 512);
    EXPECT_EQ(end.Codec, 1);

    // Finished: every further call gives nothing.
    const void* out = &marked;
    std::uint32_t length = 7;
    mrk_Process(audio.data(), 4096, &out, &length);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(length, 0u);
}

TEST_F(MarkStreamTest, IntactStreamsPassTheCheck)
{
    std::mt19937 random(16);
    std::vector<std::size_t> randomPieces;
    std::size_t randomBytes = 0;
    for (int i = 0; i < 40; ++i) {
        randomPieces.push_back(2 * std::uniform_int_distribution<std::size_t>(513, 6000)(random));
        randomBytes += randomPieces.back();
    }
    randomBytes += 2 * std::uniform_int_distribution<std::size_t>(0, 512)(random);

    struct Case {
        const char* name;
        std::size_t bytes;
        std::vector<std::size_t> pieces;
        std::uint8_t channels;
    } cases[] = {
        {"1024 x k", 1024 * 40, Even(1024 * 40), 1},
        {"1024 x k + 2", 1024 * 40 + 2, Even(1024 * 40 + 2), 1},
        {"mixed pieces", 1026 + 5000 + 2048 + 1500 + 700, {1026, 5000, 2048, 1500}, 1},
        {"stereo", 4 * 9001, Even(4 * 9001, 3000), 2},
        {"under 1 KiB", 600, {}, 1},
        {"a first call that is the final flush", 1000, {}, 1},
        {"nothing", 0, {}, 1},
        {"random pieces above 1024", randomBytes, randomPieces, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto audio = Speech(c.bytes / 2);
        const Marked marked = Mark(audio, c.pieces, Params(c.channels));
        ASSERT_EQ(marked.bytes.size(), c.bytes + 2 * kBlock);
        TMarkBlock stored{};
        EXPECT_EQ(Check(marked.bytes, marked.stored.data(), &stored), 0);
        EXPECT_EQ(+stored.ByteCounter, c.bytes);
    }
}

// A stream that ends on a group boundary keeps its last group unmarked.
TEST_F(MarkStreamTest, TheLastWholeGroupStaysUnmarkedWithItsLsbsCleared)
{
    const auto audio = Speech(512 * 8);
    const Marked marked = Mark(audio, Even(audio.size() * 2));
    for (std::size_t s = 7 * 512; s < 8 * 512; ++s)
        ASSERT_EQ(SampleAt(marked.bytes, kBlock + 2 * s) & 1, 0) << "sample " << s;
    TMarkBlock stored{};
    ASSERT_EQ(Check(marked.bytes, marked.stored.data(), &stored), 0);
    EXPECT_EQ(+stored.BlockCounter, 7u);
}

TEST_F(MarkStreamTest, DamageIsFoundWhereItIs)
{
    const auto audio = Speech(512 * 10 + 300);
    const Marked marked = Mark(audio, Even(audio.size() * 2));
    ASSERT_EQ(Check(marked.bytes, marked.stored.data()), 0);
    const std::size_t group3 = kBlock + 2 * 1024 + 2 * 77;  // a sample of group 3
    const std::size_t tail = kBlock + 10 * 1024 + 2 * 5;
    const std::size_t end = marked.bytes.size() - kBlock;

    auto corrupted = marked.stored;
    corrupted[10] ^= 0x40;
    struct Case {
        const char* name;
        std::size_t at;
        std::uint8_t flip;
        const std::uint8_t* stored;
        int result;
    } cases[] = {
        {"an LSB in group 3", group3, 0x01, marked.stored.data(), 3},
        {"a higher bit in group 3", group3, 0x02, marked.stored.data(), 0},
        {"the start block", 5, 0x10, marked.stored.data(), -2},
        {"an LSB in the tail", tail, 0x01, marked.stored.data(), -3},
        {"the end block", end + 30, 0x04, marked.stored.data(), -1},
        {"no stored block", 0, 0, nullptr, -4},
        {"a bad stored block", 0, 0, corrupted.data(), -4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto stream = marked.bytes;
        stream[c.at] ^= c.flip;
        EXPECT_EQ(Check(stream, c.stored), c.result);
    }

    // Cut short: in group 5, in the tail, before the end block.
    for (auto [cut, result] : {std::pair{kBlock + 4 * 1024 + 100, 5}, {tail, -3}, {end, -1}}) {
        SCOPED_TRACE(cut);
        const std::vector<std::uint8_t> shorter(marked.bytes.begin(), marked.bytes.begin() + cut);
        EXPECT_EQ(Check(shorter, marked.stored.data()), result);
    }
}

TEST_F(MarkStreamTest, SamplesClipAtBothEnds)
{
    std::vector<std::int16_t> audio(6000);
    for (std::size_t i = 0; i < audio.size(); ++i)
        audio[i] = i % 2 ? 32767 : -32768;
    const TMarkParams params = Params(1, 1000);
    const int reach = params.Tone1Amplitude + params.Tone2Amplitude + params.Tone3Amplitude + 1;
    const Marked marked = Mark(audio, Even(audio.size() * 2), params);
    for (std::size_t i = 0; i < audio.size(); ++i) {
        const std::int16_t s = SampleAt(marked.bytes, kBlock + 2 * i);
        if (i % 2)
            ASSERT_GE(s, 32767 - reach) << i;
        else
            ASSERT_LE(s, -32768 + reach) << i;
    }
    // The tone reaches both limits: a positive tone on 32767 stays there
    // (before its LSB), a negative one on -32768 too.
    int top = 0, bottom = 0;
    for (std::size_t i = 0; i < audio.size(); ++i) {
        const std::int16_t s = SampleAt(marked.bytes, kBlock + 2 * i);
        top += s >= 32766;
        bottom += s <= -32767;
    }
    EXPECT_GT(top, 1000);
    EXPECT_GT(bottom, 1000);
    EXPECT_EQ(Check(marked.bytes, marked.stored.data()), 0);
}

// Both samples of a pair get the tone a mono stream gives one sample.
TEST_F(MarkStreamTest, StereoPairsShareOneToneValue)
{
    const std::vector<std::int16_t> mono(5000, 0), stereo(10000, 0);
    const Marked one = Mark(mono, Even(mono.size() * 2), Params(1, 1000));
    const Marked two = Mark(stereo, Even(stereo.size() * 2), Params(2, 1000));
    for (std::size_t i = 0; i < mono.size() - 512; ++i) {
        const int m = SampleAt(one.bytes, kBlock + 2 * i);
        ASSERT_NEAR(SampleAt(two.bytes, kBlock + 4 * i), m, 1) << i;
        ASSERT_NEAR(SampleAt(two.bytes, kBlock + 4 * i + 2), m, 1) << i;
    }
}

// The tones as the download sets them: a slow one and two near the top of
// the band.
TMarkParams ProgramTones()
{
    TMarkParams params = Params();
    params.Tone1Frequency = 9.37f;
    params.Tone1Amplitude = 80;
    params.Tone2Frequency = 3551.21f;
    params.Tone2Amplitude = 6;
    params.Tone3Frequency = 3755.73f;
    params.Tone3Amplitude = 6;
    return params;
}

// Over many runs of tone values the tone stays the sum of the three sines:
// a silent stream's samples are the sum truncated, up to their LSB, except
// where the sum is within a hair of an integer.
TEST_F(MarkStreamTest, TheToneIsTheSumOfTheThreeSines)
{
    const std::vector<std::int16_t> silence(400000, 0);
    const TMarkParams params = ProgramTones();
    const Marked marked = Mark(silence, Even(silence.size() * 2, 6000), params);
    const float frequency[3] = {params.Tone1Frequency, params.Tone2Frequency, params.Tone3Frequency};
    const int amplitude[3] = {params.Tone1Amplitude, params.Tone2Amplitude, params.Tone3Amplitude};
    double step[3];
    for (int t = 0; t < 3; ++t)
        step[t] = 2 * std::numbers::pi_v<float> * frequency[t] / static_cast<float>(params.SamplesPerSec);
    const std::size_t markedSamples = silence.size() * 2 / 1024 * 512;
    int nearInteger = 0;
    for (std::size_t n = 0; n < markedSamples; ++n) {
        double sum = 0;
        for (int t = 0; t < 3; ++t)
            sum += amplitude[t] * std::sin(static_cast<double>(n) * step[t]);
        const int got = SampleAt(marked.bytes, kBlock + 2 * n);
        ASSERT_LE(std::abs(got), 80 + 6 + 6) << n;
        if (std::abs(sum - std::round(sum)) < 1e-3) {
            ++nearInteger;
            continue;
        }
        ASSERT_EQ(got & ~1, static_cast<int>(sum) & ~1) << "sample " << n << ", tone " << sum;
    }
    EXPECT_LT(nearInteger, 2000);
    EXPECT_EQ(Check(marked.bytes, marked.stored.data()), 0);
}

// The marked bytes of a fixed stream, so that a change of them is seen.
TEST_F(MarkStreamTest, TheMarkedBytesArePinned)
{
    const auto audio = Speech(100000);
    const Marked mono = Mark(audio, Even(audio.size() * 2), ProgramTones());
    TMarkParams stereoParams = ProgramTones();
    stereoParams.Channels = 2;
    const Marked stereo = Mark(audio, Even(audio.size() * 2, 3000), stereoParams);
    auto crc = [](const Marked& marked) {
        TCrc32 crc;
        crc.Update(marked.bytes.data(), static_cast<std::uint32_t>(marked.bytes.size()));
        return ~crc.Register();
    };
    EXPECT_EQ(crc(mono), 1405981459u);
    EXPECT_EQ(crc(stereo), 3895637765u);
}

// The byte permutation of the seal is part of every marked file.
TEST_F(MarkStreamTest, TheSealIsFixed)
{
    const auto& table = mark_seal::ScrambleTable();
    std::array<bool, 256> seen{};
    for (std::uint8_t v : table)
        seen[v] = true;
    EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](bool b) { return b; }));

    TMarkBlock block{};
    block.Magic = 0xFFFF;
    std::memcpy(block.Serial, "42", 2);
    block.Time = 1700000000;
    block.ByteCounter = 4096;
    const auto sealed = mark_seal::Seal(block);
    std::string hex;
    for (std::uint8_t b : sealed) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", b);
        hex += digits;
    }
    EXPECT_EQ(
        hex,
        "7b7b3d47a4a4a4a4a4a4a4a4a4a4a4a4a4a4a4a4a4a4a4127ce3a4a4a4a4a4a4a4a4a4a4a4a4a4a4a4a4a4bba4a4a4a4a4a4a4a4a4a4"
        "a4a4a4a4a4a4a4a47455");
}
