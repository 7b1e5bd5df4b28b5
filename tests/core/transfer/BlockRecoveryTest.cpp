// Recovery files of a status change against the flash they are healed onto:
// what is written, what is left alone, which file stays where and what the
// user is told. Over a SimRecorder holding built content.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/flash/BlockHeader.h"
#include "core/flash/SoundFileList.h"
#include "core/links/ConnectType.h"
#include "core/links/Link.h"
#include "core/protocol/RecXchange.h"
#include "core/protocol/RecorderCommands.h"
#include "core/recorder/ProcessState.h"
#include "core/recorder/Recorder.h"
#include "core/settings/DocumentsFolder.h"
#include "core/settings/ProgramFolder.h"
#include "core/settings/StagedFile.h"
#include "core/transfer/BlockRecovery.h"
#include "localizer/LangFormat.h"
#include "tests/support/ContentBuilder.h"
#include "tests/support/FakeRecorderHost.h"
#include "tests/support/RecorderRefresh.h"
#include "tests/support/SimRecorder.h"
#include "tests/support/SimRecorderLink.h"
#include "tests/support/TempDir.h"

namespace {

constexpr std::uint32_t kBlocks = 32;
constexpr std::uint32_t kPages = 8;
constexpr std::uint16_t kFirstDataBlock = 3;
// Recording 1: blocks 5 then 4 in time order; recording 2: block 7.
constexpr std::uint32_t kFirst = 5;
constexpr std::uint32_t kNext = 4;
constexpr std::uint32_t kFree = 12;

using TPages = std::vector<std::vector<std::uint8_t>>;

// Reads of pages after a block write come back with one byte changed: a
// flash that does not keep what was written.
TLinkTransaction g_innerTransaction = nullptr;
bool g_readsGoWrong = false;

void ReadsGoWrongAfterAWrite(std::uint8_t code, const void* request, std::uint32_t requestLength, void* reply,
                             std::uint32_t replyLength, std::uint32_t timeoutMs)
{
    g_innerTransaction(code, request, requestLength, reply, replyLength, timeoutMs);
    if (code == cmdWriteBlock)
        g_readsGoWrong = true;
    if (g_readsGoWrong && code == cmdGetPartsOfPages && replyLength > 300)
        static_cast<std::uint8_t*>(reply)[300] ^= 0x01;
}

}  // namespace

class BlockRecoveryTest : public ::testing::Test {
public:
    void SetUp() override
    {
        ResetProcessState();
        SetProgramFolderOverride(Folder());
        SetDocumentsFolderOverride(Folder());
        m_sim.SetFirstDataBlock(kFirstDataBlock);
        ContentGeometry geometry = ContentGeometry::Of(m_sim);
        geometry.firstDataBlock = kFirstDataBlock;
        ContentBuilder builder(geometry);
        RecordingSpec first;
        first.number = 1;
        first.statusVas = 0x15;
        first.blockCount = 2;
        first.blocks = {kFirst, kNext};
        builder.AddRecording(first);
        RecordingSpec second;
        second.number = 2;
        second.blocks = {7};
        builder.AddRecording(second);
        builder.WriteTo(m_sim);
        Connect();
        m_old = Block(kFirst);
    }
    void TearDown() override
    {
        m_recorder.reset();
        m_link.reset();
        ResetProcessState();
    }

