#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <thread>

#include "core/links/ftdi/ThreadPriorityBoost.h"
#include "core/protocol/RecXchange.h"
#include "core/protocol/RecorderCommands.h"
#include "core/protocol/RecorderFrame.h"
#include "tests/core/FtdiTestFixture.h"

namespace {

using Calls = std::vector<std::string>;

std::vector<std::uint64_t> ReadSizesGiven(const FakeFtdiControl& control)
{
    std::vector<std::uint64_t> sizes;
    for (const FakeFtdiCall& call : control.Calls)
        if (call.Name == "FT_Read" && call.Args.size() == 2 && call.Args[1] > 0)
            sizes.push_back(call.Args[1]);
    return sizes;
}

std::uint16_t ReadVoltage()
{
    std::uint8_t reply[2] = {};
    FtdiExecute(cmdGetVolt, nullptr, 0, reply, 2, CommandTimeoutMs(cmdGetVolt));
    return GetU16(reply);
}

} // namespace

class FtdiProbeTest : public FtdiLinkFixture {};

TEST_F(FtdiProbeTest, OpensConfiguresAndChecksTheIdentity)
{
    ASSERT_TRUE(FtdiProbe());

    struct Step {
        const char* name;
        std::vector<std::uint64_t> args;
    };
    const std::vector<Step> expected = {
        {"FT_ListDevices", {0x80000000u}},
        {"FT_Open", {0}},
        {"FT_SetUSBParameters", {32768, 32768}},
        {"FT_ResetDevice", {}},
        {"FT_SetBaudRate", {1500000}},
        {"FT_SetDataCharacteristics", {8, 0, 0}},
        {"FT_SetFlowControl", {0, 0, 0}},
        {"FT_SetChars", {0, 0, 0, 0}},
        {"FT_SetEventNotification", {0, 0}},
        {"FT_SetDtr", {}},
        {"FT_SetRts", {}},
        {"FT_SetTimeouts", {300, 300}},
        {"FT_Purge", {3}},
        {"FT_Write", {6}},
    };
    const auto& calls = fake->Calls;
    ASSERT_GT(calls.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(calls[i].Name, expected[i].name) << "call " << i;
        EXPECT_EQ(calls[i].Args, expected[i].args) << expected[i].name;
    }
    // The identity reply is read straight after the request: no purge, no
    // retry, nothing traced.
    for (std::size_t i = expected.size(); i < calls.size(); ++i)
        EXPECT_EQ(calls[i].Name, "FT_Read");
    EXPECT_EQ(ReadSizesGiven(fake.Control()), (std::vector<std::uint64_t>{33}));
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(FtdiProbeTest, AnOpenAdapterIsOnlyAskedForItsIdentity)
{
    ASSERT_TRUE(FtdiProbe());
    fake->Calls.clear();
    ASSERT_TRUE(FtdiProbe());
    const Calls names = fake->CallNames();
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names.front(), "FT_Write");
    EXPECT_EQ(fake->CountCalls("FT_Purge"), 0u);
    EXPECT_EQ(fake->CountCalls("FT_Open"), 0u);
    EXPECT_EQ(fake->CountCalls("FT_ListDevices"), 0u);
}

TEST_F(FtdiProbeTest, NoDeviceMeansNoOpenUntilOneIsListed)
{
    fake->DeviceCount = 0;
    EXPECT_FALSE(FtdiProbe());
    EXPECT_FALSE(FtdiProbe());
    EXPECT_EQ(fake->CountCalls("FT_ListDevices"), 2u);
    EXPECT_EQ(fake->CountCalls("FT_Open"), 0u);

    fake->DeviceCount = 1;
    EXPECT_TRUE(FtdiProbe());
    EXPECT_EQ(fake->CountCalls("FT_Open"), 1u);
}

TEST_F(FtdiProbeTest, AdapterPresenceIsKeptOnceSeen)
{
    ASSERT_TRUE(FtdiProbe());
    fake->DeviceCount = 0;
    fake->WrongIdentityByte = 0;
    EXPECT_FALSE(FtdiProbe()); // closes the device
    fake->WrongIdentityByte = -1;
    fake->Calls.clear();
    EXPECT_FALSE(FtdiProbe()); // no device to open, but it is not listed again
    EXPECT_EQ(fake->CountCalls("FT_ListDevices"), 0u);
    EXPECT_EQ(fake->CountCalls("FT_Open"), 1u);
    EXPECT_TRUE(FtdiLinkState().AdapterPresent);
}

