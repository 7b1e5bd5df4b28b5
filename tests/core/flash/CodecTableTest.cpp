#include <gtest/gtest.h>

#include <string>

#include "core/flash/CodecTable.h"

namespace {

TEST(CodecTable, PairsMapToTheirCodec)
{
    struct Case {
        std::uint8_t compress, param;
        TSoundCodecId codec;
        TCompressionCaption caption;
        bool scaled;
        TPageFraming framing;
        int divisor;
    };
    const Case cases[] = {
        {0, 0, scNoCompression, TCompressionCaption::NoCompress, false, TPageFraming::Plain, 1},
        {0, 9, scNoCompression, TCompressionCaption::NoCompress, false, TPageFraming::Plain, 1},
        {1, 2, scCompanded8, TCompressionCaption::uLaw, true, TPageFraming::Plain, 2},
        {2, 1, scAdpcm2, TCompressionCaption::Adpcm2, false, TPageFraming::Adpcm, 8},
        {2, 0, scAdpcm4, TCompressionCaption::Adpcm4, false, TPageFraming::Adpcm, 4},
        {2, 2, scAdpcm4, TCompressionCaption::Adpcm4, false, TPageFraming::Adpcm, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.compress) + "/" + std::to_string(c.param));
        const TCodecInfo* codec = FindCodec(c.compress, c.param);
        ASSERT_NE(codec, nullptr);
        EXPECT_EQ(codec->codecId, c.codec);
        EXPECT_EQ(codec->caption, c.caption);
        EXPECT_EQ(codec->scaled, c.scaled);
        EXPECT_EQ(codec->framing, c.framing);
        EXPECT_EQ(codec->uploadDivisor, c.divisor);
        EXPECT_EQ(&CodecInfo(c.caption), codec);
    }
}

TEST(CodecTable, AnUnknownCompressionHasNoCodec)
{
    for (const std::uint8_t compress : {3, 7, 255})
        EXPECT_EQ(FindCodec(compress, 0), nullptr) << int(compress);
}

TEST(CodecTable, SoundBytesOfABlockPerFraming)
{
    // 64 pages of 2048: 64 header bytes, then 2 (plain) or 4 (ADPCM, less
    // the 2 the header gives back) bytes a page.
    EXPECT_EQ(SoundBytesPerBlock(TPageFraming::Plain, 64, 2048), 131072 - 64 - 128);
    EXPECT_EQ(SoundBytesPerBlock(TPageFraming::Adpcm, 64, 2048), 131072 - 64 - 256 + 2);
}

}  // namespace
