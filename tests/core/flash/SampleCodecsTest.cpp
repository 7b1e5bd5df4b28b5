#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "core/flash/SampleCodecs.h"

namespace {

using Signal = std::vector<std::int16_t>;

// Vowel-like harmonics under a syllable envelope, with a little noise.
Signal SpeechLike(std::size_t count)
{
    std::mt19937 random(3);
    std::normal_distribution<double> noise(0, 150);
    Signal out(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double t = i / 8000.0;
        const double envelope = 0.3 + 0.7 * std::pow(std::sin(M_PI * 4 * t), 2);
        const double voice = 6000 * std::sin(2 * M_PI * 140 * t) + 3000 * std::sin(2 * M_PI * 280 * t + 1) +
                             1500 * std::sin(2 * M_PI * 700 * t + 2) + 700 * std::sin(2 * M_PI * 1900 * t);
        out[i] = static_cast<std::int16_t>(std::clamp(envelope * voice + noise(random), -32768.0, 32767.0));
    }
    return out;
}

Signal FullScaleSine(std::size_t count)
{
    Signal out(count);
    for (std::size_t i = 0; i < count; ++i)
        out[i] = static_cast<std::int16_t>(std::lround(32767 * std::sin(2 * M_PI * 300 * i / 8000.0)));
    out[100] = -32768;
    return out;
}

double SnrDb(const Signal& original, const Signal& decoded)
{
    double signal = 0;
    double error = 0;
    for (std::size_t i = 0; i < original.size(); ++i) {
        signal += double(original[i]) * original[i];
        error += std::pow(double(original[i]) - decoded[i], 2);
    }
    return 10 * std::log10(signal / std::max(error, 1.0));
}

Signal RoundTripAdpcm(const Signal& in, std::uint8_t (*encode)(std::int16_t, TAdpcmState&),
                      std::int16_t (*decode)(std::uint8_t, TAdpcmState&))
{
    TAdpcmState encoder, decoder;
    Signal out;
    for (std::int16_t sample : in) {
        out.push_back(decode(encode(sample, encoder), decoder));
        EXPECT_EQ(encoder.Estimate, decoder.Estimate);
        EXPECT_EQ(encoder.StepIndex, decoder.StepIndex);
    }
    return out;
}

// Frames of rate / 50 samples, each a header byte and its codes.
Signal RoundTripCompand(const Signal& in, std::uint8_t scale)
{
    constexpr std::size_t kFrame = 8000 / 50;
    TCompandState encoder{0, scale, 0};
    TCompandState decoder;
    Signal out;
    for (std::size_t start = 0; start < in.size(); start += kFrame) {
        const std::size_t count = std::min(kFrame, in.size() - start);
        CompandPrepareFrame(encoder, in.data() + start, count);
        EXPECT_EQ(CompandDecode8(CompandEncode8(0, encoder), decoder), 0);
        encoder.Counter = decoder.Counter = static_cast<std::uint16_t>(count);
        for (std::size_t i = 0; i < count; ++i)
            out.push_back(CompandDecode8(CompandEncode8(in[start + i], encoder), decoder));
    }
    return out;
}

}  // namespace

TEST(ImaAdpcm, FollowsTheShiftAndAddReference)
{
    // From the rest state, 100 needs all three magnitude bits: step 7,
    // difference 7/8 + 7 + 3 + 1 = 11 (the (2m+1) x step / 8 form would give 13).
    TAdpcmState state;
    EXPECT_EQ(ImaAdpcmEncode4(100, state), 7);
    EXPECT_EQ(state.Estimate, 11);
    EXPECT_EQ(state.StepIndex, 8);
    EXPECT_EQ(ImaAdpcmEncode4(0, state), 8 | 2);  // step 16: -11 is the sign and 16 / 2
    EXPECT_EQ(state.Estimate, 11 - (2 + 8));
    EXPECT_EQ(state.StepIndex, 7);

    TAdpcmState decoder;
    EXPECT_EQ(ImaAdpcmDecode4(7, decoder), 11);
    EXPECT_EQ(ImaAdpcmDecode4(0xFC, decoder), -7) << "only the low four bits count";
}

