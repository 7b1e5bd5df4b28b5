#include <gtest/gtest.h>

#include "core/links/image/DemoImage.h"
#include "core/links/image/ImageEmulator.h"
#include "core/links/image/ImageProbe.h"
#include "tests/core/links/image/ImageLinkFixture.h"
#include "tests/support/SimRecorder.h"

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

// The emulator over a fresh demo image and a SimRecorder of the same
// geometry and identity answer one script of flash commands alike.
class ImageSimCrossCheckTest : public ImageLinkFixture {};

TEST_F(ImageSimCrossCheckTest, SameScriptSameReplies)
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

}  // namespace
