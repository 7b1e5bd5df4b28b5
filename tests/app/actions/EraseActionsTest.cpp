// actRecErase and actFormat on the real main window over a SimRecorder with
// built content.
#include <gtest/gtest.h>

#include <QAction>
#include <QTreeView>
#include <algorithm>
#include <atomic>
#include <new>

#include "app/actions/CopyToPcActions.h"
#include "app/actions/EraseItems.h"
#include "app/lists/ContentListsController.h"
#include "app/lists/DriveListView.h"
#include "app/lists/FileList.h"
#include "app/lists/RecordList.h"
#include "app/lists/RecordListView.h"
#include "app/services/AppMessageBox.h"
#include "app/services/LongOperation.h"
#include "core/flash/DriveFileList.h"
#include "core/flash/SoundFileList.h"
#include "core/protocol/RecorderCommands.h"
#include "core/recorder/CustomRecorder.h"
#include "tests/app/CancelOnCommand.h"
#include "tests/app/SimWindowFixture.h"
#include "tests/support/ContentBuilder.h"
#include "tests/support/WaitUntil.h"

namespace {

SimGeometry SmallFlash()
{
    return SmallFlashGeometry(32, 8);
}

}  // namespace

class EraseActionsTest : public SimWindowFixture {
protected:
    EraseActionsTest() : SimWindowFixture(SmallFlash()) {}

    void SetUp() override
    {
        MainWindowFixture::SetUp();
        ContentBuilder builder(ContentGeometry::Of(sim));
        RecordingSpec downloaded;
        downloaded.number = 1;
        downloaded.statusVas = 0x40;
        downloaded.blocks = {4};
        builder.AddRecording(downloaded);
        RecordingSpec never;
        never.number = 2;
        never.blocks = {6};
        builder.AddRecording(never);
        for (const auto& [name, block] : {std::pair{u"A.TXT", 8u}, std::pair{u"B.TXT", 10u}}) {
            DriveFileSpec file;
            file.number = static_cast<std::uint16_t>(block);
            file.name = name;
            file.data.assign(10, 0x41);
            file.blocks = {block};
            builder.AddDriveFile(file);
        }
        builder.WriteTo(sim);
        ASSERT_NO_FATAL_FAILURE(ConnectSim(3));
        Pass();
        ASSERT_EQ(connection->Recorder()->GetSoundFiles()->Count(), 2);
        window->Lists().Records().View().selectAll();
        window->Lists().UpdateActions();
        ASSERT_TRUE(window->actRecErase->isEnabled());
        sim.ClearLog();
    }
    bool BlockErased(std::uint32_t block) const
    {
        const std::vector<std::uint8_t> page = sim.ReadPage(std::uint64_t{block} * SmallFlash().pagesPerBlock);
        return std::all_of(page.begin(), page.end(), [](std::uint8_t b) { return b == 0xFF; });
    }
};

TEST_F(EraseActionsTest, DecliningErasesNothingAndLeavesTheInterfaceAsItWas)
{
    boxes.Queue({IDNO});
    window->actRecErase->trigger();
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, QStringLiteral("Do you really want to erase selected records?"));
    EXPECT_EQ(boxes.Boxes[0].Flags, 0x134u);
    EXPECT_EQ(sim.CommandCount(cmdEraseBlock), 0u);
    EXPECT_TRUE(window->mainPanel->isEnabled());
}

TEST_F(EraseActionsTest, SelectedRecordingsAreErased)
{
    boxes.Queue({IDYES});
    window->actRecErase->trigger();
    EXPECT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_TRUE(BlockErased(4));
    EXPECT_TRUE(BlockErased(6));
    // The erase ends with a rescan, whatever an earlier refresh did: the
    // lists show what the flash holds.
    EXPECT_FALSE(connection->Recorder()->IsContentChanged());
    EXPECT_EQ(window->Lists().RecordList().Count(), 0);
    EXPECT_TRUE(window->mainPanel->isEnabled());
}

