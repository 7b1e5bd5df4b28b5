// The content builder's sound pages decode to its signal in every codec,
// with the page framing the download uses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/flash/FlashLayout.h"
#include "core/flash/SampleCodecs.h"
#include "core/protocol/NandEcc.h"
#include "core/protocol/RecorderCommands.h"
#include "core/protocol/SampleRate.h"
#include "tests/support/ContentBuilder.h"

namespace {

// Decodes the sound bytes [from, P-2) of one page, codec state reset.
std::vector<std::int16_t> DecodePage(const std::vector<std::uint8_t>& page, const RecordingSpec& spec,
                                     std::uint32_t from)
{
    std::vector<std::int16_t> out;
    const std::size_t end = page.size() - 2;
    TAdpcmState adpcm;
    TCompandState compand;
    const auto frame = static_cast<std::uint16_t>(RateCodeToHz(spec.rateCode) / 50);
    for (std::size_t i = from; i < end; ++i) {
        const std::uint8_t b = page[i];
        switch (spec.compress) {
        case 0:
            if (i + 1 < end)
                out.push_back(static_cast<std::int16_t>(GetU16(&page[i])));
            ++i;
            break;
        case 1:
            if (compand.Counter == 0) {
                CompandDecode8(b, compand);
                compand.Counter = frame;
            } else {
                out.push_back(CompandDecode8(b, compand));
            }
            break;
        default:
            if (spec.param == 1) {
                for (int shift = 6; shift >= 0; shift -= 2)
                    out.push_back(Adpcm2Decode(static_cast<std::uint8_t>(b >> shift & 3), adpcm));
            } else {
                out.push_back(ImaAdpcmDecode4(b >> 4, adpcm));
                out.push_back(ImaAdpcmDecode4(b & 15, adpcm));
            }
        }
    }
    return out;
}

}  // namespace

TEST(ContentBuilderTest, SoundPagesCarryTheSignalInEachCodec)
{
    struct Case {
        const char* name;
        std::uint8_t compress, param, rate;
        double minSnrDb;
    };
    const Case cases[] = {
        {"PCM 16000 Hz", 0, 0, 0, 90}, {"companded scale 0", 1, 0, 1, 30}, {"companded scale 2", 1, 2, 2, 30},
        {"ADPCM 4-bit", 2, 2, 1, 20},  {"ADPCM 2-bit", 2, 1, 1, 8},
    };
    for (std::uint16_t pageSize : {std::uint16_t{2048}, std::uint16_t{2112}}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(pageSize));
            ContentGeometry geometry;
            geometry.totalBlocks = 4;
            geometry.pagesPerBlock = 8;
            geometry.pageSize = pageSize;
            ContentBuilder content(geometry);
            RecordingSpec spec;
            spec.compress = c.compress;
            spec.param = c.param;
            spec.rateCode = c.rate;
            const std::uint32_t block = content.AddRecording(spec).blocks[0];

            // Page 0 of the block: the sound starts after the header area.
            const std::vector<std::uint8_t> first = content.PageBytes(std::uint64_t{block} * 8);
            std::vector<std::int16_t> decoded =
                DecodePage(first, spec, ContentBuilder::SoundStart(c.compress, true, false));
            const std::vector<std::uint8_t> second = content.PageBytes(std::uint64_t{block} * 8 + 1);
            EXPECT_EQ(second[pageSize - 2], flash_layout::kSoundPageMark);
            const std::vector<std::int16_t> more =
                DecodePage(second, spec, ContentBuilder::SoundStart(c.compress, false, false));
            decoded.insert(decoded.end(), more.begin(), more.end());

            double signal = 0, error = 0;
            for (std::size_t i = 0; i < decoded.size(); ++i) {
                // The default signal, sample by sample, as the builder made it.
                const double t = static_cast<double>(i) / 8000.0;
                const double envelope = 0.3 + 0.7 * std::pow(std::sin(M_PI * 3 * t), 2);
                const double x = std::lround(envelope * (5000 * std::sin(2 * M_PI * 150 * t) +
                                                         2500 * std::sin(2 * M_PI * 450 * t + 1) +
                                                         900 * std::sin(2 * M_PI * 1700 * t + 2)));
                signal += x * x;
                error += (x - decoded[i]) * (x - decoded[i]);
            }
            const double snr = 10 * std::log10(signal / std::max(error, 1.0));
            EXPECT_GT(snr, c.minSnrDb);
        }
    }
}

TEST(ContentBuilderTest, DriveFilePagesCarryNameDataAndEcc)
{
    ContentGeometry geometry;
    geometry.totalBlocks = 8;
    geometry.pagesPerBlock = 4;
    geometry.pageSize = 2048;
    ContentBuilder content(geometry);
    DriveFileSpec spec;
    spec.name = u"x.bin";
    spec.data.assign(3 * 2024, 0xA5);  // fills the first block's pages 1-3
    const std::vector<std::uint32_t> blocks = content.AddDriveFile(spec);
    ASSERT_EQ(blocks.size(), 1u);
    const std::vector<std::uint8_t> first = content.PageBytes(std::uint64_t{blocks[0]} * 4);
    EXPECT_EQ(GetU16(&first[64]), u'x');
    EXPECT_EQ(GetU16(&first[64 + 2 * 5]), 0);
    const std::vector<std::uint8_t> data = content.PageBytes(std::uint64_t{blocks[0]} * 4 + 3);
    EXPECT_EQ(data[0], 0xA5);
    EXPECT_EQ(data[2023], 0xA5);
    std::uint8_t ecc[3];
    NandEccCalculate(ecc, data.data());
    EXPECT_TRUE(std::equal(ecc, ecc + 3, data.begin() + 2024));  // chunk 0's triple
    // The last chunk covers the ECC area; its own triple was still erased.
    std::vector<std::uint8_t> last(data.begin() + 7 * 256, data.begin() + 8 * 256);
    std::fill(last.end() - 3, last.end(), std::uint8_t{0xFF});
    NandEccCalculate(ecc, last.data());
    EXPECT_TRUE(std::equal(ecc, ecc + 3, data.begin() + 2045));
}
