// Erase, status rewrite and format through the recorder object over a
// SimRecorder holding built content.
#include <gtest/gtest.h>

#include <QDir>
#include <algorithm>
#include <atomic>
#include <functional>
#include <stdexcept>

#include "core/flash/BlockHeader.h"
#include "core/flash/DriveFileList.h"
#include "core/flash/PageReads.h"
#include "core/flash/SoundFileList.h"
#include "core/links/ConnectType.h"
#include "core/protocol/RecXchange.h"
#include "core/protocol/RecorderCommands.h"
#include "core/recorder/ProcessState.h"
#include "core/recorder/Recorder.h"
#include "core/settings/DocumentsFolder.h"
#include "core/settings/ProgramFolder.h"
#include "core/transfer/BlockRecovery.h"
#include "core/transfer/EraseJobs.h"
#include "localizer/LangConst.h"
#include "tests/support/ContentBuilder.h"
#include "tests/support/FakeRecorderHost.h"
#include "tests/support/RecorderRefresh.h"
#include "tests/support/SimRecorder.h"
#include "tests/support/SimRecorderLink.h"
#include "tests/support/TempDir.h"

namespace {

SimGeometry SmallFlash()
{
    return SmallFlashGeometry(32, 8);
}

constexpr std::uint16_t kFirstDataBlock = 3;

}  // namespace

class EraseJobsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessState();
        SetProgramFolderOverride(QString::fromStdString(m_dir.Path().string()));
        SetDocumentsFolderOverride(QString::fromStdString(m_dir.Path().string()));
        m_sim.SetFirstDataBlock(kFirstDataBlock);
        // The recorder's own blocks below the data area.
        for (std::uint32_t b = 0; b < kFirstDataBlock; ++b)
            m_sim.WritePage(std::uint64_t{b} * SmallFlash().pagesPerBlock, std::vector<std::uint8_t>(16, 0x5A));
        ContentGeometry geometry = ContentGeometry::Of(m_sim);
        geometry.firstDataBlock = kFirstDataBlock;
        ContentBuilder builder(geometry);
        RecordingSpec first;
        first.number = 1;
        first.statusVas = 0x15;
        first.blockCount = 2;
        first.blocks = {5, 4};
        m_firstBlock = builder.AddRecording(first).blocks.front();
        RecordingSpec second;
        second.number = 2;
        second.blocks = {7};
        builder.AddRecording(second);
        DriveFileSpec file;
        file.data.assign(100, 0x33);
        file.blocks = {9};
        builder.AddDriveFile(file);
        builder.CorruptHeaderCopy(m_firstBlock, 1, 11);
        builder.WriteTo(m_sim);
        m_recorder = std::make_unique<TRecorder>(ctUsb20Adapter);
        m_link.emplace(m_sim);
        Refresh();
    }
    void TearDown() override
    {
        m_recorder.reset();
        m_link.reset();
        ResetProcessState();
    }

    void Refresh() { RefreshAndWait(*m_recorder); }
    TSoundFileInfo& Recording(std::uint16_t number)
    {
        TSoundFileList& files = *m_recorder->GetSoundFiles();
        const int index = files.IndexOfNumber(number);
        if (index < 0)
            throw std::out_of_range("no such recording");
        return *files.Item(index);
    }
    bool BlockErased(std::uint32_t block) const
    {
        for (std::uint32_t p = 0; p < SmallFlash().pagesPerBlock; ++p) {
            const std::vector<std::uint8_t> page =
                m_sim.ReadPage(std::uint64_t{block} * SmallFlash().pagesPerBlock + p);
            if (std::any_of(page.begin(), page.end(), [](std::uint8_t b) { return b != 0xFF; }))
                return false;
        }
        return true;
    }
    std::vector<std::uint8_t> FirstPage(std::uint32_t block) const
    {
        return m_sim.ReadPage(std::uint64_t{block} * SmallFlash().pagesPerBlock);
    }
    std::vector<std::uint8_t> Codes() const
    {
        std::vector<std::uint8_t> codes;
        for (const SimCommandRecord& record : m_sim.CommandLog())
            codes.push_back(record.code);
        return codes;
    }
    void RunJob() { m_recorder->WaitForJob(); }
    // The block now carries the header of another item (another owner, as
    // after the image or the recorder's content was replaced).
    void GiveBlockToAnotherOwner(std::uint32_t block)
    {
        EditHeader(block,
                   [](TBlockHeader& header) { header.SetOwner(static_cast<std::uint16_t>(header.Owner() + 40)); });
    }
    std::vector<std::vector<std::uint8_t>> BlockPages(std::uint32_t block) const
    {
        std::vector<std::vector<std::uint8_t>> pages;
        for (std::uint32_t p = 0; p < SmallFlash().pagesPerBlock; ++p)
            pages.push_back(m_sim.ReadPage(std::uint64_t{block} * SmallFlash().pagesPerBlock + p));
        return pages;
    }
    void PutBlockPages(std::uint32_t block, const std::vector<std::vector<std::uint8_t>>& pages)
    {
        m_sim.EraseBlock(block);
        for (std::uint32_t p = 0; p < SmallFlash().pagesPerBlock; ++p)
            m_sim.WritePage(std::uint64_t{block} * SmallFlash().pagesPerBlock + p, pages[p]);
    }
    // The block's header changed by edit, its CRC valid.
    void EditHeader(std::uint32_t block, const std::function<void(TBlockHeader&)>& edit)
    {
        auto pages = BlockPages(block);
        TBlockHeader header = TBlockHeader::Vote(pages[0].data());
        edit(header);
        header.UpdateCrc();
        header.WriteCopies(pages[0].data());
        PutBlockPages(block, pages);
    }
    QStringList RecoveryFiles() const
    {
        return QDir(QString::fromStdString(m_dir.Path().string())).entryList({QStringLiteral("*.blk")}, QDir::Files);
    }

    TempDir m_dir;
    FakeRecorderHost m_host;
    SimRecorder m_sim{SmallFlash()};
    std::optional<SimRecorderLink> m_link;
    std::unique_ptr<TRecorder> m_recorder;
    std::uint32_t m_firstBlock = 0;
};