    static SimGeometry Flash() { return SmallFlashGeometry(kBlocks, kPages); }
    QString Folder() const { return QString::fromStdString(m_dir.Path().string()); }
    // The program starts again and connects.
    void Connect()
    {
        m_recorder.reset();
        m_link.reset();
        m_recorder = std::make_unique<TRecorder>(ctUsb20Adapter);
        m_link.emplace(m_sim);
        ASSERT_TRUE(m_recorder->CheckConnection());
        RefreshAndWait(*m_recorder);
        m_serial = m_recorder->GetSerialNumber();
    }
    TPages Block(std::uint32_t block) const
    {
        TPages pages;
        for (std::uint32_t p = 0; p < kPages; ++p)
            pages.push_back(m_sim.ReadPage(std::uint64_t{block} * kPages + p));
        return pages;
    }
    void PutBlock(std::uint32_t block, const TPages& pages, std::uint32_t count = kPages)
    {
        m_sim.EraseBlock(block);
        for (std::uint32_t p = 0; p < count; ++p)
            m_sim.WritePage(std::uint64_t{block} * kPages + p, pages[p]);
    }
    static TPages PagesOf(const std::vector<std::uint8_t>& data)
    {
        TPages pages;
        const std::size_t stride = data.size() / kPages;
        for (std::uint32_t p = 0; p < kPages; ++p)
            pages.emplace_back(data.begin() + p * stride, data.begin() + (p + 1) * stride);
        return pages;
    }
    TPages Saved() const { return PagesOf(m_saved.Data); }
    TPages WholeFlash() const
    {
        TPages pages;
        for (std::uint32_t b = 0; b < kBlocks; ++b)
            for (auto& page : Block(b))
                pages.push_back(page);
        return pages;
    }
    // The header of a block changed by edit, its CRC made valid again.
    static void EditHeader(TPages& pages, const std::function<void(TBlockHeader&)>& edit)
    {
        TBlockHeader header = TBlockHeader::Vote(pages[0].data());
        edit(header);
        header.UpdateCrc();
        header.WriteCopies(pages[0].data());
    }
    void EditHeaderOnFlash(std::uint32_t block, const std::function<void(TBlockHeader&)>& edit)
    {
        TPages pages = Block(block);
        EditHeader(pages, edit);
        PutBlock(block, pages);
    }
    QString PathOf(std::uint32_t block) const { return BlockRecoveryPath(m_serial, block); }
    // The status change cut between its erase and its write (the link lost
    // for longer than its one retry): the block erased, its copy on disk.
    void CrashInTheStatusChange()
    {
        m_sim.InjectFault({SimFaultKind::Fail, 0, SimFault::kEveryTime, cmdWriteBlock});
        EXPECT_THROW(m_recorder->SetSoundFileStatus(1, 0x55), TERecXchange);
        m_sim.ClearFaults();
        const TLoadedRecovery loaded = LoadBlockRecovery(PathOf(kFirst), m_recorder->Geometry());
        ASSERT_TRUE(loaded.Data.has_value());
        m_saved = *loaded.Data;
        const TPages erased = Block(kFirst);
        ASSERT_TRUE(std::all_of(erased.begin(), erased.end(), [](const auto& page) {
            return std::all_of(page.begin(), page.end(), [](std::uint8_t b) { return b == 0xFF; });
        }));
    }
    // The crash's file with its content changed and saved again.
    void ResaveWith(const std::function<void(TBlockRecoveryData&)>& edit)
    {
        QFile::remove(PathOf(kFirst));
        TBlockRecoveryData data = m_saved;
        edit(data);
        SaveBlockRecovery(data);
        // Under this recorder's name whatever the file says inside.
        const QString saved = BlockRecoveryPath(data.Serial, data.Block);
        if (saved != PathOf(kFirst)) {
            ASSERT_TRUE(QFile::rename(saved, PathOf(kFirst)));
        }
    }
    QStringList Entries() const
    {
        return QDir(Folder()).entryList({QStringLiteral("*.blk*")}, QDir::AllEntries | QDir::System, QDir::Name);
    }

    TempDir m_dir;
    FakeRecorderHost m_host;
    SimRecorder m_sim{Flash()};
    std::optional<SimRecorderLink> m_link;
    std::unique_ptr<TRecorder> m_recorder;
    QString m_serial;
    TPages m_old;                // block 5 before the status change
    TBlockRecoveryData m_saved;  // the crash's copy
};