TEST_F(FtdiProbeTest, WrongIdentityClosesAndTheNextProbeOpensAgain)
{
    for (int wrong : {0, 13, 26}) { // 26: the terminating zero
        SCOPED_TRACE(wrong);
        fake->WrongIdentityByte = wrong;
        const std::uint32_t opens = fake->OpenCount;
        EXPECT_FALSE(FtdiProbe());
        EXPECT_EQ(FtdiLinkState().Handle, nullptr);
        EXPECT_FALSE(fake->Open);
        EXPECT_EQ(fake->OpenCount, opens + 1);
    }
    fake->WrongIdentityByte = -1;
    EXPECT_TRUE(FtdiProbe());
    EXPECT_TRUE(fake->Open);
    EXPECT_EQ(fake->OpenCount, 4u);
}

TEST_F(FtdiProbeTest, SilentAdapterClosesTheDevice)
{
    fake->Silent = true;
    EXPECT_FALSE(FtdiProbe());
    EXPECT_FALSE(fake->Open);
    EXPECT_EQ(fake->CountCalls("FT_Write"), 1u); // no retry
}

TEST_F(FtdiProbeTest, OpenFailureLeavesTheHandleClosed)
{
    fake->OpenFails = true;
    EXPECT_FALSE(FtdiProbe());
    EXPECT_EQ(FtdiLinkState().Handle, nullptr);
    EXPECT_EQ(fake->CountCalls("FT_SetUSBParameters"), 0u);
    fake->OpenFails = false;
    EXPECT_TRUE(FtdiProbe());
}

// A failing step skips the configure steps after it; the line signals,
// time-outs and the purge are made whatever happened, and the open stands.
TEST_F(FtdiProbeTest, FailingConfigureStepSkipsTheLaterSteps)
{
    const Calls steps = {"FT_ResetDevice",    "FT_SetBaudRate", "FT_SetDataCharacteristics",
                         "FT_SetFlowControl", "FT_SetChars",    "FT_SetEventNotification"};
    const Calls always = {"FT_SetDtr", "FT_SetRts", "FT_SetTimeouts", "FT_Purge"};
    for (std::size_t failing = 0; failing < steps.size(); ++failing) {
        SCOPED_TRACE(steps[failing]);
        ResetFtdiLink();
        FtdiLinkState().LibraryNames = {fake.Path()};
        FtdiLinkState().NowMs = SteppingClock::Now;
        fake->Calls.clear();
        fake->FailingCall = steps[failing];

        ASSERT_TRUE(FtdiLoadLibrary());
        ASSERT_TRUE(FtdiOpen());
        Calls expected = {"FT_Open", "FT_SetUSBParameters"};
        expected.insert(expected.end(), steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(failing) + 1);
        expected.insert(expected.end(), always.begin(), always.end());
        EXPECT_EQ(fake->CallNames(), expected);
    }
}

TEST_F(FtdiProbeTest, FailingUsbParametersAreNotChecked)
{
    fake->FailingCall = "FT_SetUSBParameters";
    EXPECT_TRUE(FtdiProbe());
    EXPECT_EQ(fake->CountCalls("FT_SetEventNotification"), 1u);
}

TEST_F(FtdiProbeTest, CloseFreesTheDeviceOnce)
{
    ASSERT_TRUE(FtdiProbe());
    fake->Calls.clear();
    FtdiClose();
    FtdiClose();
    EXPECT_EQ(fake->CallNames(), (Calls{"FT_Purge", "FT_Close"}));
    EXPECT_EQ(fake->Calls[0].Args, (std::vector<std::uint64_t>{3}));
}

class FtdiLibraryTest : public ::testing::Test {
protected:
    ~FtdiLibraryTest() override { ResetFtdiLink(); }
};

