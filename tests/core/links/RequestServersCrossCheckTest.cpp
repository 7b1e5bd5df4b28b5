#include <gtest/gtest.h>

#include "core/links/Link.h"
#include "core/links/image/DemoImage.h"
#include "core/links/image/ImageEmulator.h"
#include "core/links/image/ImageProbe.h"
#include "core/links/usb/Q71Library.h"
#include "core/links/usb/Q71Link.h"
#include "core/protocol/RecXchange.h"
#include "tests/core/links/image/ImageLinkFixture.h"
#include "tests/support/InProcessQ71Library.h"
#include "tests/support/SimMailboxDevice.h"
#include "tests/support/SimMailboxFileIo.h"
#include "tests/support/SimRecorder.h"
#include "tests/support/SimRecorderLink.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint16_t kStride = 2112;
constexpr std::uint16_t kPages = 128;

Bytes Concat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Pattern(std::size_t length, std::uint8_t seed)
{
    Bytes out(length);
    for (std::size_t i = 0; i < length; ++i)
        out[i] = static_cast<std::uint8_t>(seed ^ (i * 31 + i / 256));
    return out;
}

struct Step {
    std::uint8_t code;
    Bytes request;
};

// The three servers of recorder requests (the image emulator, the local
// commands of the device-library link, SimRecorder) against one another.
class RequestServersCrossCheckTest : public ImageLinkFixture {
protected:
    void TearDown() override
    {
        ResetQ71Library();
        ResetQ71Link();
        ImageLinkFixture::TearDown();
    }

    // The device-library link over a recorder of 8192 physical blocks that
    // counts 2048 of its own: four physical blocks make one recorder block.
    void ProbeQ71()
    {
        ResetLinkGeometry();
        ResetQ71Link();
        SetQ71Library(InProcessQ71Library());
        q71Recorder.SetReportedBlockCount(kQ71RecorderBlocks);
        q71Files.AddCandidate("/media/rec/service.dat", &q71Device);
        ASSERT_TRUE(Q71Probe());
        q71Device.ClearLog();
    }

    static constexpr std::uint16_t kQ71PageSize = 2048;
    static constexpr std::uint16_t kQ71RecorderBlocks = 2048;
    static constexpr std::uint32_t kQ71RecorderPages = 256;

    SimRecorder q71Recorder{SimGeometry{1, 8192, 64, kQ71PageSize, 64}, SimPageStride::PageOnly};
    SimMailboxDevice q71Device{&q71Recorder, 2048};
    SimMailboxFileIo q71Files;
};

std::vector<std::uint8_t> RunQ71(std::uint8_t code, const std::vector<std::uint8_t>& request)
{
    const PayloadGeometry geometry{2048, 256};
    const std::uint32_t length =
        CommandReplyLength(code, geometry, request.data(), static_cast<std::uint32_t>(request.size())).value_or(0);
    std::vector<std::uint8_t> reply(length);
    Q71Execute(code, request.data(), static_cast<std::uint32_t>(request.size()), reply.data(), length,
               CommandTimeoutMs(code));
    return reply;
}

// The emulator over a fresh demo image and a SimRecorder of the same
// geometry and identity answer one script of flash commands alike.
TEST_F(RequestServersCrossCheckTest, ImageAndSimulatorSameScriptSameReplies)
{
    AttachDemoImage(Q(File("")));
    ASSERT_TRUE(ImageProbe());

    SimRecorder sim(SimGeometry{1, 64, kPages, 2048, 64});
    sim.SetFirmwareVersion(10, 0);
    sim.SetSerialNumber(0xFFFFFFFF);
    sim.SetFirstDataBlock(1);
    // The image's block 0 holds its block table; give the recorder the same.
    const Bytes block0 = Run(cmdGetPartsOfPages, PartsRequest(0, 0, kStride, 1, kPages));
    for (std::uint32_t p = 0; p < kPages; ++p)
        sim.WritePage(p, Bytes(block0.begin() + p * kStride, block0.begin() + (p + 1) * kStride));

    const std::uint32_t page = 9 * kPages + 17;
    const std::vector<Step> script = {
        {cmdGetFlashParam, {}},
        {cmdGetFirstRecBlock, {}},
        {cmdGetFwVer, {}},
        {cmdGetProdParam, {}},
        {cmdGetVolt, {}},
        {cmdGetRtc, {}},
        {cmdSetRtc, U32(1700000000)},
        {cmdCheckPassword, Bytes(7, 0x31)},
        {cmdBeginWritePage, U32(page)},
        {cmdWritePage, Concat(U32(page), Pattern(kStride, 0x5C))},
        {cmdGetPartsOfPages, PartsRequest(page, 0, kStride, 1, 1)},
        {cmdGetPartsOfPages, PartsRequest(page - 1, kStride - 2, 2, 1, 3)},
        {cmdGetPartsOfPages, PartsRequest(page, 2100, 40, 1, 1)},
        {cmdWriteBlock, Concat(U16(20), Pattern(kStride * kPages, 0xA7))},
        {cmdGetPartsOfPages, PartsRequest(20 * kPages, 0, kStride, 1, kPages)},
        {cmdGetPartsOfPages, PartsRequest(0, 0, 64, kPages, 64)},
        {cmdEraseBlock, U16(20)},
        {cmdGetPartsOfPages, PartsRequest(20 * kPages, 0, 64, 1, 4)},
        {cmdGetPartsOfPages, PartsRequest(0, 0, 16, 1, kPages)},
        {cmdEraseBlock, U16(9)},
        {cmdGetPartsOfPages, PartsRequest(page, 0, kStride, 1, 1)},
        {cmdSetDefNoFlashErase, {}},
        {cmdCheckPassword, Bytes(7, 0x31)},
    };
    for (std::size_t i = 0; i < script.size(); ++i) {
        const Step& step = script[i];
        SCOPED_TRACE("step " + std::to_string(i) + ", command " + std::to_string(step.code));
        const Bytes fromImage = Run(step.code, step.request);
        const auto fromSim = sim.Execute(step.code, step.request);
        ASSERT_TRUE(fromSim);
        EXPECT_EQ(fromImage, *fromSim);
    }
}

