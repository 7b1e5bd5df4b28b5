#include <gtest/gtest.h>

#include "core/links/Link.h"
#include "core/protocol/RecXchange.h"
#include "core/protocol/RecorderCommands.h"
#include "core/protocol/RecorderFrame.h"
#include "tests/support/SimRecorder.h"
#include "tests/support/SimRecorderLink.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr SimGeometry kSmall{1, 8, 4, 512, 16};

Bytes U16(std::uint16_t v)
{
    Bytes out(2);
    PutU16(out.data(), v);
    return out;
}

Bytes U32(std::uint32_t v)
{
    Bytes out(4);
    PutU32(out.data(), v);
    return out;
}

Bytes Parts(std::uint32_t pageAddr, std::uint16_t offset, std::uint16_t count, std::uint16_t addrInc,
            std::uint16_t cycles)
{
    Bytes out(PartsOfPagesRequest::kSize);
    PartsOfPagesRequest{pageAddr, offset, count, addrInc, cycles}.Serialize(out.data());
    return out;
}

Bytes Pattern(std::size_t length, std::uint8_t seed)
{
    Bytes out(length);
    for (std::size_t i = 0; i < length; ++i)
        out[i] = static_cast<std::uint8_t>(seed + i * 29);
    return out;
}

Bytes Concat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(SimRecorder, LargeFlashStoresOnlyWrittenPages)
{
    const SimGeometry big{2, 8192, 128, 2048, 64};  // 4 GiB of data
    SimRecorder sim(big);
    const std::uint64_t last = big.TotalPages() - 1;
    const Bytes data = Pattern(sim.PageStride(), 3);
    ASSERT_TRUE(sim.Execute(cmdWritePage, Concat(U32(static_cast<std::uint32_t>(last)), data)));
    EXPECT_EQ(sim.StoredPageCount(), 1u);
    EXPECT_EQ(sim.ReadPage(last), data);
    EXPECT_EQ(sim.ReadPage(0), Bytes(2112, 0xFF));
    EXPECT_EQ(*sim.Execute(cmdGetPartsOfPages, Parts(static_cast<std::uint32_t>(last), 0, 2112, 1, 1)), data);
    // Beyond the flash: no answer.
    EXPECT_FALSE(sim.Execute(cmdWritePage, Concat(U32(static_cast<std::uint32_t>(last + 1)), data)));
    EXPECT_FALSE(sim.Execute(cmdGetPartsOfPages, Parts(static_cast<std::uint32_t>(last), 0, 2112, 1, 2)));

    ASSERT_TRUE(sim.Execute(cmdEraseBlock, U16(static_cast<std::uint16_t>(big.TotalBlocks() - 1))));
    EXPECT_EQ(sim.StoredPageCount(), 0u);
}

TEST(SimRecorder, FlashCommandsOnTheImageStride)
{
    SimRecorder sim(kSmall);
    EXPECT_EQ(*sim.Execute(cmdGetFlashParam, {}), (Bytes{1, 4, 0, 8, 0, 0x10, 0x02}));  // stride 528
    EXPECT_EQ(*sim.Execute(cmdGetFirstRecBlock, {}), U16(1));

    const Bytes block = Pattern(528 * 4, 7);
    EXPECT_EQ(*sim.Execute(cmdWriteBlock, Concat(U16(3), block)), Bytes{});
    EXPECT_EQ(*sim.Execute(cmdGetPartsOfPages, Parts(12, 0, 528, 1, 4)), block);
    // Parts run on into the next page; status words of pages 12 and 13.
    EXPECT_EQ(*sim.Execute(cmdGetPartsOfPages, Parts(12, 526, 4, 1, 1)),
              Bytes(block.begin() + 526, block.begin() + 530));
    EXPECT_EQ(*sim.Execute(cmdGetPartsOfPages, Parts(12, 526, 2, 1, 2)),
              (Bytes{block[526], block[527], block[528 + 526], block[528 + 527]}));
    EXPECT_EQ(*sim.Execute(cmdEraseBlock, U16(3)), U16(3));
    EXPECT_EQ(*sim.Execute(cmdGetPartsOfPages, Parts(12, 0, 528, 1, 4)), Bytes(528 * 4, 0xFF));
    EXPECT_EQ(*sim.Execute(cmdBeginWritePage, U32(77)), U32(77));
    // Wrong request sizes get no answer.
    EXPECT_FALSE(sim.Execute(cmdWriteBlock, Concat(U16(3), Bytes(100))));
    EXPECT_FALSE(sim.Execute(cmdGetVolt, Bytes{1}));
}

