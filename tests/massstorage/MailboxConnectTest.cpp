#include <gtest/gtest.h>

#include <array>

#include "massstorage/MailboxState.h"
#include "tests/massstorage/MailboxFixture.h"

namespace {

std::array<std::uint8_t, 12> KeptParams()
{
    std::array<std::uint8_t, 12> params{};
    q71::GetFlashParams(params.data());
    return params;
}

}  // namespace

TEST(MailboxConnect, NoCandidateGivesFalseAndHoldsNoHandle)
{
    SimMailboxFileIo files;
    files.AddCandidate("/media/empty/service.dat", nullptr);
    EXPECT_FALSE(q71::IsConnected());
    EXPECT_EQ(q71::MailboxState().handle, -1);
    EXPECT_EQ(KeptParams(), (std::array<std::uint8_t, 12>{}));
}

TEST(MailboxConnect, FirstQualifyingCandidateWinsAndSmallSectorsAreSkipped)
{
    SimRecorder recorder(MailboxTestGeometry(), SimPageStride::PageOnly);
    SimRecorder other(MailboxTestGeometry(), SimPageStride::PageOnly);
    SimMailboxDevice plainDisk(&recorder, 512);
    SimMailboxDevice first(&recorder, 2048);
    SimMailboxDevice second(&other, 2048);
    SimMailboxFileIo files;
    files.AddCandidate("/media/none/service.dat", nullptr);
    files.AddCandidate("/media/stick/service.dat", &plainDisk);
    files.AddCandidate("/media/rec1/service.dat", &first);
    files.AddCandidate("/media/rec2/service.dat", &second);

    ASSERT_TRUE(q71::IsConnected());
    EXPECT_EQ(q71::MailboxState().path, "/media/rec1/service.dat");
    EXPECT_EQ(q71::MailboxState().sectorSize, 2048u);
    EXPECT_EQ(plainDisk.Count().writes, 0u) << "the 512-byte disk is closed untouched";
    EXPECT_EQ(second.Count().writes, 0u);
    ASSERT_EQ(first.Commands().size(), 1u);
    EXPECT_EQ(first.Commands()[0].command, q71Identify);
    EXPECT_EQ(KeptParams(), recorder.FlashParams());
}

TEST_F(MailboxFixture, SecondConnectMakesNoExchange)
{
    EXPECT_TRUE(q71::IsConnected());
    EXPECT_TRUE(q71::IsConnected());
    EXPECT_EQ(device.Count().reads + device.Count().writes, 0u);
    EXPECT_EQ(files.OpenCount(), 1u);
}

TEST_F(MailboxFixture, UnplugGivesFalseAndReplugReconnects)
{
    device.Unplug();
    EXPECT_FALSE(q71::IsConnected());
    EXPECT_EQ(q71::MailboxState().handle, -1);
    std::uint8_t page[2048];
    EXPECT_FALSE(q71::ReadPages(0, page, 1));
    EXPECT_FALSE(q71::IsConnected());

    device.Replug();
    EXPECT_TRUE(q71::IsConnected());
    EXPECT_EQ(files.OpenCount(), 2u);
    EXPECT_EQ(device.Commands().back().command, q71Identify);
    EXPECT_TRUE(q71::ReadPages(0, page, 1));
}

// Answers that are not a recorder's: the candidate does not qualify, the
// search goes on, and the parameters of the last good connect stay.
TEST(MailboxConnect, ImplausibleIdentifyAnswersAreRejected)
{
    struct Case {
        const char* name;
        std::vector<std::uint8_t> answer;  // replaces the first bytes
        bool passive = false;
    };
    const Case cases[] = {
        {"echo of the command (plain disk)", {}, true},
        {"zero chips", {0}},
        {"zero pages per block", {1, 1, 2, 3, 4, 5, 64, 0, 0}},
        {"page size 0", {1, 1, 2, 3, 4, 5, 64, 0, 64, 0, 0}},
        {"page size not whole sectors", {1, 1, 2, 3, 4, 5, 64, 0, 64, 0x00, 0x03}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimRecorder recorder(MailboxTestGeometry(), SimPageStride::PageOnly);
        SimMailboxDevice bad(c.passive ? nullptr : &recorder, 2048);
        bad.SetIdentifyAnswer(c.answer);
        SimMailboxFileIo files;
        files.AddCandidate("/media/bad/service.dat", &bad);
        EXPECT_FALSE(q71::IsConnected());
        EXPECT_EQ(q71::MailboxState().handle, -1);
        EXPECT_EQ(KeptParams(), (std::array<std::uint8_t, 12>{}));
        EXPECT_FALSE(q71::ReadPages(0, nullptr, 1));

        SimMailboxDevice good(&recorder, 2048);
        files.AddCandidate("/media/good/service.dat", &good);
        EXPECT_TRUE(q71::IsConnected());
        EXPECT_EQ(q71::MailboxState().path, "/media/good/service.dat");
    }
}

TEST_F(MailboxFixture, FailedIdentifyKeepsThePreviousParameters)
{
    const auto before = KeptParams();
    device.Unplug();
    EXPECT_FALSE(q71::IsConnected());
    device.Replug();
    device.FailTransfer(2);  // the identify answer
    EXPECT_FALSE(q71::IsConnected());
    EXPECT_EQ(KeptParams(), before);
    EXPECT_TRUE(q71::IsConnected());
}

TEST(MailboxConnect, CallsBeforeAConnectFailWithoutDividing)
{
    SimMailboxFileIo files;
    std::uint8_t buffer[4096] = {};
    EXPECT_FALSE(q71::ReadPages(0, buffer, 1));
    EXPECT_FALSE(q71::WritePages(0, buffer, 1));
    EXPECT_FALSE(q71::ReadPartsOfPages(0, 3, 0, 20, 1, buffer));
    EXPECT_FALSE(q71::ReadPartsOfPages(0, 0, 0, 0, 1, buffer));
    EXPECT_FALSE(q71::BlockErase(0));
    EXPECT_FALSE(q71::SendI2C(buffer, 6));
    EXPECT_FALSE(q71::ReceiveI2C(buffer, 6));
}