TEST_F(FtdiLibraryTest, DefaultNamesAndTheOverride)
{
    ::unsetenv(kD2xxLibraryVariable);
    EXPECT_EQ(DefaultD2xxLibraryNames(), (std::vector<std::string>{"libftd2xx.so", "libftd2xx.so.1"}));
    ::setenv(kD2xxLibraryVariable, "/opt/other/libd2xx.so", 1);
    EXPECT_EQ(DefaultD2xxLibraryNames(), (std::vector<std::string>{"/opt/other/libd2xx.so"}));
    ::setenv(kD2xxLibraryVariable, "", 1);
    EXPECT_EQ(DefaultD2xxLibraryNames().front(), "libftd2xx.so");
    ::unsetenv(kD2xxLibraryVariable);
}

TEST_F(FtdiLibraryTest, OnlyTheEntryPointsTheLinkCallsAreRequired)
{
    FakeFtdiLibrary minimal(FakeFtd2xxPath("libftd2xx_required_only.so"));
    TD2xxLibrary library;
    ASSERT_TRUE(LoadD2xxLibrary({minimal.Path()}, library));
    EXPECT_NE(library.Functions.SetUSBParameters, nullptr);
    EXPECT_EQ(library.Functions.IoCtl, nullptr);
    EXPECT_EQ(library.Functions.OpenEx, nullptr);
    UnloadD2xxLibrary(library);

    FakeFtdiLibrary full(FakeFtd2xxPath());
    ASSERT_TRUE(LoadD2xxLibrary({full.Path()}, library));
    EXPECT_NE(library.Functions.IoCtl, nullptr);
    EXPECT_NE(library.Functions.GetEventStatus, nullptr);
    UnloadD2xxLibrary(library);
}

TEST_F(FtdiLibraryTest, MissingLibraryOrEntryPointKeepsEveryProbeFalse)
{
    FakeFtdiLibrary incomplete(FakeFtd2xxPath("libftd2xx_incomplete.so"));
    FtdiLinkState().LibraryNames = {FakeFtd2xxPath("no-such-library.so"), incomplete.Path()};
    EXPECT_FALSE(FtdiProbe());
    EXPECT_FALSE(FtdiProbe());
    EXPECT_FALSE(FtdiLinkState().LibraryLoaded);
    EXPECT_TRUE(incomplete->Calls.empty());

    // Loading is tried again at every probe until it works.
    FakeFtdiLibrary full(FakeFtd2xxPath());
    FtdiLinkState().LibraryNames.push_back(full.Path());
    EXPECT_TRUE(FtdiProbe());
    EXPECT_TRUE(FtdiLinkState().LibraryLoaded);
}

class FtdiExecuteTest : public FtdiLinkFixture {
protected:
    FtdiExecuteTest()
    {
        EXPECT_TRUE(FtdiProbe());
        fake->Calls.clear();
        sim.SetVoltage(3111);
    }
};

TEST_F(FtdiExecuteTest, OneAttemptTracedAroundTheExchange)
{
    EXPECT_EQ(ReadVoltage(), 3111);
    EXPECT_EQ(fake->CallNames(), (Calls{"FT_Purge", "FT_Write", "FT_Read"}));
    EXPECT_EQ(fake->Calls[0].Args, (std::vector<std::uint64_t>{3}));
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Command: 7 (GET_VOLT) ", "Result: OK"}));
}

TEST_F(FtdiExecuteTest, DeadLinkFailsFiveTimesThenRaises)
{
    fake->Silent = true;
    std::uint8_t reply[2] = {0xAB, 0xAB};
    const std::uint64_t start = SteppingClock::now;
    try {
        FtdiExecute(cmdGetVolt, nullptr, 0, reply, 2, CommandTimeoutMs(cmdGetVolt));
        FAIL() << "no exception";
    } catch (const TERecXchange& e) {
        EXPECT_EQ(e.Text, QStringLiteral("I/O Error"));
        EXPECT_EQ(e.Code, 7);
        EXPECT_EQ(e.Extra, 0);
    }
    EXPECT_EQ(LogCount("FAILED!!!"), 5u);
    EXPECT_EQ(LogCount("Command: 7 (GET_VOLT) "), 5u);
    EXPECT_EQ(LogCount("Result: OK"), 0u);
    EXPECT_EQ(fake->CountCalls("FT_Write"), 5u);
    EXPECT_EQ(fake->CountCalls("FT_Purge"), 5u);
    EXPECT_EQ(reply[0], 0xAB);
    // Each attempt waits the reply time-out of 5000 ms the table gives.
    EXPECT_GE(SteppingClock::now - start, 5u * 5000u);
    EXPECT_LT(SteppingClock::now - start, 5u * 5400u);
}