namespace {

struct THealCase {
    const char* name;
    void (*arrange)(BlockRecoveryTest&);
    std::uint32_t block;  // the block the file names
    bool written;
    // When left alone: the reason's constant, or the fault's for a file set
    // aside unread.
    const char* reason = nullptr;
    bool unread = false;
};

void PrintTo(const THealCase& c, std::ostream* os)
{
    *os << c.name;
}

const THealCase kCases[] = {
    {"GenuineAfterACrash", [](BlockRecoveryTest&) {}, kFirst, true},
    {"HalfWritten", [](BlockRecoveryTest& t) { t.PutBlock(kFirst, t.Saved(), 3); }, kFirst, true},
    {"TheOldBlock", [](BlockRecoveryTest& t) { t.PutBlock(kFirst, t.m_old); }, kFirst, true},
    {"AnotherImagesBlockOfTheSameOwnerAndTime",
     [](BlockRecoveryTest& t) {
         TPages other = t.m_old;
         for (std::size_t i = 100; i < other[2].size(); ++i)
             other[2][i] = static_cast<std::uint8_t>(i * 7);
         t.PutBlock(kFirst, other);
     },
     kFirst, false, "RecoveryOtherDataStr"},
    {"AnotherItem",
     [](BlockRecoveryTest& t) {
         TPages other = t.Block(7);
         t.PutBlock(kFirst, other);
     },
     kFirst, false, "RecoveryOtherDataStr"},
    // The old block, but its header of another time: not this recording.
    {"TheOldBlockOfAnotherTime",
     [](BlockRecoveryTest& t) {
         TPages old = t.m_old;
         BlockRecoveryTest::EditHeader(old, [](TBlockHeader& h) { h.SetTime(h.Time() + 1); });
         t.PutBlock(kFirst, old);
     },
     kFirst, false, "RecoveryOtherDataStr"},
    {"AFreeBlockNamed",
     [](BlockRecoveryTest& t) {
         t.PutBlock(kFirst, t.m_old);
         QFile::remove(t.PathOf(kFirst));
         TBlockRecoveryData data = t.m_saved;
         data.Block = kFree;
         SaveBlockRecovery(data);
     },
     kFree, false, "RecoveryBlockElsewhereStr"},
    {"AFirstBlockPresentElsewhere", [](BlockRecoveryTest& t) { t.PutBlock(kFree, t.m_old); }, kFirst, false,
     "RecoveryBlockElsewhereStr"},
    // Erased on the recorder itself since the crash: both blocks gone.
    {"TheNextBlockGone", [](BlockRecoveryTest& t) { t.m_sim.EraseBlock(kNext); }, kFirst, false,
     "RecoveryNextBlockGoneStr"},
    {"TheNextBlockOfAnotherTime",
     [](BlockRecoveryTest& t) { t.EditHeaderOnFlash(kNext, [](TBlockHeader& h) { h.SetTime(h.Time() + 1); }); }, kFirst,
     false, "RecoveryNextBlockGoneStr"},
    {"TheNextBlockOfAnotherSequence",
     [](BlockRecoveryTest& t) {
         t.EditHeaderOnFlash(kNext,
                             [](TBlockHeader& h) { h.SetSequence(static_cast<std::uint16_t>(h.Sequence() + 1)); });
     },
     kFirst, false, "RecoveryNextBlockGoneStr"},
    {"AnotherSerialInside", [](BlockRecoveryTest& t) { t.ResaveWith([](auto& d) { d.Serial += QLatin1Char('9'); }); },
     kFirst, false, "RecoveryOtherFlashStr"},
    // A copy of block 5 renamed as the copy of a free block: the name and the
    // content must name one block.
    {"ANameOfAnotherBlock", [](BlockRecoveryTest& t) { ASSERT_TRUE(QFile::rename(t.PathOf(kFirst), t.PathOf(kFree))); },
     kFree, false, "RecoveryOtherFlashStr"},
    // The same block size on a flash of more blocks.
    {"AnotherGeometry",
     [](BlockRecoveryTest& t) { t.ResaveWith([](auto& d) { d.Geometry.BlocksPerChip = kBlocks * 2; }); }, kFirst, false,
     "RecoveryOtherFlashStr"},
    {"ALinkToADevice",
     [](BlockRecoveryTest& t) {
         QFile::remove(t.PathOf(kFirst));
         ASSERT_EQ(::symlink("/dev/zero", QFile::encodeName(t.PathOf(kFirst)).constData()), 0);
     },
     kFirst, false, "RecoveryNotRegularStr", true},
    // A link to a genuine copy is not followed either.
    {"ALinkToACopy",
     [](BlockRecoveryTest& t) {
         const QString elsewhere = t.Folder() + QStringLiteral("/elsewhere.bin");
         ASSERT_TRUE(QFile::rename(t.PathOf(kFirst), elsewhere));
         ASSERT_TRUE(QFile::link(elsewhere, t.PathOf(kFirst)));
     },
     kFirst, false, "RecoveryNotRegularStr", true},
    {"AFolder",
     [](BlockRecoveryTest& t) {
         QFile::remove(t.PathOf(kFirst));
         ASSERT_TRUE(QDir().mkpath(t.PathOf(kFirst)));
     },
     kFirst, false, "RecoveryNotRegularStr", true},
    {"AHugeFile",
     [](BlockRecoveryTest& t) {
         const int fd = ::open(QFile::encodeName(t.PathOf(kFirst)).constData(), O_WRONLY | O_TRUNC);
         ASSERT_GE(fd, 0);
         ASSERT_EQ(::ftruncate(fd, std::int64_t{2} << 30), 0);
         ::close(fd);
     },
     kFirst, false, "RecoveryWrongSizeStr", true},
    {"ADamagedFile",
     [](BlockRecoveryTest& t) {
         QFile file(t.PathOf(kFirst));
         ASSERT_TRUE(file.open(QIODevice::ReadWrite));
         file.seek(file.size() / 2);
         const QByteArray byte = file.peek(1);
         file.write(QByteArray(1, static_cast<char>(byte[0] ^ 0x20)));
     },
     kFirst, false, "RecoveryDamagedStr", true},
};

}  // namespace

