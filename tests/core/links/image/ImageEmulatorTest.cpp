#include <gtest/gtest.h>

#include <filesystem>

#include "core/links/image/ImageAttach.h"
#include "core/links/image/ImageFile.h"
#include "core/links/image/ImageHeader.h"
#include "core/links/image/ImageProbe.h"
#include "core/protocol/RecXchange.h"
#include "core/protocol/RecorderFrame.h"
#include "tests/core/links/image/ImageLinkFixture.h"
#include "tests/support/ImageBuilder.h"

namespace {

// 512 + 16 bytes a page, 4 pages a block, blocks 2..9 in the file.
constexpr std::uint32_t kStride = 528;
constexpr std::uint32_t kPages = 4;
constexpr std::uint32_t kFirst = 2;
constexpr std::uint32_t kBlocks = 10;

class ImageEmulatorTest : public ImageLinkFixture {
protected:
    void Open(ImageBuilder builder = {})
    {
        builder.FirstImageBlock(kFirst).Blocks(kBlocks - kFirst);
        m_builder = builder;
        builder.Write(m_path);
        AttachImageFile(Q(m_path), false);
        ASSERT_TRUE(ImageProbe());
        ASSERT_EQ(LinkGeometry.TotalBlocks(), kBlocks);
    }

    std::vector<std::uint8_t> FileBytes() const { return ReadFile(m_path); }
    std::uint64_t Offset(std::uint32_t block, std::uint32_t page) const { return m_builder.PageOffset(block, page); }

    static std::vector<std::uint8_t> Pattern(std::size_t length, std::uint8_t seed)
    {
        std::vector<std::uint8_t> out(length);
        for (std::size_t i = 0; i < length; ++i)
            out[i] = static_cast<std::uint8_t>(seed + i * 13);
        return out;
    }

    static void ExpectIoError(std::uint8_t code, const std::vector<std::uint8_t>& request)
    {
        try {
            Run(code, request);
            ADD_FAILURE() << "command " << int(code) << " succeeded";
        } catch (const TERecXchange& e) {
            EXPECT_EQ(e.Text, "I/O Error");
            EXPECT_EQ(e.Code, code);
            EXPECT_EQ(e.Extra, 0);
        }
    }