TEST_F(EraseActionsTest, NeverDownloadedRecordingsAreReportedWhenTheirEraseIsDisabled)
{
    ProgramOptions.NonSavedEraseDisable = true;
    boxes.Queue({IDYES});
    window->actRecErase->trigger();
    ASSERT_EQ(boxes.Boxes.size(), 2u);
    EXPECT_EQ(boxes.Boxes[1].Text,
              QStringLiteral("Record 2 is non-downloaded.\r\nErasing of non-downloaded records is disabled."));
    EXPECT_EQ(boxes.Boxes[1].Flags, static_cast<std::uint32_t>(MB_ICONINFORMATION));
    EXPECT_TRUE(BlockErased(4));
    EXPECT_FALSE(BlockErased(6));
}

TEST_F(EraseActionsTest, ALinkFailureIsShownOnceAndTheInterfaceComesBack)
{
    sim.InjectFault({SimFaultKind::Fail, 0, SimFault::kEveryTime, cmdEraseBlock});
    boxes.Queue({IDYES});
    window->actRecErase->trigger();
    ASSERT_EQ(boxes.Boxes.size(), 2u);
    EXPECT_EQ(boxes.Boxes[1].Text, QStringLiteral("ERROR: I/O Error. Error code 18"));
    // The first failure ended the loop.
    EXPECT_FALSE(BlockErased(6));
    EXPECT_TRUE(window->mainPanel->isEnabled());
}

TEST_F(EraseActionsTest, FormatAsksThenErasesTheDataBlocks)
{
    boxes.Queue({IDYES});
    window->actFormat->trigger();
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, QStringLiteral("This will erase all content of recorder. Do you wish to continue?"));
    EXPECT_TRUE(BlockErased(4));
    EXPECT_TRUE(BlockErased(6));
    // So does the format.
    EXPECT_FALSE(connection->Recorder()->IsContentChanged());
    EXPECT_EQ(window->Lists().RecordList().Count(), 0);
    EXPECT_TRUE(window->mainPanel->isEnabled());
}

TEST_F(EraseActionsTest, DecliningTheFormatErasesNothing)
{
    boxes.Queue({IDNO});
    window->actFormat->trigger();
    EXPECT_EQ(sim.CommandCount(cmdEraseBlock), 0u);
}

TEST_F(EraseActionsTest, CancelDuringARecordEraseStopsBeforeTheNext)
{
    // Cancel is pressed while the first erase runs: the job thread waits
    // until the GUI has taken the click.
    std::atomic<bool> clicked{false};
    CancelOnFirstCommand(sim, cmdEraseBlock, *window, window->Operation(), clicked, {});
    boxes.Queue({IDYES});
    window->actRecErase->trigger();
    EXPECT_TRUE(clicked);
    EXPECT_EQ(sim.CommandCount(cmdEraseBlock), 1u);
    EXPECT_TRUE(BlockErased(4));
    EXPECT_FALSE(BlockErased(6));
    EXPECT_TRUE(window->mainPanel->isEnabled());
}

TEST_F(EraseActionsTest, ARecordingWithItsVoicePartsIsErasedOnce)
{
    TRecords::TRecordItem recording;
    recording.RecordNumber = 1;
    TRecords::TRecordItem part;
    part.RecordNumber = 1;
    part.VoicePart = true;
    EraseRecorderItems(*connection->Recorder(), window->Operation(), {&recording, &part, &part}, {}, QString());
    EXPECT_EQ(sim.CommandCount(cmdEraseBlock), 1u);
    EXPECT_TRUE(BlockErased(4));
}

// After a move's download the recorder's list says downloaded while the
// selection's copy still says never downloaded.
TEST_F(EraseActionsTest, TheDownloadedCheckReadsTheRecordersList)
{
    ProgramOptions.NonSavedEraseDisable = true;
    TSoundFileList& files = *connection->Recorder()->GetSoundFiles();
    TRecords::TRecordItem moved;
    moved.RecordNumber = 2;
    moved.Status = 0xFF;
    files.Item(files.IndexOfNumber(2))->Status = 0x55;
    EraseRecorderItems(*connection->Recorder(), window->Operation(), {&moved}, {}, QString());
    EXPECT_TRUE(boxes.Boxes.empty());
    EXPECT_TRUE(BlockErased(6));
}

