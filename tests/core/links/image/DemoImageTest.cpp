#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "core/links/image/DemoImage.h"
#include "core/links/image/ImageAttach.h"
#include "core/links/image/ImageHeader.h"
#include "core/links/image/ImageProbe.h"
#include "core/protocol/Crc16.h"
#include "core/protocol/RecXchange.h"
#include "tests/core/links/image/ImageLinkFixture.h"
#include "tests/support/WriteDenied.h"

namespace {

constexpr std::uint64_t kDemoSize = 17303616;  // 2112 + 64 x 270336
constexpr std::size_t kStride = 2112;

class DemoImageTest : public ImageLinkFixture {
protected:
    std::string Folder() const { return File(""); }
    std::string DemoPath() const { return File("ZEL4_DEMO.QDM"); }

    static std::string ReadText(const std::string& path)
    {
        const auto bytes = ReadFile(path);
        return {bytes.begin(), bytes.end()};
    }
    static void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
    {
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
};

TEST_F(DemoImageTest, PathIsInTheGivenFolder)
{
    EXPECT_EQ(DemoImagePath("/home/u/Documents"), "/home/u/Documents/ZEL4_DEMO.QDM");
    EXPECT_EQ(DemoImagePath("/home/u/Documents/"), "/home/u/Documents/ZEL4_DEMO.QDM");
}

TEST_F(DemoImageTest, CreatedImageIsBlankWithHeaderAndBlockTable)
{
    AttachDemoImage(Q(Folder()));
    const auto bytes = ReadFile(DemoPath());
    ASSERT_EQ(bytes.size(), kDemoSize);

    // Header: all 0xFF but the fields a created image sets, and a valid CRC.
    EXPECT_TRUE(ImageHeaderValid(bytes.data()));
    EXPECT_EQ(GetU16(&bytes[0x12A]), 1);
    EXPECT_EQ(GetU16(&bytes[0x12C]), 2112);
    EXPECT_EQ(GetU16(&bytes[0x12E]), 128);
    EXPECT_EQ(GetU32(&bytes[0x130]), 0u);
    EXPECT_EQ(bytes[0x1C9], 10);
    EXPECT_EQ(bytes[0x1CA], 0);
    for (std::size_t i = 0; i < 0x1FE; ++i) {
        if ((i >= 0x12A && i < 0x134) || i == 0x1C9 || i == 0x1CA)
            continue;
        ASSERT_EQ(bytes[i], 0xFF) << "header byte " << i;
    }
    EXPECT_TRUE(std::all_of(&bytes[512], &bytes[kStride], [](std::uint8_t b) { return b == 0; }));

    // Block table: magic, one sector of 128 free entries (and padding), CRC.
    EXPECT_TRUE(std::equal(ImageMagic.begin(), ImageMagic.end(), &bytes[kStride]));
    EXPECT_TRUE(std::all_of(&bytes[2 * kStride], &bytes[2 * kStride + 512], [](std::uint8_t b) { return b == 0xFF; }));
    std::uint16_t crc = Crc16Update(ImageMagic.data(), 4, 0);
    const std::vector<std::uint8_t> freeTable(2 * 128, 0xFF);
    crc = Crc16Update(freeTable.data(), static_cast<std::uint32_t>(freeTable.size()), crc);
    EXPECT_EQ(GetU16(&bytes[3 * kStride]), crc);

    // Everything else erased.
    auto erased = [&](std::size_t from, std::size_t to) {
        return std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                           bytes.begin() + static_cast<std::ptrdiff_t>(to), [](std::uint8_t b) { return b == 0xFF; });
    };
    EXPECT_TRUE(erased(kStride + 4, 2 * kStride));
    EXPECT_TRUE(erased(2 * kStride + 512, 3 * kStride));
    EXPECT_TRUE(erased(3 * kStride + 2, bytes.size()));
}

TEST_F(DemoImageTest, ProbeCountsOnlyTheBlocksInTheFile)
{
    AttachDemoImage(Q(Folder()));
    ASSERT_TRUE(ImageProbe());
    EXPECT_EQ(LinkGeometry.chipCount, 1);
    EXPECT_EQ(LinkGeometry.blocksPerChip, 64u);
    EXPECT_EQ(LinkGeometry.pagesPerBlock, 128u);
    EXPECT_EQ(LinkGeometry.pageStride, 2112);
    EXPECT_EQ(LinkGeometry.dataStart, 2112u);

    // Command 29 answers the page stride as the page size.
    std::vector<std::uint8_t> expected{1};
    for (auto part : {U16(128), U16(64), U16(2112)})
        expected.insert(expected.end(), part.begin(), part.end());
    EXPECT_EQ(Run(cmdGetFlashParam), expected);
}

// A format erases every block it is told of; the file must not grow, and
// the next probe must not count more blocks.
TEST_F(DemoImageTest, FormattingEveryBlockKeepsTheFileSize)
{
    for (int round = 0; round < 2; ++round) {
        AttachDemoImage(Q(Folder()));
        ASSERT_TRUE(ImageProbe());
        ASSERT_EQ(LinkGeometry.TotalBlocks(), 64u);
        for (std::uint16_t block = 0; block < LinkGeometry.TotalBlocks(); ++block)
            Run(cmdEraseBlock, U16(block));
        EXPECT_THROW(Run(cmdEraseBlock, U16(64)), TERecXchange);
        EXPECT_EQ(std::filesystem::file_size(DemoPath()), kDemoSize);
    }
}

TEST_F(DemoImageTest, ValidImageIsKept)
{
    AttachDemoImage(Q(Folder()));
    ASSERT_TRUE(ImageProbe());
    std::vector<std::uint8_t> page = U32(128 * 5);
    page.resize(4 + kStride, 0x42);
    Run(cmdWritePage, page);

    AttachDemoImage(Q(Folder()));
    ASSERT_TRUE(ImageProbe());
    const auto back = Run(cmdGetPartsOfPages, PartsRequest(128 * 5, 0, kStride, 1, 1));
    EXPECT_EQ(back, std::vector<std::uint8_t>(kStride, 0x42));
    // The rebuilt table now names the owner field of block 5 (0x4242).
    const auto bytes = ReadFile(DemoPath());
    EXPECT_EQ(GetU16(&bytes[2 * kStride + 2 * 5]), 0x4242);
    EXPECT_FALSE(std::filesystem::exists(DemoPath() + ".bad"));
}

TEST_F(DemoImageTest, UnusableImagesNeverReplaceAnEarlierCopy)
{
    const std::string older = "an older copy the user set aside";
    const std::string image(300, 'x');
    {
        std::ofstream(DemoPath() + ".bad") << older;
        std::ofstream(DemoPath()) << image;
    }
    const TImageAttachNotice notice = AttachDemoImage(Q(Folder()));

    EXPECT_EQ(notice.Kind, TImageAttachNotice::TKind::MovedAside);
    EXPECT_EQ(notice.Path, Q(DemoPath()));
    EXPECT_EQ(notice.Aside, Q(DemoPath() + ".bad.1"));
    EXPECT_EQ(ReadText(DemoPath() + ".bad"), older);
    EXPECT_EQ(ReadText(DemoPath() + ".bad.1"), image);
    EXPECT_EQ(std::filesystem::file_size(DemoPath()), kDemoSize);
    EXPECT_TRUE(ImageProbe());

    // The next damaged image takes the next free name; the earlier copies stay.
    std::filesystem::resize_file(DemoPath(), 5000);
    EXPECT_EQ(AttachDemoImage(Q(Folder())).Aside, Q(DemoPath() + ".bad.2"));
    EXPECT_EQ(ReadText(DemoPath() + ".bad"), older);
    EXPECT_EQ(ReadText(DemoPath() + ".bad.1"), image);
    EXPECT_EQ(std::filesystem::file_size(DemoPath() + ".bad.2"), 5000u);
    EXPECT_TRUE(ImageProbe());
}

TEST_F(DemoImageTest, AMissingOrUsableImageHasNothingToTell)
{
    EXPECT_FALSE(AttachDemoImage(Q(Folder())));
    EXPECT_FALSE(AttachDemoImage(Q(Folder())));
    EXPECT_FALSE(std::filesystem::exists(DemoPath() + ".bad"));
}

// A header field patched, its CRC made right again: the header is valid,
// the layout it describes is not.
struct ImpossibleLayout {
    const char* name;
    std::size_t field;
    std::uint16_t value;
};

void PrintTo(const ImpossibleLayout& c, std::ostream* os)
{
    *os << c.name;
}

class ImpossibleLayoutTest : public DemoImageTest, public ::testing::WithParamInterface<ImpossibleLayout> {};

TEST_P(ImpossibleLayoutTest, IsMovedAsideUnchangedByteForByte)
{
    AttachDemoImage(Q(Folder()));
    std::vector<std::uint8_t> bytes = ReadFile(DemoPath());
    PutU16(&bytes[GetParam().field], GetParam().value);
    PutU16(&bytes[image_header::kCrc], ImageHeaderCrc(bytes.data()));
    ASSERT_TRUE(ImageHeaderValid(bytes.data()));
    WriteFile(DemoPath(), bytes);

    const TImageAttachNotice notice = AttachDemoImage(Q(Folder()));

    EXPECT_EQ(notice.Kind, TImageAttachNotice::TKind::MovedAside);
    EXPECT_TRUE(ReadFile(DemoPath() + ".bad") == bytes) << "the image moved aside was written to";
    EXPECT_EQ(std::filesystem::file_size(DemoPath()), kDemoSize);
    EXPECT_TRUE(ImageProbe());
}

INSTANTIATE_TEST_SUITE_P(Header, ImpossibleLayoutTest,
                         ::testing::Values(ImpossibleLayout{"PageSizeZero", image_header::kPageStride, 0},
                                           ImpossibleLayout{"NoPagesInABlock", image_header::kPagesPerBlock, 0},
                                           ImpossibleLayout{"PageBelowATableSector", image_header::kPageStride, 100},
                                           ImpossibleLayout{"BlockLargerThanTheFile", image_header::kPagesPerBlock,
                                                            0xFFFF}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DemoImageTest, AnImageThatMayNotBeWrittenIsLeftAsItIsAndNamed)
{
    AttachDemoImage(Q(Folder()));
    const std::vector<std::uint8_t> before = ReadFile(DemoPath());
    TImageAttachNotice notice;
    {
        WriteDeniedScope denied(DemoPath(), Folder());
        notice = AttachDemoImage(Q(Folder()));
        EXPECT_FALSE(ImageProbe());
    }
    EXPECT_EQ(notice.Kind, TImageAttachNotice::TKind::NotOpened);
    EXPECT_EQ(notice.Path, Q(DemoPath()));
    EXPECT_EQ(notice.Reason, QString::fromLocal8Bit(std::strerror(EACCES)));
    EXPECT_TRUE(ReadFile(DemoPath()) == before);
    EXPECT_FALSE(std::filesystem::exists(DemoPath() + ".bad"));
}

TEST_F(DemoImageTest, ImageCutShortIsMovedAsideAndRecreated)
{
    AttachDemoImage(Q(Folder()));
    std::filesystem::resize_file(DemoPath(), 5000);  // the header survives, no block does
    AttachDemoImage(Q(Folder()));

    EXPECT_EQ(std::filesystem::file_size(DemoPath()), kDemoSize);
    EXPECT_EQ(std::filesystem::file_size(DemoPath() + ".bad"), 5000u);
    EXPECT_TRUE(ImageProbe());
}

TEST_F(DemoImageTest, HeaderWithWrongCrcIsRecreated)
{
    AttachDemoImage(Q(Folder()));
    {
        std::fstream f(DemoPath(), std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(0x1D1);
        f.put(0x12);  // serial number, covered by the CRC
    }
    AttachImageFile(Q(DemoPath()), false);
    EXPECT_FALSE(ImageProbe());
    AttachDemoImage(Q(Folder()));
    EXPECT_TRUE(ImageProbe());
    EXPECT_EQ(std::filesystem::file_size(DemoPath() + ".bad"), kDemoSize);
}

TEST_F(DemoImageTest, ImageFileConnectionNeverCreatesOrRecreates)
{
    const std::string missing = File("missing.qdm");
    AttachImageFile(Q(missing), false);
    EXPECT_FALSE(ImageProbe());
    EXPECT_THROW(Run(cmdGetVolt), TERecXchange);
    EXPECT_FALSE(std::filesystem::exists(missing));

    const std::string broken = File("broken.qdm");
    std::ofstream(broken) << std::string(600, 'x');
    AttachImageFile(Q(broken), false);
    EXPECT_FALSE(ImageProbe());
    EXPECT_EQ(ReadFile(broken), std::vector<std::uint8_t>(600, 'x'));
    EXPECT_FALSE(std::filesystem::exists(broken + ".bad"));
}

}  // namespace
