// Where a page's sound lies and how a run of pages decodes.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "core/flash/SampleCodecs.h"
#include "core/flash/SoundFraming.h"
#include "tests/support/ContentBuilder.h"

namespace {

constexpr std::uint32_t kPage = 2048;

TBlockHeader Header(std::uint8_t compress, std::uint8_t param, std::uint8_t rateCode = 1)
{
    TBlockHeader header;
    header.Bytes[8] = compress;
    header.Bytes[9] = param;
    header.Bytes[10] = rateCode;
    return header;
}

std::vector<std::int16_t> Decode(const TBlockHeader& header, TSoundPageKind kind, std::vector<std::uint8_t> pages,
                                 bool lastIsBreak)
{
    std::vector<std::int16_t> out;
    DecodeSoundPages(header, kind, pages, kPage, lastIsBreak, out);
    return out;
}

}  // namespace

TEST(SoundFramingTest, SoundStartsWhereTheContentBuilderLaysIt)
{
    for (std::uint8_t compress : {0, 1, 2}) {
        SCOPED_TRACE(int{compress});
        const TPageFraming framing = FindCodec(compress, 0)->framing;
        EXPECT_EQ(SoundDataStart(framing, TSoundPageKind::BlockStart),
                  ContentBuilder::SoundStart(compress, true, false));
        EXPECT_EQ(SoundDataStart(framing, TSoundPageKind::AfterStamp),
                  ContentBuilder::SoundStart(compress, false, true));
        EXPECT_EQ(SoundDataStart(framing, TSoundPageKind::Plain), ContentBuilder::SoundStart(compress, false, false));
        EXPECT_EQ(SoundDataStart(framing, TSoundPageKind::Stamp), 12u);
    }
    EXPECT_EQ(NextPageKind(TSoundPageKind::Stamp), TSoundPageKind::AfterStamp);
    EXPECT_EQ(NextPageKind(TSoundPageKind::BlockStart), TSoundPageKind::Plain);
    EXPECT_EQ(NextPageKind(TSoundPageKind::AfterStamp), TSoundPageKind::Plain);
}

TEST(SoundFramingTest, SampleCountsFollowEachPagesFraming)
{
    const std::vector<std::uint8_t> two(2 * kPage, 0x11);
    struct Case {
        std::uint8_t compress, param;
        TSoundPageKind first;
        std::size_t samples;
    } cases[] = {
        {0, 0, TSoundPageKind::BlockStart, (kPage - 66) / 2 + (kPage - 2) / 2},
        {0, 0, TSoundPageKind::Stamp, (kPage - 14) / 2 + (kPage - 6) / 2},
        {2, 2, TSoundPageKind::BlockStart, 2 * (kPage - 68) + 2 * (kPage - 4)},
        {2, 1, TSoundPageKind::Plain, 4 * (kPage - 4) + 4 * (kPage - 4)},
        {2, 2, TSoundPageKind::Stamp, 2 * (kPage - 14) + 2 * (kPage - 8)},
        {1, 3, TSoundPageKind::AfterStamp,
         (kPage - 6) - (kPage - 6 + 159) / 161 + (kPage - 2) - (kPage - 2 + 159) / 161},
        {7, 0, TSoundPageKind::Plain, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int{c.compress} << "/" << int{c.param} << " kind " << int(c.first));
        EXPECT_EQ(Decode(Header(c.compress, c.param), c.first, two, false).size(), c.samples);
        EXPECT_EQ(DecodedSampleCount(Header(c.compress, c.param), c.first, kPage, 2), c.samples);
    }
    // The count without the pages is the decoder's, for every codec, rate,
    // first kind and run length.
    for (const auto& [compress, param] : {std::pair{0, 0}, {1, 0}, {1, 3}, {2, 1}, {2, 2}})
        for (std::uint8_t rate : {0, 1, 2})
            for (TSoundPageKind kind :
                 {TSoundPageKind::BlockStart, TSoundPageKind::Stamp, TSoundPageKind::AfterStamp, TSoundPageKind::Plain})
                for (std::size_t pages : {1u, 3u}) {
                    const TBlockHeader header =
                        Header(static_cast<std::uint8_t>(compress), static_cast<std::uint8_t>(param), rate);
                    const std::vector<std::uint8_t> run(pages * kPage, 0x5A);
                    SCOPED_TRACE(testing::Message() << compress << "/" << param << " rate " << int{rate} << " kind "
                                                    << int(kind) << " pages " << pages);
                    EXPECT_EQ(DecodedSampleCount(header, kind, kPage, pages), Decode(header, kind, run, false).size());
                }
}