    std::string m_path = File("emu.qdm");
    ImageBuilder m_builder;
};

TEST_F(ImageEmulatorTest, StatusReplies)
{
    Open(ImageBuilder().Firmware(3, 7).SerialNumber(0x01020304).FirstDataBlock(5));
    EXPECT_EQ(Run(cmdGetRtc), U32(0));
    EXPECT_EQ(Run(cmdGetVolt), U16(3050));
    EXPECT_EQ(GetU16(Run(cmdGetFwVer).data()), 0x0307);
    const auto production = Run(cmdGetProdParam);
    EXPECT_EQ(GetU32(production.data()), 0x01020304u);
    EXPECT_EQ(GetU32(production.data() + 4), 11223344u);
    EXPECT_EQ(Run(cmdGetFirstRecBlock), U16(5));
    const auto flash = Run(cmdGetFlashParam);
    EXPECT_EQ(flash[0], 1);
    EXPECT_EQ(GetU16(&flash[1]), kPages);
    EXPECT_EQ(GetU16(&flash[3]), kBlocks);
    EXPECT_EQ(GetU16(&flash[5]), kStride);
}

TEST_F(ImageEmulatorTest, SetClockIsAnsweredAndNothingIsStored)
{
    Open();
    const auto before = FileBytes();
    EXPECT_EQ(Run(cmdSetRtc, U32(1700000000)), U32(1700000000));
    EXPECT_EQ(Run(cmdGetRtc), U32(0));
    EXPECT_EQ(FileBytes(), before);
}

TEST_F(ImageEmulatorTest, PasswordReplies)
{
    const std::vector<std::uint8_t> secret{1, 2, 3, 4, 5, 6, 7};
    Open();
    EXPECT_EQ(Run(cmdCheckPassword, secret), std::vector<std::uint8_t>{0x55});

    Open(ImageBuilder().Password({1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(Run(cmdCheckPassword, secret), std::vector<std::uint8_t>{0xFF});
    EXPECT_EQ(Run(cmdCheckPassword, {1, 2, 3, 4, 5, 6, 8}), std::vector<std::uint8_t>{0});

    // 80 clears the password in the file.
    Run(cmdSetDefNoFlashErase);
    EXPECT_EQ(Run(cmdCheckPassword, secret), std::vector<std::uint8_t>{0x55});
    const auto bytes = FileBytes();
    EXPECT_TRUE(ImageHeaderValid(bytes.data()));
    EXPECT_EQ(std::vector<std::uint8_t>(&bytes[0x199], &bytes[0x1A0]), std::vector<std::uint8_t>(7, 0xFF));
}

TEST_F(ImageEmulatorTest, PagesBelowTheFirstImageBlockReadErased)
{
    Open(ImageBuilder().Owner(3, 0x0102).Owner(9, 0x8005));
    // The owner fields of blocks 0..9: reserved, the magic at block F, owners.
    const auto owners = Run(cmdGetPartsOfPages, PartsRequest(0, 0, 2, kPages, kBlocks));
    const std::vector<std::uint8_t> expected{0xFF, 0xFF, 0xFF, 0xFF, 0xEE, 0x7F, 0x02, 0x01, 0xFF, 0xFF,
                                             0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x05, 0x80};
    EXPECT_EQ(owners, expected);
    EXPECT_EQ(Run(cmdGetPartsOfPages, PartsRequest(kFirst * kPages - 1, 0, kStride, 1, 1)),
              std::vector<std::uint8_t>(kStride, 0xFF));
}

TEST_F(ImageEmulatorTest, WritesReadBack)
{
    Open();
    // Command 16: one page with its spare bytes.
    const std::uint32_t page = 4 * kPages + 2;
    std::vector<std::uint8_t> request = U32(page);
    const auto data = Pattern(kStride, 1);
    request.insert(request.end(), data.begin(), data.end());
    EXPECT_EQ(Run(cmdBeginWritePage, U32(page)), U32(page));
    EXPECT_EQ(Run(cmdWritePage, request), U32(page));
    EXPECT_EQ(Run(cmdGetPartsOfPages, PartsRequest(page, 0, kStride, 1, 1)), data);
    const auto bytes = FileBytes();
    EXPECT_TRUE(std::equal(data.begin(), data.end(), &bytes[Offset(4, 2)]));

    // Parts of pages: the status words of two pages, and a part running on
    // into the next page as it does in the file.
    EXPECT_EQ(Run(cmdGetPartsOfPages, PartsRequest(page, kStride - 2, 2, 1, 2)),
              (std::vector<std::uint8_t>{data[kStride - 2], data[kStride - 1], 0xFF, 0xFF}));

    // Command 0: a whole block.
    std::vector<std::uint8_t> block = U16(7);
    const auto blockData = Pattern(kStride * kPages, 9);
    block.insert(block.end(), blockData.begin(), blockData.end());
    Run(cmdWriteBlock, block);
    EXPECT_EQ(Run(cmdGetPartsOfPages, PartsRequest(7 * kPages, 0, kStride, 1, kPages)), blockData);

    // Command 18 erases it; below the first image block it only answers.
    EXPECT_EQ(Run(cmdEraseBlock, U16(7)), U16(7));
    EXPECT_EQ(Run(cmdGetPartsOfPages, PartsRequest(7 * kPages, 0, kStride, 1, kPages)),
              std::vector<std::uint8_t>(kStride * kPages, 0xFF));
    const auto beforeReserved = FileBytes();
    EXPECT_EQ(Run(cmdEraseBlock, U16(1)), U16(1));
    EXPECT_EQ(FileBytes(), beforeReserved);
}

// Writes outside the blocks the file holds would land in the header or
// beyond the end of the file.
TEST_F(ImageEmulatorTest, WritesOutsideTheImageAreRefused)
{
    Open();
    const auto before = FileBytes();
    auto pageRequest = [](std::uint32_t page) {
        std::vector<std::uint8_t> r = U32(page);
        r.resize(4 + kStride, 0x11);
        return r;
    };
    auto blockRequest = [](std::uint16_t block) {
        std::vector<std::uint8_t> r = U16(block);
        r.resize(2 + kStride * kPages, 0x22);
        return r;
    };
    ExpectIoError(cmdWritePage, pageRequest(kFirst * kPages - 1));
    ExpectIoError(cmdWritePage, pageRequest(0));
    ExpectIoError(cmdWritePage, pageRequest(kBlocks * kPages));
    ExpectIoError(cmdWritePage, pageRequest(0xFFFFFFFF));
    ExpectIoError(cmdWriteBlock, blockRequest(kFirst - 1));
    ExpectIoError(cmdWriteBlock, blockRequest(kBlocks));
    ExpectIoError(cmdWriteBlock, blockRequest(0xFFFF));
    ExpectIoError(cmdEraseBlock, U16(kBlocks));
    // A request shorter than its payload.
    ExpectIoError(cmdWritePage, U32(kFirst * kPages));
    ExpectIoError(cmdWriteBlock, U16(kFirst));
    EXPECT_EQ(FileBytes(), before);
}

TEST_F(ImageEmulatorTest, FlashCommandsFailWithoutAProbe)
{
    ImageBuilder().Write(m_path);
    AttachImageFile(Q(m_path), false);
    ASSERT_TRUE(ReadImageHeader());
    const auto before = FileBytes();
    ExpectIoError(cmdEraseBlock, U16(3));
    ExpectIoError(cmdGetPartsOfPages, PartsRequest(0, 0, 4, 1, 1));
    EXPECT_EQ(FileBytes(), before);
}

TEST_F(ImageEmulatorTest, PendingReplyNeverAnswersALaterCommand)
{
    Open();
    // Command 7 without fetching leaves its answer; 65 makes none.
    std::uint8_t reply[2] = {};
    ImageExecute(cmdGetVolt, nullptr, 0, nullptr, 0, 300);
    EXPECT_THROW(ImageExecute(cmdSetDefault, nullptr, 0, reply, 2, 300), TERecXchange);
    // A fetch takes the reply once.
    ImageExecute(cmdGetVolt, nullptr, 0, reply, 2, 300);
    EXPECT_EQ(GetU16(reply), 3050);
    // More bytes than the answer holds.
    std::uint8_t big[4] = {};
    EXPECT_THROW(ImageExecute(cmdGetVolt, nullptr, 0, big, 4, 300), TERecXchange);
    // Commands without an answer succeed when none is expected.
    EXPECT_NO_THROW(ImageExecute(cmdSetDefault, nullptr, 0, nullptr, 0, 300));
}

TEST_F(ImageEmulatorTest, CurrentProfileFrameGoesIntoTheHeaderInMemory)
{
    Open();
    const auto before = FileBytes();
    const std::uint8_t profile = 5;
    EXPECT_EQ(Run(cmdSetCurrentProfile, {profile}), std::vector<std::uint8_t>{profile});
    const auto frame = BuildRecorderFrame(cmdSetCurrentProfile, &profile, 1);
    EXPECT_TRUE(std::equal(frame.begin(), frame.end(), LinkGeometry.header.begin()));
    EXPECT_EQ(LinkGeometry.header[4], profile);
    EXPECT_EQ(LinkGeometry.header[7], 0xFF);
    EXPECT_EQ(FileBytes(), before);

    ASSERT_TRUE(WriteImageHeader());
    ASSERT_TRUE(ReadImageHeader());
    EXPECT_EQ(LinkGeometry.header[4], profile);
}

TEST_F(ImageEmulatorTest, MissingFileFailsEveryCommand)
{
    Open();
    std::filesystem::remove(m_path);
    EXPECT_FALSE(ImageProbe());
    ExpectIoError(cmdGetVolt, {});
    ExpectIoError(cmdSetDefault, {});
}

}  // namespace