TEST_F(EraseJobsTest, TheStatusARecordingHasSendsNoCommand)
{
    const std::uint8_t status = Recording(2).Status;
    m_sim.ClearLog();
    m_recorder->SetSoundFileStatus(2, status);
    EXPECT_EQ(m_sim.CommandCount(), 0u);
}

TEST_F(EraseJobsTest, MarkingDownloadedKeepsTheVasBitsAndRepairsTheHeaderCopies)
{
    ASSERT_NE(Recording(1).Status, 0x55);
    const std::vector<std::uint8_t> before = FirstPage(m_firstBlock);
    ASSERT_NE(before[11], before[31]);  // the damaged second copy
    m_sim.SetRefuseWritesOntoWritten(true);
    m_sim.ClearLog();

    m_recorder->SetSoundFileStatus(1, 0x55);

    // Read, erase, then write: a NAND takes no write onto written pages.
    const std::vector<std::uint8_t> codes = Codes();
    const auto erase = std::find(codes.begin(), codes.end(), cmdEraseBlock);
    ASSERT_NE(erase, codes.end());
    EXPECT_NE(std::find(erase, codes.end(), cmdWriteBlock), codes.end());
    const std::vector<std::uint8_t> after = FirstPage(m_firstBlock);
    const TBlockHeader header = TBlockHeader::Vote(after.data());
    for (int copy = 0; copy < 3; ++copy) {
        const auto* bytes = after.data() + copy * TBlockHeader::kSize;
        EXPECT_TRUE(std::equal(header.Bytes.begin(), header.Bytes.end(), bytes)) << "copy " << copy;
    }
    EXPECT_EQ(after[11], 0x40 | 0x15);
    EXPECT_TRUE(header.IsCrcValid());
    // The rest of the block is as it was.
    EXPECT_TRUE(std::equal(before.begin() + 64, before.end(), after.begin() + 64));
    EXPECT_EQ(Recording(1).Status, 0x55);
    EXPECT_TRUE(m_recorder->IsContentChanged());

    Refresh();
    EXPECT_EQ(Recording(1).Status, 0x55);
}

TEST_F(EraseJobsTest, AFailedWriteIsTriedOnceMoreFromMemory)
{
    m_sim.InjectFault({SimFaultKind::Fail, 0, 1, cmdWriteBlock});
    m_recorder->SetSoundFileStatus(1, 0xAA);
    EXPECT_EQ(Recording(1).Status, 0xAA);
    EXPECT_EQ(FirstPage(m_firstBlock)[11], 0x80 | 0x15);
}

TEST_F(EraseJobsTest, TwoFailedWritesRaiseAndTheStatusStays)
{
    const std::uint8_t status = Recording(1).Status;
    m_sim.InjectFault({SimFaultKind::Fail, 0, 2, cmdWriteBlock});
    EXPECT_THROW(m_recorder->SetSoundFileStatus(1, 0x55), TERecXchange);
    EXPECT_EQ(Recording(1).Status, status);
}