TEST_F(FtdiExecuteTest, SetDefaultTriesOnceAndStaysSilent)
{
    fake->Silent = true;
    const std::uint64_t start = SteppingClock::now;
    std::uint8_t reply[1] = {};
    EXPECT_NO_THROW(FtdiExecute(cmdSetDefault, nullptr, 0, reply, 1, CommandTimeoutMs(cmdSetDefault)));
    EXPECT_EQ(fake->CountCalls("FT_Write"), 1u);
    EXPECT_EQ(LogCount("FAILED!!!"), 1u);
    EXPECT_EQ(LogCount("Result: OK"), 0u);
    EXPECT_LE(SteppingClock::now - start, 300u + 300u);

    // Without a reply to wait for, the sent request is the success.
    fake->Calls.clear();
    EXPECT_NO_THROW(FtdiExecute(cmdSetDefault, nullptr, 0, nullptr, 0, CommandTimeoutMs(cmdSetDefault)));
    EXPECT_EQ(fake->CallNames(), (Calls{"FT_Purge", "FT_Write"}));
    EXPECT_EQ(LogCount("Result: OK"), 1u);
}

// The adapter judges a reply by its length and CRC only: silence here is a
// time-out, never a frame of zeros, so a reply with another marker or code
// byte but a good CRC is the recorder's answer (the mailbox link, whose
// silence reads as zeros, checks marker and code as well).
TEST_F(FtdiExecuteTest, WrongMarkerAndCodeWithGoodCrcIsAccepted)
{
    fake->WrongMarkerReplies = 1;
    EXPECT_EQ(ReadVoltage(), 3111);
    EXPECT_EQ(fake->CountCalls("FT_Write"), 1u);
    EXPECT_EQ(LogCount("FAILED!!!"), 0u);
}

TEST_F(FtdiExecuteTest, AnUnansweredCommandRaisesAndLeavesTheBufferAlone)
{
    sim.InjectFault({SimFaultKind::Silence, 0, SimFault::kEveryTime, cmdGetVolt});
    std::uint8_t reply[2] = {0xAB, 0xCD};
    try {
        FtdiExecute(cmdGetVolt, nullptr, 0, reply, 2, 300);
        FAIL() << "no exception";
    } catch (const TERecXchange& e) {
        EXPECT_EQ(e.Code, cmdGetVolt);
    }
    EXPECT_EQ(reply[0], 0xAB);
    EXPECT_EQ(reply[1], 0xCD);
    EXPECT_EQ(LogCount("FAILED!!!"), 5u);
}

TEST_F(FtdiExecuteTest, BadCrcIsRetried)
{
    fake->CorruptCrcReplies = 2;
    EXPECT_EQ(ReadVoltage(), 3111);
    EXPECT_EQ(fake->CountCalls("FT_Write"), 3u);
    EXPECT_EQ(LogCount("FAILED!!!"), 2u);
}

TEST_F(FtdiExecuteTest, NothingOfAFailedReplyReachesTheCaller)
{
    fake->CorruptCrcReplies = 5;
    std::uint8_t reply[2] = {0xAB, 0xCD};
    EXPECT_THROW(FtdiExecute(cmdGetVolt, nullptr, 0, reply, 2, CommandTimeoutMs(cmdGetVolt)), TERecXchange);
    EXPECT_EQ(reply[0], 0xAB);
    EXPECT_EQ(reply[1], 0xCD);

    // A reply cut short leaves the buffer alone as well.
    sim.InjectFault({SimFaultKind::ShortReply, 0, SimFault::kEveryTime, {}});
    EXPECT_THROW(FtdiExecute(cmdGetVolt, nullptr, 0, reply, 2, CommandTimeoutMs(cmdGetVolt)), TERecXchange);
    EXPECT_EQ(reply[0], 0xAB);
    EXPECT_EQ(reply[1], 0xCD);
}

