// The refresh over the USB 1.1 adapter (the fake D2XX library with a
// SimRecorder behind it): one job with progress from its first read, and
// one message for a failure of any of its steps.
#include <gtest/gtest.h>

#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

#include "app/dialogs/StatusWindow.h"
#include "core/links/ConnectType.h"
#include "core/links/ftdi/FtdiLink.h"
#include "core/protocol/RecorderCommands.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/support/FakeFtdiLibrary.h"
#include "tests/support/SimRecorder.h"
#include "tests/support/SimRecorderFtdiDevice.h"
#include "widgets/MyGauge.h"

namespace {

std::uint64_t SteppingNowMs()
{
    static std::atomic<std::uint64_t> now{0};
    return now += 10;
}

// An adapter that takes its time over every frame and tells whether the
// settings record is being read (from its first item to its last).
class SlowSimDevice : public SimRecorderFtdiDevice {
public:
    explicit SlowSimDevice(SimRecorder& recorder) : SimRecorderFtdiDevice(recorder) {}

    std::size_t Consume(const std::uint8_t* data, std::size_t length, std::vector<std::uint8_t>& reply) override
    {
        const std::size_t used = SimRecorderFtdiDevice::Consume(data, length, reply);
        if (used == 0)
            return 0;
        const std::uint8_t code = data[2];
        if (code == cmdGetCurrentProfile)
            ReadingSettings = true;
        else if (code == cmdGetAon)
            ReadingSettings = false;
        std::this_thread::sleep_for(std::chrono::milliseconds(DelayMs.load()));
        return used;
    }

    std::atomic<int> DelayMs{0};
    std::atomic<bool> ReadingSettings{false};
};

}  // namespace

class SlowAdapterRefreshTest : public MainWindowFixture {
protected:
    SlowAdapterRefreshTest() : fake(std::string(TRELLAVOX_FAKE_FTD2XX_DIR) + "/libftd2xx.so"), device(sim) {}

    void SetUp() override
    {
        MainWindowFixture::SetUp();
        ResetFtdiLink();
        FtdiLinkState().LibraryNames = {fake.Path()};
        FtdiLinkState().NowMs = SteppingNowMs;
        fake->Device = &device;
        StartWith(ctUsb11Adapter);
        Pass();  // makes the recorder object
        ASSERT_NE(connection->Recorder(), nullptr);
    }

    void TearDown() override
    {
        forms.reset();
        ResetFtdiLink();
        MainWindowFixture::TearDown();
    }

    SimRecorder sim;
    FakeFtdiLibrary fake;
    SlowSimDevice device;
};

TEST_F(SlowAdapterRefreshTest, TheGaugeMovesWhileTheSettingsAreRead)
{
    device.DelayMs = 5;
    std::atomic<int> seenWhileReading{-1};
    bool windowShownWhileReading = false;
    QTimer sampler;
    sampler.setInterval(2);
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        if (!device.ReadingSettings)
            return;
        seenWhileReading = std::max(seenWhileReading.load(), forms->frmStatus->cg1->Progress());
        windowShownWhileReading = windowShownWhileReading || forms->frmStatus->isVisible();
    });
    sampler.start();
    Pass();  // probe, access, refresh

    EXPECT_TRUE(connection->FConnected);
    EXPECT_TRUE(windowShownWhileReading);
    EXPECT_GT(seenWhileReading, 0);
    EXPECT_LE(seenWhileReading, 10);  // the scan has the rest
    EXPECT_EQ(sim.CommandCount(cmdGetProfile), 8u);
    EXPECT_GT(sim.CommandCount(cmdGetPartsOfPages), 0u);
    EXPECT_TRUE(boxes.Boxes.empty()) << boxes.Boxes[0].Text.toStdString();
    EXPECT_TRUE(window->mainPanel->isEnabled());
}

struct FailingStep {
    const char* name;
    std::uint8_t code;
};

void PrintTo(const FailingStep& step, std::ostream* out)
{
    *out << step.name;
}

class FailingRefreshStepTest : public SlowAdapterRefreshTest, public ::testing::WithParamInterface<FailingStep> {};

TEST_P(FailingRefreshStepTest, GivesOneMessage)
{
    sim.InjectFault({SimFaultKind::Fail, 0, SimFault::kEveryTime, GetParam().code});
    Pass();
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, QStringLiteral("ERROR: I/O Error. Error code %1").arg(GetParam().code));
    EXPECT_EQ(boxes.Boxes[0].Flags, MB_ICONERROR);
    EXPECT_TRUE(window->mainPanel->isEnabled());
    EXPECT_TRUE(window->CanClose());
}

INSTANTIATE_TEST_SUITE_P(Steps, FailingRefreshStepTest,
                         ::testing::Values(FailingStep{"Geometry", cmdGetFlashParam},
                                           FailingStep{"Firmware", cmdGetFwVer},
                                           FailingStep{"Serial", cmdGetProdParam},
                                           FailingStep{"Settings", cmdGetProfile},
                                           FailingStep{"Scan", cmdGetPartsOfPages}),
                         [](const ::testing::TestParamInfo<FailingStep>& info) { return info.param.name; });