TEST_F(EraseActionsTest, FlashDriveEntriesAreErasedLastFirstAndAMissingOneIsReported)
{
    ASSERT_EQ(connection->Recorder()->GetDriveFiles()->Count(), 2);
    TFileListItem a;
    a.Name = QStringLiteral("A.TXT");
    a.Path = QStringLiteral("\\");
    TFileListItem missing = a;
    missing.Name = QStringLiteral("GONE.TXT");
    TFileListItem b = a;
    b.Name = QStringLiteral("B.TXT");
    bool bFirst = false;
    boxes.OnBox = [&](const ScriptedMessageBoxes::Box&) { bFirst = BlockErased(10) && !BlockErased(8); };
    EraseRecorderItems(*connection->Recorder(), window->Operation(), {}, {&a, &missing, &b}, QStringLiteral("\\"));
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, QStringLiteral("Can't open GONE.TXT"));
    EXPECT_EQ(boxes.Boxes[0].Flags, static_cast<std::uint32_t>(MB_OK));
    EXPECT_TRUE(bFirst);
    EXPECT_TRUE(BlockErased(8));
    EXPECT_TRUE(BlockErased(10));
}

// The flash-drive view erases the selected entries through the same loop.
TEST_F(EraseActionsTest, SelectedFlashDriveEntriesAreErasedFromTheirView)
{
    window->Lists().ShowDriveView();
    window->Lists().Drive().SelectAll();
    window->Lists().UpdateActions();
    ASSERT_TRUE(window->actRecErase->isEnabled());
    boxes.Queue({IDYES});
    window->actRecErase->trigger();
    ASSERT_GE(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, QStringLiteral("Do you really want to erase selected files?"));
    EXPECT_TRUE(BlockErased(8));
    EXPECT_TRUE(BlockErased(10));
    EXPECT_FALSE(BlockErased(4));  // the recordings stay
}

TEST_F(EraseActionsTest, EraseNeedsASelectedRow)
{
    window->Lists().Records().View().clearSelection();
    window->Lists().UpdateActions();
    EXPECT_FALSE(window->actRecErase->isEnabled());
}

namespace {

struct MidwayStop {
    const char* Name;
    bool Exception;  // else the second erase job fails
};

void PrintTo(const MidwayStop& stop, std::ostream* out)
{
    *out << stop.Name;
}

}  // namespace

class EraseMidwayTest : public EraseActionsTest, public ::testing::WithParamInterface<MidwayStop> {};

// An erase that stops after its first item, by a failed job or by an
// exception on the way to the second (as Move's read-back may raise): the
// lists are scanned again and show what the flash holds.
TEST_P(EraseMidwayTest, TheListsFollowTheFlashAfterAnEraseThatStopsMidway)
{
    boxes.Queue({IDYES});
    if (GetParam().Exception) {
        TRecordList records;
        for (int i = 0; i < window->Lists().RecordList().Count(); ++i)
            records.Add(window->Lists().RecordList().Item(i));
        TEraseGate gate;
        gate.Record = [](const TRecords::TRecordItem& record) {
            if (record.RecordNumber == 2)
                throw std::bad_alloc();
            return true;
        };
        EXPECT_THROW(window->CopyToPc().EraseItems(records, TFileList(), gate), std::bad_alloc);
    } else {
        sim.InjectFault({SimFaultKind::Fail, 1, 1, cmdEraseBlock});
        window->actRecErase->trigger();
    }
    EXPECT_TRUE(BlockErased(4));
    EXPECT_FALSE(BlockErased(6));
    const TRecordList& rows = window->Lists().RecordList();
    ASSERT_EQ(rows.Count(), 1);
    EXPECT_EQ(rows.Item(0)->RecordNumber, 2);
    EXPECT_EQ(window->lvRecContent->model()->rowCount(), 1);
    EXPECT_TRUE(window->mainPanel->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(BothWays, EraseMidwayTest,
                         ::testing::Values(MidwayStop{"FailedJob", false}, MidwayStop{"Exception", true}),
                         [](const ::testing::TestParamInfo<MidwayStop>& info) { return std::string(info.param.Name); });