TEST_F(FtdiExecuteTest, ReadsAskForAtMost64Bytes)
{
    // A command 76 reply of 144 bytes is a 150-byte frame.
    const PartsOfPagesRequest request{0, 0, 144, 1, 1};
    std::uint8_t raw[PartsOfPagesRequest::kSize];
    request.Serialize(raw);
    ASSERT_TRUE(SendFrame(cmdGetPartsOfPages, sizeof raw, raw, 300));
    std::vector<std::uint8_t> frame(150);
    fake->Calls.clear();
    ASSERT_TRUE(FtdiRead(150, frame.data(), 300));
    EXPECT_EQ(ReadSizesGiven(fake.Control()), (std::vector<std::uint64_t>{64, 64, 22}));
    for (const FakeFtdiCall& call : fake->Calls)
        EXPECT_LE(call.Args[0], 64u);
    std::vector<std::uint8_t> payload(144);
    EXPECT_TRUE(DecodeRecorderFrame(frame.data(), 144, payload.data()));
}

TEST_F(FtdiExecuteTest, RepliesInSmallPiecesArrive)
{
    fake->MaxReadPiece = 3;
    fake->EmptyReadsBeforePiece = 2;
    EXPECT_EQ(ReadVoltage(), 3111);
    EXPECT_EQ(ReadSizesGiven(fake.Control()), (std::vector<std::uint64_t>{3, 3, 2}));
}

// The time-out bounds a pause without progress, not the whole transfer.
TEST_F(FtdiExecuteTest, StallTimeOutCountsFromTheLastProgress)
{
    struct Case {
        int emptyReads; // 10 ms each on the test clock
        bool arrives;
    };
    for (const Case c : {Case{20, true}, Case{35, false}}) {
        SCOPED_TRACE(c.emptyReads);
        fake->MaxReadPiece = 16;
        fake->EmptyReadsBeforePiece = c.emptyReads;
        const PartsOfPagesRequest request{0, 0, 1000, 1, 1};
        std::uint8_t raw[PartsOfPagesRequest::kSize];
        request.Serialize(raw);
        fake->DropReplies();
        ASSERT_TRUE(SendFrame(cmdGetPartsOfPages, sizeof raw, raw, 300));
        std::vector<std::uint8_t> frame(1006);
        const std::uint64_t start = SteppingClock::now;
        EXPECT_EQ(FtdiRead(1006, frame.data(), 300), c.arrives);
        if (c.arrives) {
            EXPECT_GT(SteppingClock::now - start, 3000u); // far beyond the time-out in all
        }
    }
}

TEST_F(FtdiExecuteTest, AFailingReadOrWriteEndsTheLoop)
{
    for (const char* failing : {"FT_Write", "FT_Read"}) {
        SCOPED_TRACE(failing);
        fake->FailingCall = failing;
        fake->Calls.clear();
        EXPECT_THROW(ReadVoltage(), TERecXchange);
        EXPECT_EQ(fake->CountCalls(failing), 5u); // one call per attempt
    }
}

TEST_F(FtdiExecuteTest, PriorityIsRaisedForTheExchangeAndRestoredToItsValue)
{
    int before = 0;
    int after = 0;
    int during = 0;
    int afterFailure = 0;
    std::thread worker([&] {
        const auto tid = static_cast<id_t>(::gettid());
        ::setpriority(PRIO_PROCESS, tid, 5);
        before = ::getpriority(PRIO_PROCESS, tid);
        ReadVoltage();
        after = ::getpriority(PRIO_PROCESS, tid);
        fake->Silent = true;
        EXPECT_THROW(ReadVoltage(), TERecXchange);
        afterFailure = ::getpriority(PRIO_PROCESS, tid);
    });
    worker.join();
    for (const FakeFtdiCall& call : fake->Calls)
        if (call.Name == "FT_Write")
            during = call.Nice;
    EXPECT_EQ(before, 5);
    EXPECT_EQ(after, 5);
    EXPECT_EQ(afterFailure, 5);
    if (::geteuid() == 0) {
        EXPECT_EQ(during, 4);
    } else {
        EXPECT_TRUE(during == 4 || during == 5);
    }
}

TEST(ThreadPriorityBoost, ARefusedRaiseIsIgnored)
{
    static int sets = 0;
    sets = 0;
    const ThreadPriorityBoost::Api refusing{[](int& nice) {
                                                nice = 0;
                                                return true;
                                            },
                                            [](int) {
                                                ++sets;
                                                return false;
                                            }};
    {
        ThreadPriorityBoost boost(refusing);
        EXPECT_FALSE(boost.Raised());
    }
    EXPECT_EQ(sets, 1); // the refused raise, and no restore after it
}