// The erased words that end a stretch's last page decode as code 0, not as
// 0xF or 3, which would drive the estimate to full scale; only that page's.
TEST(SoundFramingTest, ErasedTailOfABreakPageDecodesAsZeroCodes)
{
    for (std::uint8_t param : {2, 1}) {
        SCOPED_TRACE(param == 1 ? "2-bit" : "4-bit");
        const std::uint8_t rising = param == 1 ? 0x55 : 0x77;  // codes that never step down
        std::mt19937 random(7);
        std::vector<std::uint8_t> pages(2 * kPage, 0xFF);
        for (std::size_t page = 0; page < 2; ++page)
            for (std::size_t i = 0; i < 1000; ++i)
                pages[page * kPage + i] = static_cast<std::uint8_t>(random() & rising);
        std::vector<std::uint8_t> zeroed = pages;
        std::fill(zeroed.begin() + kPage + 1000, zeroed.end(), 0);

        const TBlockHeader header = Header(2, param);
        const auto broken = Decode(header, TSoundPageKind::Plain, pages, true);
        EXPECT_EQ(broken, Decode(header, TSoundPageKind::Plain, zeroed, false));
        // The first page of the run keeps its tail: its codes reach full scale.
        EXPECT_LT(*std::min_element(broken.begin(), broken.begin() + broken.size() / 2), -32000);
        EXPECT_GT(*std::min_element(broken.begin() + broken.size() / 2, broken.end()), -20000);
    }
}

// A frame header is the byte read while the frame counter is 0, whatever
// it decodes to; code 0 inside a frame is a sample of 0.
TEST(SoundFramingTest, CompandedFramesRoundTripAcrossPages)
{
    auto signal = [](std::size_t i) -> std::int16_t {
        return (i / 500) % 2 ? 0 : static_cast<std::int16_t>(8000 * std::sin(0.05 * static_cast<double>(i)));
    };
    constexpr std::uint16_t kFrame = 160;  // 8000 Hz
    std::vector<std::uint8_t> pages(3 * kPage, 0x55);
    std::vector<std::int16_t> sent;
    TSoundPageKind kind = TSoundPageKind::BlockStart;
    for (std::size_t p = 0; p < 3; ++p, kind = NextPageKind(kind)) {
        TCompandState state;
        for (std::uint32_t i = SoundDataStart(TPageFraming::Plain, kind); i < kPage - 2; ++i) {
            if (state.Counter == 0) {
                std::int16_t ahead[kFrame];
                for (std::uint16_t a = 0; a < kFrame; ++a)
                    ahead[a] = signal(sent.size() + a);
                CompandPrepareFrame(state, ahead, kFrame);
                pages[p * kPage + i] = CompandEncode8(0, state);
                state.Counter = kFrame;
            } else {
                sent.push_back(signal(sent.size()));
                pages[p * kPage + i] = CompandEncode8(sent.back(), state);
            }
        }
    }
    const auto got = Decode(Header(1, 0), TSoundPageKind::BlockStart, pages, false);
    ASSERT_EQ(got.size(), sent.size());
    for (std::size_t i = 0; i < sent.size(); ++i)
        ASSERT_NEAR(got[i], sent[i], 8 + std::abs(sent[i]) / 10) << "sample " << i;
}