class BlockRecoveryTableTest : public BlockRecoveryTest, public ::testing::WithParamInterface<THealCase> {};

TEST_P(BlockRecoveryTableTest, WrittenOnlyOntoItsOwnInterruptedRewrite)
{
    const THealCase& c = GetParam();
    CrashInTheStatusChange();
    c.arrange(*this);
    const QString path = PathOf(c.block);
    Connect();
    const TPages before = WholeFlash();
    m_sim.ClearLog();

    QElapsedTimer clock;
    clock.start();
    const QStringList told = m_recorder->HealInterruptedRewrites();
    EXPECT_LT(clock.elapsed(), 5000);

    ASSERT_EQ(told.size(), 1) << told.join(QLatin1Char('\n')).toStdString();
    if (c.written) {
        EXPECT_EQ(Block(c.block), Saved());
        EXPECT_EQ(told[0], LangConstFormat(QStringLiteral("RecordRepairedStr"), QStringLiteral("1")));
        EXPECT_EQ(told[0].left(22), QStringLiteral("Record 1 was repaired:"));
        EXPECT_TRUE(Entries().isEmpty()) << Entries().join(' ').toStdString();
        RefreshAndWait(*m_recorder);
        TSoundFileList& files = *m_recorder->GetSoundFiles();
        ASSERT_GE(files.IndexOfNumber(1), 0);
        EXPECT_EQ(files.Item(files.IndexOfNumber(1))->Status, 0x55);
        EXPECT_EQ(files.Item(files.IndexOfNumber(1))->Blocks->Count(), 2);
    } else {
        EXPECT_EQ(WholeFlash(), before);
        EXPECT_EQ(m_sim.CommandCount(cmdEraseBlock), 0u);
        EXPECT_EQ(m_sim.CommandCount(cmdWriteBlock), 0u);
        const QString aside = path + QStringLiteral(".kept");
        EXPECT_FALSE(QFileInfo(path).isSymLink() || QFileInfo::exists(path));
        EXPECT_TRUE(QFileInfo(aside).isSymLink() || QFileInfo::exists(aside));
        const QString reason = LangConst(QString::fromLatin1(c.reason));
        const QString expected =
            c.unread ? LangConstFormat(QStringLiteral("RecoveryFileSetAsideStr"), QDir::toNativeSeparators(path),
                                       reason, QDir::toNativeSeparators(aside))
                     : LangConstFormat(QStringLiteral("RecoveryCopyKeptStr"), QStringLiteral("1"), reason,
                                       QDir::toNativeSeparators(aside));
        EXPECT_EQ(told[0], expected);
        // Told once: the next connect does not read it again.
        Connect();
        m_sim.ClearLog();
        EXPECT_TRUE(m_recorder->HealInterruptedRewrites().isEmpty());
        EXPECT_EQ(m_sim.CommandCount(cmdEraseBlock), 0u);
        EXPECT_TRUE(QFileInfo(aside).isSymLink() || QFileInfo::exists(aside));
    }
}

