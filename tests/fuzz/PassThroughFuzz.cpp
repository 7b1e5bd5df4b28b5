// The formatting tool's device functions over a simulated USB disk whose
// INQUIRY, identify and READ CAPACITY answers come from the input: connect
// by path, the scan for recorders (beside a node that vanished), and over
// what the identify kept the tool's geometry and reads of the first pages
// and of parts of them; one command may fail as the input says.
// Layout: [INQUIRY length][INQUIRY answer][identify, 12][READ CAPACITY, 8]
// [failing command][fault][key][ASC][ASCQ].
// A request the tool should never build stops the run (the simulated
// device reports it as a test failure).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "fmttool/FmtGeometry.h"
#include "fmttool/PassThrough.h"
#include "fmttool/ScsiCdb.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/fuzz/FuzzReset.h"
#include "tests/support/SimRecorder.h"
#include "tests/support/SimScsiDevice.h"
#include "tests/support/SimScsiDeviceIo.h"

namespace {

// Longer than the 36 bytes asked for, so a device that offers more is tried.
constexpr std::size_t kMaxInquiry = 64;
// The parts read at the end of the first pages, as the scan reads headers.
constexpr std::uint16_t kPartSize = 16;

template <std::size_t N>
std::array<std::uint8_t, N> Take(FuzzInput& input)
{
    std::array<std::uint8_t, N> out{};
    const auto bytes = input.Bytes(N);
    std::copy(bytes.begin(), bytes.end(), out.begin());
    return out;
}

// The recorder behind the disk answers only the vendor commands, and the
// identify's answer is the input's: a small one, made once.
SimRecorder& Recorder()
{
    static SimRecorder recorder(SmallFlashGeometry(2, 4), SimPageStride::PageOnly);
    return recorder;
}

void Fault(SimScsiDevice& device, FuzzInput& input)
{
    const std::uint8_t n = input.U8() % 8;
    const std::uint8_t kind = input.U8();
    const std::uint8_t key = input.U8();
    const std::uint8_t asc = input.U8();
    const std::uint8_t ascq = input.U8();
    if (n == 0)
        return;
    switch (kind % 4) {
    case 0:
        device.CheckCondition(n, key, asc, ascq);
        break;
    case 1:
        device.TimeOut(n);
        break;
    case 2:
        device.ShortTransfer(n, key);
        break;
    default:
        device.SilentlyDropData(n);
        break;
    }
}

void StopOnRequestFault()
{
    if (::testing::UnitTest::GetInstance()->ad_hoc_test_result().Failed())
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ResetKeepingLanguages();
    FuzzInput input(data, size);
    const auto inquiry = input.Bytes(input.U8() % (kMaxInquiry + 1));
    const auto identify = Take<12>(input);
    const auto capacity = Take<8>(input);

    // Reads go by the block length the device announces.
    SimScsiDevice device(&Recorder(), passthrough::BlockLengthOf(capacity.data()));
    device.SetInquiryAnswer(std::vector<std::uint8_t>(inquiry.begin(), inquiry.end()));
    device.SetIdentifyAnswer(identify);
    device.SetReadCapacityAnswer(capacity);
    Fault(device, input);
    {
        SimScsiDeviceIo nodes;
        nodes.AddNode("/dev/sg0", nullptr);
        nodes.AddNode("/dev/sg1", &device);

        std::optional<std::string> path = "/dev/sg1";
        if (passthrough::Q71_IsConnected(path)) {
            const FlashParams params = passthrough::Q71_GetFlashParams();
            std::string why;
            FmtGeometryOf(params, passthrough::Q71_GetSectorSize(), why);
            std::vector<std::uint8_t> pages(2 * std::size_t{params.pageSize});
            passthrough::Q71_ReadPages(0, pages.data(), 2);
            std::array<std::uint8_t, 2 * kPartSize> parts{};
            passthrough::Q71_ReadPartsOfPages(0, 2, static_cast<std::uint16_t>(params.pageSize - kPartSize), kPartSize, 1,
                                              parts.data());
        }
        passthrough::LastFailure().Describe();
        passthrough::Q71_GetDevices();
        passthrough::LastFailure().Describe();
        std::optional<std::string> found;
        passthrough::Q71_IsConnected(found);
        const passthrough::TScsiFailure& failure = passthrough::LastFailure();
        failure.Describe();
        failure.SenseKey();
        failure.IsTimeout();
    }
    StopOnRequestFault();
    return 0;
}