// The published IMA ADPCM tables, typed in apart from the codec's own copy:
// encoder and decoder share that copy, so a wrong entry passes every round trip.
constexpr int kPublishedSteps[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
constexpr int kPublishedIndexChange[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

TEST(ImaAdpcm, EveryStepOfThePublishedTable)
{
    for (int index = 0; index < 89; ++index) {
        // Code 7 from a zero estimate adds step/8 + step + step/2 + step/4.
        const int step = kPublishedSteps[index];
        TAdpcmState state{0, static_cast<std::int8_t>(index)};
        EXPECT_EQ(ImaAdpcmDecode4(7, state), std::min(step / 8 + step + step / 2 + step / 4, 32767))
            << "index " << index;
    }
}

TEST(ImaAdpcm, IndexChangeOfEveryCode)
{
    for (int code = 0; code < 16; ++code) {
        TAdpcmState state{0, 40};
        ImaAdpcmDecode4(static_cast<std::uint8_t>(code), state);
        EXPECT_EQ(state.StepIndex, 40 + kPublishedIndexChange[code]) << "code " << code;
    }
}

TEST(ImaAdpcm, EstimateAndIndexStayInRange)
{
    TAdpcmState low{-32760, 88};
    EXPECT_EQ(ImaAdpcmDecode4(0x0F, low), -32767);
    EXPECT_EQ(low.StepIndex, 88);
    TAdpcmState high{32760, 88};
    EXPECT_EQ(ImaAdpcmDecode4(0x07, high), 32767);
    TAdpcmState floor{0, 0};
    ImaAdpcmDecode4(0, floor);
    EXPECT_EQ(floor.StepIndex, 0);
}

TEST(Adpcm2, DecoderSteps)
{
    // Step 7 at index 0: delta 7 >> 5 = 0, plus the step for bit 0.
    TAdpcmState state;
    EXPECT_EQ(Adpcm2Decode(1, state), 7);
    EXPECT_EQ(state.StepIndex, 1);
    EXPECT_EQ(Adpcm2Decode(3, state), 7 - 8);
    EXPECT_EQ(state.StepIndex, 2);
    EXPECT_EQ(Adpcm2Decode(2, state), -1);  // step 9 >> 5 = 0
    EXPECT_EQ(state.StepIndex, 1);
    TAdpcmState low{-32760, 88};
    EXPECT_EQ(Adpcm2Decode(3, low), -32767);
}

TEST(Adpcm2, TheBaseDeltaIsTheStepShiftedByFive)
{
    // Step 1060 at index 52: 1060 >> 5 = 33, where >> 4 would give 66.
    struct Case {
        std::uint8_t code;
        int sample;
        int index;
    };
    for (const Case c : {Case{0, 33, 51}, Case{1, 33 + 1060, 53}, Case{2, -33, 51}, Case{3, -33 - 1060, 53}}) {
        TAdpcmState state{0, 52};
        EXPECT_EQ(Adpcm2Decode(c.code, state), c.sample) << "code " << int(c.code);
        EXPECT_EQ(state.StepIndex, c.index) << "code " << int(c.code);
    }
}

TEST(SampleCodecs, RoundTripQuality)
{
    const Signal speech = SpeechLike(16000);
    const Signal loud = FullScaleSine(16000);
    struct Case {
        const char* name;
        std::function<Signal(const Signal&)> roundTrip;
        double speechDb, loudDb;
    };
    const Case cases[] = {
        {"ima4", [](const Signal& s) { return RoundTripAdpcm(s, ImaAdpcmEncode4, ImaAdpcmDecode4); }, 27, 27},
        {"adpcm2", [](const Signal& s) { return RoundTripAdpcm(s, Adpcm2Encode, Adpcm2Decode); }, 8, 10},
        {"compand scale 0", [](const Signal& s) { return RoundTripCompand(s, 0); }, 33, 32},
        {"compand scale 2", [](const Signal& s) { return RoundTripCompand(s, 2); }, 33, 32},
    };
    for (const Case& c : cases) {
        EXPECT_GT(SnrDb(speech, c.roundTrip(speech)), c.speechDb) << c.name;
        EXPECT_GT(SnrDb(loud, c.roundTrip(loud)), c.loudDb) << c.name;
    }
}

TEST(Compand, DecoderCases)
{
    TCompandState state;
    EXPECT_EQ(CompandDecode8(0x5F, state), 0) << "a header gives no sample";
    EXPECT_EQ(state.Exponent, 0) << "5 is above 4";
    EXPECT_EQ(state.Scale, 0) << "15 is above 4";
    state.Counter = 10;
    EXPECT_EQ(CompandDecode8(0x80, state), 0);
    EXPECT_EQ(CompandDecode8(0x7F, state), 2047);
    EXPECT_EQ(CompandDecode8(0xFF, state), -2047);

    TCompandState shifted;
    CompandDecode8(0x21, shifted);  // exponent 2, scale 1
    shifted.Counter = 10;
    EXPECT_EQ(CompandDecode8(0x10, shifted), 9 << 3);

    // Exponent 4 with scale 4 would shift 2047 out of 16 bits: it saturates.
    TCompandState widest;
    CompandDecode8(0x44, widest);
    widest.Counter = 10;
    EXPECT_EQ(CompandDecode8(0x7F, widest), 32767);
    EXPECT_EQ(CompandDecode8(0xFF, widest), -32767);
}

TEST(Compand, FrameExponentComesFromThePeakBeforeTheHeader)
{
    struct Case {
        std::int16_t peak;
        std::uint8_t scale, exponent;
    };
    const Case cases[] = {
        {0, 0, 0}, {2047, 0, 0}, {2048, 0, 1}, {4095, 0, 1}, {4096, 0, 2}, {32767, 0, 4},
        {-32768, 0, 4},  // saturated to -32767: exponent 5 cannot be stored
        {8191, 2, 0},    {8192, 2, 1}, {32767, 4, 0},
    };
    for (const Case& c : cases) {
        const std::int16_t frame[3] = {1, c.peak, -1};
        TCompandState state{3, c.scale, 0};
        CompandPrepareFrame(state, frame, 3);
        EXPECT_EQ(CompandEncode8(0, state), c.exponent << 4 | c.scale) << c.peak << " scale " << int(c.scale);
    }
}

TEST(Compand, FullScaleNeverWrapsToTheOtherSign)
{
    for (std::uint8_t scale = 0; scale <= 4; ++scale) {
        const std::int16_t frame[4] = {-32768, 32767, -20000, 20000};
        TCompandState encoder{0, scale, 0};
        TCompandState decoder;
        CompandPrepareFrame(encoder, frame, 4);
        CompandDecode8(CompandEncode8(0, encoder), decoder);
        encoder.Counter = decoder.Counter = 4;
        for (std::int16_t sample : frame) {
            const std::int16_t decoded = CompandDecode8(CompandEncode8(sample, encoder), decoder);
            EXPECT_EQ(decoded < 0, sample < 0) << sample << " scale " << int(scale);
            EXPECT_LT(std::abs(decoded - sample), std::abs(sample) / 8) << sample << " scale " << int(scale);
        }
    }
}

TEST(Compand, CompressionTable)
{
    const auto& e = codec_tables::kCompandCompress;
    for (int m = 1; m < 2048; ++m)
        ASSERT_LE(e[m - 1], e[m]) << m;
    const std::pair<int, int> rows[] = {{0, 0},     {1, 3},     {2, 5},     {3, 7},     {4, 9},
                                        {8, 16},    {16, 25},   {32, 37},   {64, 51},   {100, 60},
                                        {128, 65},  {256, 81},  {512, 96},  {1000, 112}, {1500, 121},
                                        {1918, 127}, {2047, 127}};
    for (auto [m, code] : rows)
        EXPECT_EQ(e[m], code) << m;
    EXPECT_LT(e[1917], 127);
}