TEST(SimRecorder, PageOnlyStrideLeavesTheSpareAlone)
{
    SimRecorder sim(kSmall, SimPageStride::PageOnly);
    EXPECT_EQ(sim.PageStride(), 512u);
    EXPECT_EQ(GetU16(sim.Execute(cmdGetFlashParam, {})->data() + 5), 512);
    sim.WritePage(5, Bytes(528, 0x11));
    const Bytes data = Pattern(512, 1);
    ASSERT_TRUE(sim.Execute(cmdWritePage, Concat(U32(5), data)));
    const Bytes raw = sim.ReadPage(5);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), raw.begin()));
    EXPECT_EQ(Bytes(raw.begin() + 512, raw.end()), Bytes(16, 0x11));
    EXPECT_EQ(*sim.Execute(cmdGetPartsOfPages, Parts(5, 510, 4, 1, 1)), (Bytes{data[510], data[511], 0xFF, 0xFF}));

    const auto params = sim.FlashParams();
    EXPECT_EQ(params[0], 1);
    EXPECT_EQ(GetU16(&params[6]), 8);
    EXPECT_EQ(params[8], 4);
    EXPECT_EQ(GetU16(&params[9]), 512);
    EXPECT_EQ(params[11], 16);
}

TEST(SimRecorder, StatusAndClock)
{
    SimRecorder sim(kSmall);
    sim.SetFirmwareVersion(3, 9);
    sim.SetSerialNumber(0xA1B2C3D4);
    sim.SetVoltage(2900);
    EXPECT_EQ(*sim.Execute(cmdSetRtc, U32(1700000000)), U32(1700000000));
    EXPECT_EQ(sim.Clock(), 1700000000u);
    EXPECT_EQ(*sim.Execute(cmdGetRtc, {}), U32(1700000000));
    EXPECT_EQ(*sim.Execute(cmdGetVolt, {}), U16(2900));
    const Bytes fw = *sim.Execute(cmdGetFwVer, {});
    ASSERT_EQ(fw.size(), 13u);
    EXPECT_EQ(GetU16(fw.data()), 0x0309);
    EXPECT_EQ(*sim.Execute(cmdGetProdParam, {}), Concat(U32(0xA1B2C3D4), U32(11223344)));
    EXPECT_EQ(*sim.Execute(cmdGetBlockCount, {}), U16(8));
    const Bytes id = *sim.Execute(cmdGetAdapterId, {});
    EXPECT_EQ(std::string(id.begin(), id.end() - 1), "Vevuzuv_Avuvazav_Irozevoru");
    EXPECT_EQ(id.back(), 0);
}