// The rewrite keeps the new block on the disk from before the erase until
// the block reads back as written.
TEST_F(EraseJobsTest, TheRewriteKeepsARecoveryFileOnlyWhileTheBlockIsOnTheWay)
{
    const QString serial = m_recorder->GetSerialNumber();
    ASSERT_FALSE(serial.isEmpty());
    const TFlashGeometry geometry = m_recorder->Geometry();
    std::optional<TBlockRecoveryData> atErase;
    m_sim.SetCommandHook([&](std::uint8_t code) {
        if (code == cmdEraseBlock)
            atErase = LoadBlockRecovery(BlockRecoveryPath(serial, m_firstBlock), geometry).Data;
    });
    m_recorder->SetSoundFileStatus(1, 0x55);
    m_sim.SetCommandHook({});
    ASSERT_TRUE(atErase.has_value());
    EXPECT_EQ(atErase->Serial, serial);
    EXPECT_EQ(atErase->Geometry.TotalBlocks(), geometry.TotalBlocks());
    EXPECT_EQ(atErase->Geometry.PageSize, geometry.PageSize);
    EXPECT_EQ(atErase->Block, m_firstBlock);
    EXPECT_EQ(atErase->Record, 1);
    EXPECT_EQ(atErase->NextBlock, std::optional<std::uint32_t>{4});
    EXPECT_EQ(TBlockHeader::Vote(atErase->Data.data()).Bytes[11], 0x40 | 0x15);
    EXPECT_TRUE(RecoveryFiles().isEmpty());
}

// Killed between the erase and the write (here: the link lost for longer
// than the one retry), the block is gone from the flash but not from the
// disk: the next connect writes it back and says which recording it was.
TEST_F(EraseJobsTest, ARewriteCutBetweenEraseAndWriteIsHealedOnTheNextConnect)
{
    const std::vector<std::uint8_t> before = FirstPage(m_firstBlock);
    m_sim.InjectFault({SimFaultKind::Fail, 0, SimFault::kEveryTime, cmdWriteBlock});
    EXPECT_THROW(m_recorder->SetSoundFileStatus(1, 0x55), TERecXchange);
    m_sim.ClearFaults();
    EXPECT_TRUE(BlockErased(m_firstBlock));
    ASSERT_EQ(RecoveryFiles().size(), 1);

    // The program starts again.
    m_recorder.reset();
    m_link.reset();
    m_recorder = std::make_unique<TRecorder>(ctUsb20Adapter);
    m_link.emplace(m_sim);
    ASSERT_TRUE(m_recorder->CheckConnection());
    const QStringList repaired = m_recorder->HealInterruptedRewrites();
    ASSERT_EQ(repaired.size(), 1);
    EXPECT_TRUE(repaired[0].startsWith(QStringLiteral("Record 1 was repaired"))) << repaired[0].toStdString();
    EXPECT_TRUE(RecoveryFiles().isEmpty());
    EXPECT_TRUE(m_recorder->IsContentChanged());
    const std::vector<std::uint8_t> after = FirstPage(m_firstBlock);
    EXPECT_EQ(after[11], 0x40 | 0x15);
    EXPECT_TRUE(std::equal(before.begin() + 64, before.end(), after.begin() + 64));
    Refresh();
    EXPECT_EQ(Recording(1).Status, 0x55);
    EXPECT_EQ(Recording(1).Blocks->Count(), 2);

    // Nothing left: the next connect does nothing.
    m_sim.ClearLog();
    EXPECT_TRUE(m_recorder->HealInterruptedRewrites().isEmpty());
    EXPECT_EQ(m_sim.CommandCount(cmdEraseBlock), 0u);
}

// A recovery file whose block already holds its bytes (killed after the
// write) only goes: nothing is written.
TEST_F(EraseJobsTest, HealingOnlyRemovesTheFileOfAFinishedRewrite)
{
    const QString serial = m_recorder->GetSerialNumber();
    std::vector<std::uint8_t> block(m_recorder->Geometry().BlockBytes());
    ReadBlock(m_recorder->Geometry(), block.data(), m_firstBlock);
    SaveBlockRecovery({serial, m_recorder->Geometry(), m_firstBlock, 1, std::nullopt, {}, block});
    ASSERT_EQ(RecoveryFiles().size(), 1);

    m_sim.ClearLog();
    EXPECT_TRUE(m_recorder->HealInterruptedRewrites().isEmpty());
    EXPECT_EQ(m_sim.CommandCount(cmdEraseBlock), 0u);
    EXPECT_TRUE(RecoveryFiles().isEmpty());
    EXPECT_TRUE(QDir(QString::fromStdString(m_dir.Path().string())).entryList({QStringLiteral("*.kept")}).isEmpty());
}