// The local commands of the device-library link and a SimRecorder of the
// geometry the recorder reports there (no spare bytes, four physical blocks
// a recorder block) answer one script alike.
TEST_F(RequestServersCrossCheckTest, DeviceLibraryLocalCommandsAndSimulatorSameScriptSameReplies)
{
    ProbeQ71();
    SimRecorder sim(SimGeometry{1, kQ71RecorderBlocks, kQ71RecorderPages, kQ71PageSize, 64}, SimPageStride::PageOnly);

    const std::uint32_t page = 9 * kQ71RecorderPages + 17;
    const std::vector<Step> script = {
        {cmdGetFlashParam, {}},
        {cmdBeginWritePage, U32(page)},
        {cmdWritePage, Concat(U32(page), Pattern(kQ71PageSize, 0x5C))},
        {cmdGetPartsOfPages, PartsRequest(page, 0, kQ71PageSize, 1, 1)},
        {cmdGetPartsOfPages, PartsRequest(page - 1, kQ71PageSize - 2, 2, 1, 3)},
        {cmdGetPartsOfPages, PartsRequest(page, 2000, 100, 1, 1)},  // on into the next page
        {cmdWriteBlock, Concat(U16(20), Pattern(std::size_t{kQ71PageSize} * kQ71RecorderPages, 0xA7))},
        {cmdGetPartsOfPages, PartsRequest(20 * kQ71RecorderPages, 0, kQ71PageSize, 1, kQ71RecorderPages)},
        {cmdGetPartsOfPages, PartsRequest(20 * kQ71RecorderPages, 0, 64, 64, 4)},
        {cmdEraseBlock, U16(20)},
        {cmdGetPartsOfPages, PartsRequest(20 * kQ71RecorderPages, 0, 64, 1, 4)},
        {cmdEraseBlock, U16(9)},
        {cmdGetPartsOfPages, PartsRequest(page, 0, kQ71PageSize, 1, 1)},
    };
    for (std::size_t i = 0; i < script.size(); ++i) {
        const Step& step = script[i];
        SCOPED_TRACE("step " + std::to_string(i) + ", command " + std::to_string(step.code));
        const Bytes fromLibrary = RunQ71(step.code, step.request);
        const auto fromSim = sim.Execute(step.code, step.request);
        ASSERT_TRUE(fromSim);
        EXPECT_EQ(fromLibrary, *fromSim);
    }
}

// A request one byte short of (or beyond) the table's length is refused by
// every server before it touches the flash: the link raises "I/O Error"
// with the command's code.
TEST_F(RequestServersCrossCheckTest, ARequestOfTheWrongLengthIsRefusedAlikeByEachServer)
{
    AttachDemoImage(Q(File("")));
    ASSERT_TRUE(ImageProbe());
    const std::uint32_t imageStride = LinkGeometry.pageStride;
    const std::uint32_t imagePages = LinkGeometry.pagesPerBlock;
    SimRecorder sim(SimGeometry{1, 64, kPages, 2048, 64});
    SimRecorderLink simLink(sim);
    const TLinkTransaction simTransaction = LinkTransaction;

    struct Server {
        const char* name;
        TLinkTransaction transaction;
        PayloadGeometry geometry;
    };
    std::vector<Server> servers = {
        {"image", ImageExecute, {imageStride, imagePages}},
        {"simulator", simTransaction, {sim.PageStride(), kPages}},
    };
    ProbeQ71();
    servers.push_back({"device library", Q71Execute, {kQ71PageSize, kQ71RecorderPages}});

    const std::uint8_t codes[] = {cmdWriteBlock, cmdBeginWritePage, cmdWritePage, cmdEraseBlock, cmdGetPartsOfPages};
    for (const Server& server : servers) {
        for (const std::uint8_t code : codes) {
            const std::uint32_t length = *CommandRequestLength(code, server.geometry);
            for (const std::uint32_t wrong : {length - 1, length + 1}) {
                SCOPED_TRACE(std::string(server.name) + ", command " + std::to_string(code) + ", " +
                             std::to_string(wrong) + " bytes");
                Bytes request(wrong, 0);
                if (code == cmdGetPartsOfPages && wrong >= PartsOfPagesRequest::kSize)
                    PartsOfPagesRequest{0, 0, 16, 1, 1}.Serialize(request.data());
                std::uint8_t reply[16] = {};
                const std::uint32_t replyLength =
                    code == cmdWriteBlock ? 0 : (code == cmdEraseBlock ? 2 : (code == cmdGetPartsOfPages ? 16 : 4));
                try {
                    server.transaction(code, request.data(), wrong, replyLength ? reply : nullptr, replyLength,
                                       CommandTimeoutMs(code));
                    ADD_FAILURE() << "the request was served";
                } catch (const TERecXchange& error) {
                    EXPECT_EQ(error.Text, QStringLiteral("I/O Error"));
                    EXPECT_EQ(error.Code, code);
                }
            }
        }
    }
    EXPECT_TRUE(q71Device.Commands().empty()) << "nothing reached the device";
    EXPECT_EQ(sim.StoredPageCount(), 0u) << "nothing reached the simulated flash";
}

}  // namespace
