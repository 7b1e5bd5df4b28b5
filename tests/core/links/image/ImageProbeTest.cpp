#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "core/links/image/ImageAttach.h"
#include "core/links/image/ImageProbe.h"
#include "tests/core/links/image/ImageLinkFixture.h"
#include "tests/support/ImageBuilder.h"

namespace {

class ImageProbeTest : public ImageLinkFixture {
protected:
    bool Probe(const ImageBuilder& builder)
    {
        const std::string path = File("probe.qdm");
        builder.Write(path);
        AttachImageFile(Q(path), false);
        return ImageProbe();
    }
};

struct ProbeCase {
    const char* name;
    std::function<void(ImageBuilder&)> build;
    bool found;
    std::uint32_t dataStart;
    std::uint32_t blocksPerChip;
};

// Default builder geometry: 512 + 16 bytes a page, 4 pages a block (block
// stride 2112), 8 blocks after a data start of one page stride (528).
TEST_F(ImageProbeTest, FindsTheMagicAndCountsTheBlocks)
{
    const ProbeCase cases[] = {
        {"plain", [](ImageBuilder&) {}, true, 528, 8},
        {"first image block counted", [](ImageBuilder& b) { b.FirstImageBlock(3); }, true, 528, 11},
        // Command 29 reports the block count in 16 bits.
        {"the largest count command 29 reports", [](ImageBuilder& b) { b.FirstImageBlock(0xFFFF - 8); }, true, 528,
         0xFFFF},
        {"one block more", [](ImageBuilder& b) { b.FirstImageBlock(0x10000 - 8); }, false, 0, 0},
        {"last offset of the first read", [](ImageBuilder& b) { b.DataStart(16379); }, true, 16379, 8},
        {"across the read boundary", [](ImageBuilder& b) { b.DataStart(16382); }, true, 16382, 8},
        {"start of the second read", [](ImageBuilder& b) { b.DataStart(16380); }, true, 16380, 8},
        {"third read", [](ImageBuilder& b) { b.DataStart(40000); }, true, 40000, 8},
        {"within 120 blocks", [](ImageBuilder& b) { b.DataStart(120 * 2112 - 100); }, true, 120 * 2112 - 100, 8},
        {"beyond 120 blocks", [](ImageBuilder& b) { b.DataStart(121 * 2112 + 16384); }, false, 0, 0},
        {"no magic", [](ImageBuilder& b) { b.WithoutMagic(); }, false, 0, 0},
        {"wrong CRC", [](ImageBuilder& b) { b.CorruptCrc(); }, false, 0, 0},
        {"zero page stride", [](ImageBuilder& b) { b.HeaderByte(0x12C, 0).HeaderByte(0x12D, 0); }, false, 0, 0},
        {"zero pages per block", [](ImageBuilder& b) { b.HeaderByte(0x12E, 0).HeaderByte(0x12F, 0); }, false, 0, 0},
    };
    for (const ProbeCase& c : cases) {
        SCOPED_TRACE(c.name);
        ImageBuilder builder;
        c.build(builder);
        ASSERT_EQ(Probe(builder), c.found);
        if (c.found) {
            EXPECT_EQ(LinkGeometry.dataStart, c.dataStart);
            EXPECT_EQ(LinkGeometry.blocksPerChip, c.blocksPerChip);
            EXPECT_EQ(LinkGeometry.chipCount, 1);
            EXPECT_EQ(LinkGeometry.pageStride, 528);
            EXPECT_EQ(LinkGeometry.blockStride, 2112u);
        } else {
            EXPECT_EQ(LinkGeometry.dataStart, TLinkGeometry::kNoDataStart);
        }
        EXPECT_EQ(LinkGeometry.imageHandle, TLinkGeometry::kClosed);
    }
}

TEST_F(ImageProbeTest, PartialBlockAtTheEndIsNotCounted)
{
    const std::string path = File("partial.qdm");
    ImageBuilder builder;
    builder.Write(path);
    std::filesystem::resize_file(path, builder.FileSize() + 2111);
    AttachImageFile(Q(path), false);
    ASSERT_TRUE(ImageProbe());
    EXPECT_EQ(LinkGeometry.blocksPerChip, 8u);
}

TEST_F(ImageProbeTest, MagicCutByTheEndOfTheFileIsNotFound)
{
    const std::string path = File("cut.qdm");
    ImageBuilder().DataStart(20000).Write(path);
    std::filesystem::resize_file(path, 20003);
    AttachImageFile(Q(path), false);
    EXPECT_FALSE(ImageProbe());

    ImageBuilder().DataStart(20000).Write(path);
    std::filesystem::resize_file(path, 20004);
    EXPECT_TRUE(ImageProbe());
    EXPECT_EQ(LinkGeometry.blocksPerChip, 0u);
}

}  // namespace