// What the lists say is no longer on the flash: the erase (and the status
// rewrite) reads the headers first and erases nothing of another item.
TEST_F(EraseJobsTest, AChangedContentEndsTheEraseFailedAndErasesNothing)
{
    GiveBlockToAnotherOwner(4);  // recording 1's second block
    m_sim.ClearLog();
    m_recorder->StartEraseSoundFile(1);
    RunJob();
    EXPECT_EQ(m_recorder->LastJobOutcome(), TJobOutcome::Failed);
    EXPECT_EQ(m_recorder->LastJobError().Text, LangConst(QStringLiteral("ContentChangedStr")));
    EXPECT_EQ(m_sim.CommandCount(cmdEraseBlock), 0u);

    GiveBlockToAnotherOwner(9);
    m_recorder->StartEraseDriveFile(0);
    RunJob();
    EXPECT_EQ(m_recorder->LastJobOutcome(), TJobOutcome::Failed);
    EXPECT_EQ(m_sim.CommandCount(cmdEraseBlock), 0u);

    GiveBlockToAnotherOwner(m_firstBlock);
    EXPECT_THROW(m_recorder->SetSoundFileStatus(1, 0x55), EContentChanged);
    EXPECT_EQ(m_sim.CommandCount(cmdEraseBlock), 0u);
    EXPECT_TRUE(RecoveryFiles().isEmpty());
    EXPECT_FALSE(BlockErased(4));
    EXPECT_FALSE(BlockErased(9));
}

// Owner alone is not enough: a block of the same owner with another time or
// sequence (a drive file's own sequence field) is another item's block.
TEST_F(EraseJobsTest, ABlockOfAnotherTimeOrSequenceIsNotErased)
{
    struct TChange {
        const char* name;
        std::uint32_t block;
        bool driveFile;
        void (*edit)(TBlockHeader&);
    };
    const TChange changes[] = {
        {"recording, time", 4, false, [](TBlockHeader& h) { h.SetTime(h.Time() + 1); }},
        {"recording, sequence", 4, false,
         [](TBlockHeader& h) { h.SetSequence(static_cast<std::uint16_t>(h.Sequence() + 1)); }},
        {"drive file, time", 9, true, [](TBlockHeader& h) { h.SetTime(h.Time() + 1); }},
        {"drive file, sequence", 9, true,
         [](TBlockHeader& h) { h.SetDriveSequence(static_cast<std::uint16_t>(h.DriveSequence() + 1)); }},
    };
    for (const TChange& change : changes) {
        SCOPED_TRACE(change.name);
        const auto pages = BlockPages(change.block);
        EditHeader(change.block, change.edit);
        m_sim.ClearLog();
        if (change.driveFile)
            m_recorder->StartEraseDriveFile(0);
        else
            m_recorder->StartEraseSoundFile(1);
        RunJob();
        EXPECT_EQ(m_recorder->LastJobOutcome(), TJobOutcome::Failed);
        EXPECT_EQ(m_recorder->LastJobError().Text, LangConst(QStringLiteral("ContentChangedStr")));
        EXPECT_EQ(m_sim.CommandCount(cmdEraseBlock), 0u);
        PutBlockPages(change.block, pages);
    }
    // The status change reads the same check.
    EditHeader(m_firstBlock, [](TBlockHeader& h) { h.SetTime(h.Time() + 1); });
    m_sim.ClearLog();
    EXPECT_THROW(m_recorder->SetSoundFileStatus(1, 0x55), EContentChanged);
    EXPECT_EQ(m_sim.CommandCount(cmdEraseBlock), 0u);
}

TEST_F(EraseJobsTest, AStatusForAMissingRecordingIsAnError)
{
    EXPECT_THROW(m_recorder->SetSoundFileStatus(42, 0x55), std::out_of_range);
}

TEST_F(EraseJobsTest, ErasingARecordingErasesItsBlocksOnly)
{
    m_recorder->StartEraseSoundFile(1);
    EXPECT_TRUE(m_recorder->IsContentChanged());
    RunJob();
    ASSERT_EQ(m_recorder->LastJobOutcome(), TJobOutcome::Completed);
    EXPECT_EQ(m_recorder->GetProgress(), 100);
    EXPECT_TRUE(BlockErased(4));
    EXPECT_TRUE(BlockErased(5));
    EXPECT_FALSE(BlockErased(7));
    EXPECT_FALSE(BlockErased(9));
    Refresh();
    EXPECT_EQ(m_recorder->GetSoundFiles()->IndexOfNumber(1), -1);
    EXPECT_NE(m_recorder->GetSoundFiles()->IndexOfNumber(2), -1);
}