TEST(SimRecorder, SettingsPairsKeepWhatIsStored)
{
    struct Pair {
        std::uint8_t read, write;
        std::size_t size;
    };
    const Pair pairs[] = {{9, 10, 12}, {31, 32, 1}, {36, 37, 1},  {39, 40, 1}, {42, 42, 8}, {50, 51, 9},
                          {53, 54, 9}, {56, 57, 1}, {67, 68, 26}, {82, 83, 1}, {85, 86, 1}};
    SimRecorder sim(kSmall);
    for (const Pair& p : pairs) {
        SCOPED_TRACE(int(p.read));
        const Bytes value = Pattern(p.size, p.read);
        EXPECT_EQ(sim.Execute(p.write, value), value);
        EXPECT_EQ(sim.Execute(p.read, {}), value);
        EXPECT_EQ(sim.Setting(p.read), value);
        EXPECT_FALSE(sim.Execute(p.write, Bytes(p.size + 1)));
    }

    Bytes profile{3, 0x80, 0x3E, 2, 1, 1, 0, 50};
    EXPECT_EQ(sim.Execute(cmdSetProfile, profile), profile);
    EXPECT_EQ(sim.Execute(cmdGetProfile, Bytes{3}), profile);
    EXPECT_EQ(*sim.Execute(cmdGetProfile, Bytes{0}), (Bytes{0, 0x40, 0x1F, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(sim.Execute(cmdGetProfile, Bytes{8}));

    // 80 restores the defaults but keeps the flash.
    sim.WritePage(9, Bytes{1, 2, 3});
    sim.Execute(cmdSetDefNoFlashErase, {});
    EXPECT_EQ(sim.Execute(cmdGetProfile, Bytes{3})->at(1), 0x40);
    EXPECT_EQ(sim.Setting(cmdGetAccessLevel), Bytes{1});
    EXPECT_EQ(sim.StoredPageCount(), 1u);
}

TEST(SimRecorder, PasswordCommands)
{
    SimRecorder sim(kSmall);
    const Bytes secret{1, 2, 3, 4, 5, 6, 7};
    EXPECT_EQ(sim.Execute(cmdCheckPassword, secret), Bytes{0x55});
    EXPECT_EQ(sim.Execute(cmdSetPassword, secret), secret);
    EXPECT_TRUE(sim.HasPassword());
    EXPECT_EQ(sim.Execute(cmdCheckPassword, secret), Bytes{0xFF});
    EXPECT_EQ(sim.Execute(cmdCheckPassword, Bytes{1, 2, 3, 4, 5, 6, 0}), Bytes{0});
    sim.WritePage(9, Bytes{1, 2, 3});
    // 65 clears the password with all content.
    EXPECT_EQ(sim.Execute(cmdSetDefault, {}), Bytes{});
    EXPECT_EQ(sim.Execute(cmdCheckPassword, secret), Bytes{0x55});
    EXPECT_EQ(sim.StoredPageCount(), 0u);
}

TEST(SimRecorder, ServesWholeFrames)
{
    SimRecorder sim(kSmall);
    const Bytes request = Parts(0, 0, 600, 1, 2);  // 1200 bytes: the length byte saturates
    const Bytes reply = *sim.ServeFrame(BuildRecorderFrame(cmdGetPartsOfPages, request.data(), request.size()));
    ASSERT_EQ(reply.size(), frame::FrameSize(1200));
    EXPECT_EQ(reply[2], cmdGetPartsOfPages);
    EXPECT_EQ(reply[3], 255);
    Bytes payload(1200);
    EXPECT_TRUE(DecodeRecorderFrame(reply.data(), payload.size(), payload.data()));
    EXPECT_EQ(payload, Bytes(1200, 0xFF));

    const Bytes page = Concat(U32(4), Pattern(528, 5));
    EXPECT_EQ(sim.ServeFrame(BuildRecorderFrame(cmdWritePage, page.data(), page.size())),
              BuildRecorderFrame(cmdWritePage, page.data(), 4));
    // Commands without a reply send nothing back.
    EXPECT_FALSE(sim.ServeFrame(BuildRecorderFrame(cmdSetDefNoFlashErase, nullptr, 0)));

    Bytes bad = BuildRecorderFrame(cmdGetVolt, nullptr, 0);
    bad.back() ^= 1;
    EXPECT_FALSE(sim.ServeFrame(bad));
    Bytes wrongLength = BuildRecorderFrame(cmdGetVolt, nullptr, 0);
    wrongLength.insert(wrongLength.begin() + 4, 0);
    EXPECT_FALSE(sim.ServeFrame(wrongLength));
    EXPECT_FALSE(sim.ServeFrame(Bytes{0x5A, 0x5A, 7}));

    EXPECT_EQ(sim.CommandCount(), 3u);
    EXPECT_EQ(sim.CommandCount(cmdWritePage), 1u);
    EXPECT_EQ(sim.BytesReceived(), frame::FrameSize(12) + frame::FrameSize(532) + 6 + 6 + 7 + 3);
    EXPECT_EQ(sim.BytesSent(), frame::FrameSize(1200) + frame::FrameSize(4));
}

TEST(SimRecorder, InjectedFaults)
{
    struct Case {
        SimFaultKind kind;
        bool runs;  // the command takes effect
        std::size_t replySize;
        bool crcValid;
    };
    const Case cases[] = {
        {SimFaultKind::Fail, false, 0, false},
        {SimFaultKind::Silence, true, 0, false},
        {SimFaultKind::BadCrc, true, 10, false},
        {SimFaultKind::ShortReply, true, 5, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.kind));
        SimRecorder sim(kSmall);
        sim.InjectFault({c.kind, 1, 1, cmdSetRtc});
        const Bytes clock = U32(1234);
        const Bytes frame = BuildRecorderFrame(cmdSetRtc, clock.data(), 4);
        sim.ServeFrame(BuildRecorderFrame(cmdGetVolt, nullptr, 0));  // other codes do not count
        ASSERT_TRUE(sim.ServeFrame(frame));                          // skipped
        sim.SetClock(0);
        const auto reply = sim.ServeFrame(frame);
        EXPECT_EQ(reply ? reply->size() : 0, c.replySize);
        if (reply) {
            Bytes payload(4);
            EXPECT_EQ(reply->size() == 10 && DecodeRecorderFrame(reply->data(), 4, payload.data()), c.crcValid);
        }
        EXPECT_EQ(sim.Clock(), c.runs ? 1234u : 0u);
        EXPECT_EQ(sim.CommandLog().back().fault, c.kind);
        EXPECT_TRUE(sim.ServeFrame(frame));  // once only
    }

    SimRecorder sim(kSmall);
    sim.InjectFault({SimFaultKind::Fail, 0, SimFault::kEveryTime, std::nullopt});
    EXPECT_FALSE(sim.Execute(cmdGetVolt, {}));
    EXPECT_FALSE(sim.Execute(cmdGetRtc, {}));
    sim.ClearFaults();
    EXPECT_TRUE(sim.Execute(cmdGetVolt, {}));
    sim.InjectFault({SimFaultKind::ShortReply, 0, 1, std::nullopt});
    EXPECT_EQ(sim.Execute(cmdGetProdParam, {})->size(), 4u);
}

TEST(SimRecorder, LinkRaisesIoErrorWhereNoAnswerComes)
{
    SimRecorder sim(kSmall);
    {
        SimRecorderLink link(sim);
        EXPECT_TRUE(LinkProbe());
        std::uint8_t reply[2] = {};
        RunCommand(cmdGetVolt, nullptr, 0, reply, 2);
        EXPECT_EQ(GetU16(reply), 3050);
        sim.InjectFault({SimFaultKind::Fail, 0, 1, std::nullopt});
        EXPECT_THROW(RunCommand(cmdGetVolt, nullptr, 0, reply, 2), TERecXchange);
        link.SetOnline(false);
        EXPECT_FALSE(LinkProbe());
    }
    EXPECT_FALSE(LinkProbe());
}

}  // namespace