INSTANTIATE_TEST_SUITE_P(Files, BlockRecoveryTableTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The set-aside huge file keeps its size: nothing of it was read or cut.
TEST_F(BlockRecoveryTest, AFileSetAsideIsKeptWhole)
{
    CrashInTheStatusChange();
    const QByteArray bytes = [&] {
        QFile file(PathOf(kFirst));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }();
    PutBlock(kFirst, Block(7));  // another item there now
    Connect();
    ASSERT_EQ(m_recorder->HealInterruptedRewrites().size(), 1);
    QFile kept(PathOf(kFirst) + QStringLiteral(".kept"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), bytes);

    // A second file of that name later is set aside beside the first.
    SaveBlockRecovery(m_saved);
    Connect();
    ASSERT_EQ(m_recorder->HealInterruptedRewrites().size(), 1);
    EXPECT_TRUE(QFileInfo::exists(PathOf(kFirst) + QStringLiteral(".2.kept")));
    EXPECT_TRUE(QFileInfo::exists(PathOf(kFirst) + QStringLiteral(".kept")));
}

// A flash that reads back otherwise after the write keeps the file where the
// heal finds it again, and the user hears that the recording was not repaired.
TEST_F(BlockRecoveryTest, ARewriteThatReadsBackOtherwiseKeepsTheFile)
{
    CrashInTheStatusChange();
    Connect();
    g_innerTransaction = LinkTransaction;
    g_readsGoWrong = false;
    SetLink(LinkProbe, &ReadsGoWrongAfterAWrite);
    const QStringList told = m_recorder->HealInterruptedRewrites();
    SetLink(LinkProbe, g_innerTransaction);
    ASSERT_EQ(told.size(), 1);
    EXPECT_EQ(told[0], LangConstFormat(QStringLiteral("RecordNotRepairedStr"), QStringLiteral("1"),
                                       QDir::toNativeSeparators(PathOf(kFirst))));
    EXPECT_TRUE(QFileInfo::exists(PathOf(kFirst)));

    // The next connect finds its block as saved and only removes the file.
    Connect();
    EXPECT_TRUE(m_recorder->HealInterruptedRewrites().isEmpty());
    EXPECT_TRUE(Entries().isEmpty());
}

// The copy cannot be saved (its name is taken by a folder): the status
// change fails with the file's writing error and the flash stays as it was.
TEST_F(BlockRecoveryTest, AStatusChangeWhoseCopyCannotBeSavedChangesNothing)
{
    ASSERT_TRUE(QDir().mkpath(PathOf(kFirst)));
    const TPages before = WholeFlash();
    m_sim.ClearLog();
    try {
        m_recorder->SetSoundFileStatus(1, 0x55);
        FAIL() << "no error";
    } catch (const EFileWriteError& error) {
        EXPECT_EQ(error.Path(), PathOf(kFirst));
        EXPECT_EQ(error.Error(), EISDIR);
        EXPECT_TRUE(error.Text().startsWith(QStringLiteral("Writing error\n")));
    }
    EXPECT_EQ(m_sim.CommandCount(cmdEraseBlock), 0u);
    EXPECT_EQ(m_sim.CommandCount(cmdWriteBlock), 0u);
    EXPECT_EQ(WholeFlash(), before);
    TSoundFileList& files = *m_recorder->GetSoundFiles();
    EXPECT_NE(files.Item(files.IndexOfNumber(1))->Status, 0x55);
    // Nothing of the failed save is left beside the folder in its way.
    EXPECT_EQ(Entries(), QStringList{QFileInfo(PathOf(kFirst)).fileName()});
}

// The copy is written and renamed, but its folder cannot be synced (here:
// not opened, the folder unreadable to this thread): a copy that may vanish
// is no copy, so the change fails with that reason, leaves no file and
// changes nothing on the flash.
TEST_F(BlockRecoveryTest, AFolderThatCannotBeSyncedFailsTheStatusChange)
{
    const TPages before = WholeFlash();
    m_sim.ClearLog();
    const QByteArray folder = QFile::encodeName(Folder());
    ASSERT_EQ(::chmod(folder.constData(), 0333), 0);
    const bool root = ::geteuid() == 0;
    if (root)
        ::setfsuid(65534);
    int error = 0;
    try {
        m_recorder->SetSoundFileStatus(1, 0x55);
    } catch (const EFileWriteError& e) {
        error = e.Error();
    }
    if (root)
        ::setfsuid(0);
    ::chmod(folder.constData(), 0700);
    EXPECT_EQ(error, EACCES);
    EXPECT_EQ(m_sim.CommandCount(cmdEraseBlock), 0u);
    EXPECT_EQ(WholeFlash(), before);
    EXPECT_TRUE(Entries().isEmpty()) << Entries().join(' ').toStdString();
}