TEST_F(EraseJobsTest, ErasingAFlashDriveFileErasesItsBlocks)
{
    ASSERT_EQ(m_recorder->GetDriveFiles()->Count(), 1);
    m_recorder->StartEraseDriveFile(0);
    RunJob();
    ASSERT_EQ(m_recorder->LastJobOutcome(), TJobOutcome::Completed);
    EXPECT_TRUE(BlockErased(9));
    EXPECT_FALSE(BlockErased(7));
    Refresh();
    EXPECT_EQ(m_recorder->GetDriveFiles()->Count(), 0);
}

TEST_F(EraseJobsTest, AMissingItemEndsTheEraseFailedWithAClearError)
{
    m_recorder->StartEraseSoundFile(42);
    RunJob();
    EXPECT_EQ(m_recorder->LastJobOutcome(), TJobOutcome::Failed);
    EXPECT_EQ(m_recorder->LastJobError().Text, QStringLiteral("No recording has the number 42."));

    m_recorder->StartEraseDriveFile(3);
    RunJob();
    EXPECT_EQ(m_recorder->LastJobOutcome(), TJobOutcome::Failed);
    EXPECT_EQ(m_recorder->LastJobError().Text, QStringLiteral("No flash-drive file has the index 3."));
}

TEST_F(EraseJobsTest, AnEmptyBlockListErasesNothing)
{
    std::atomic<std::uint8_t> progress{0};
    m_sim.ClearLog();
    EXPECT_EQ(EraseBlocks(TFlashGeometry{}, TBlockList{}, TBlockOwnerKind::Recording, progress),
              TJobOutcome::Completed);
    EXPECT_EQ(progress.load(), 100);
    EXPECT_EQ(m_sim.CommandCount(), 0u);
}

TEST_F(EraseJobsTest, FormatErasesTheDataBlocksAndMarksTheContentChanged)
{
    m_recorder->StartFormat();
    RunJob();
    ASSERT_EQ(m_recorder->LastJobOutcome(), TJobOutcome::Completed);
    EXPECT_TRUE(m_recorder->IsContentChanged());
    for (std::uint32_t b = 0; b < kFirstDataBlock; ++b)
        EXPECT_FALSE(BlockErased(b)) << "block " << b;
    EXPECT_EQ(m_sim.CommandCount(cmdEraseBlock), SmallFlash().blocksPerChip - kFirstDataBlock);
    for (std::uint32_t b = kFirstDataBlock; b < SmallFlash().blocksPerChip; ++b)
        EXPECT_TRUE(BlockErased(b)) << "block " << b;
    Refresh();
    EXPECT_EQ(m_recorder->GetSoundFiles()->Count(), 0);
    EXPECT_EQ(m_recorder->GetDriveFiles()->Count(), 0);
}

TEST_F(EraseJobsTest, AFailedFormatStillMarksTheContentChanged)
{
    m_sim.InjectFault({SimFaultKind::Fail, 4, SimFault::kEveryTime, cmdEraseBlock});
    m_recorder->StartFormat();
    RunJob();
    EXPECT_EQ(m_recorder->LastJobOutcome(), TJobOutcome::Failed);
    EXPECT_TRUE(m_recorder->IsContentChanged());
}

TEST_F(EraseJobsTest, AnAbortStopsTheFormatAfterTheBlockInProgress)
{
    const std::atomic<std::uint8_t> abortFlag{1};
    std::atomic<std::uint8_t> progress{0};
    m_sim.ClearLog();
    const TFlashGeometry geometry{1, static_cast<std::uint16_t>(SmallFlash().blocksPerChip),
                                  static_cast<std::uint16_t>(SmallFlash().pagesPerBlock), 2112, kFirstDataBlock};
    EXPECT_EQ(FormatDataBlocks(geometry, progress, abortFlag), TJobOutcome::Aborted);
    EXPECT_EQ(m_sim.CommandCount(cmdEraseBlock), 1u);
    EXPECT_EQ(progress.load(), kFirstDataBlock * 100 / SmallFlash().blocksPerChip);
    EXPECT_FALSE(BlockErased(kFirstDataBlock - 1));
}
