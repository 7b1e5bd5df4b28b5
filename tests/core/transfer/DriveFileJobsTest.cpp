// Flash-drive files written and read back over a SimRecorder, at the page
// size of the image link (page and spare, 2112) and of the device library
// (2048): the scan lists what the write job stored, the read job gives the
// bytes back, and the pages' ECC corrects what it can.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>

#include "core/flash/BlockList.h"
#include "core/flash/ContentScan.h"
#include "core/flash/DriveFileInfo.h"
#include "core/flash/DriveFileLayout.h"
#include "core/flash/DriveFileList.h"
#include "core/flash/SoundFileList.h"
#include "core/links/ConnectType.h"
#include "core/links/Link.h"
#include "core/protocol/NandEcc.h"
#include "core/protocol/RecXchange.h"
#include "core/protocol/RecorderClock.h"
#include "core/protocol/RecorderCommands.h"
#include "core/recorder/MessageBoxCodes.h"
#include "core/recorder/RecorderJobContext.h"
#include "core/transfer/DriveFileJobs.h"
#include "tests/support/ContentBuilder.h"
#include "tests/support/FakeRecorderHost.h"
#include "tests/support/ParamName.h"
#include "tests/support/SimRecorder.h"
#include "tests/support/TempDir.h"

namespace {

namespace dl = drive_layout;

constexpr std::uint32_t kBlocks = 12;
constexpr std::uint16_t kPages = 8;
constexpr std::uint32_t kTime = 1700000000;
constexpr std::uint32_t kD = 2024;  // data bytes of a page at both strides
constexpr std::uint32_t kFirstBlockData = kD * (kPages - 1);
constexpr std::uint32_t kBlockData = kD * kPages - 64;

SimGeometry SmallFlash()
{
    return SmallFlashGeometry(kBlocks, kPages);
}

std::vector<std::uint8_t> Numbered(std::size_t count)
{
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251 + 1);
    return bytes;
}

// The link in front of the SimRecorder; raises the abort flag once the
// given number of block writes has been answered.
SimRecorder* g_sim = nullptr;
std::atomic<std::uint8_t>* g_abortAfterWrites = nullptr;
std::size_t g_writesBeforeAbort = 0;

bool Probe()
{
    return g_sim != nullptr;
}

void Transaction(std::uint8_t code, const void* request, std::uint32_t requestLength, void* reply,
                 std::uint32_t replyLength, std::uint32_t)
{
    const auto* in = static_cast<const std::uint8_t*>(request);
    const auto answer = g_sim->Execute(code, std::span(in, in ? requestLength : 0));
    if (!answer || (reply && answer->size() < replyLength))
        ThrowIoError(code);
    if (reply && replyLength)
        std::memcpy(reply, answer->data(), replyLength);
    if (code == cmdWriteBlock && g_abortAfterWrites && g_sim->CommandCount(cmdWriteBlock) >= g_writesBeforeAbort)
        g_abortAfterWrites->store(1);
}

std::vector<std::uint8_t> FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// An fd closed at the end of the scope.
struct Fd {
    explicit Fd(int fd) : fd(fd) {}
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int fd;
};

}  // namespace

class DriveFileJobsTest : public ::testing::TestWithParam<SimPageStride> {
protected:
    DriveFileJobsTest() : m_sim(SmallFlash(), GetParam())
    {
        g_sim = &m_sim;
        SetLink(Probe, Transaction);
    }
    ~DriveFileJobsTest() override
    {
        ResetLink();
        g_sim = nullptr;
        g_abortAfterWrites = nullptr;
    }

    std::uint32_t P() const { return m_sim.PageStride(); }
    TFlashGeometry Geometry() const
    {
        return {1, static_cast<std::uint16_t>(kBlocks), kPages, static_cast<std::uint16_t>(P()), 1};
    }

    void Scan()
    {
        m_free.Clear();
        m_sounds.Clear();
        m_drives.Clear();
        TScanContext context;
        context.Geometry = Geometry();
        TContentScan(context).Run({m_free, m_sounds, m_drives}, [](std::uint8_t) {});
    }

    TDriveUploadRequest Request(const QString& name, int source)
    {
        Scan();
        TDriveUploadRequest request;
        request.Name = name;
        request.Source = source;
        request.Time = kTime;
        request.Number = NewDriveFileNumber(m_drives).value();
        request.ConnectType = ctUsb20Adapter;
        request.Geometry = Geometry();
        for (int i = 0; i < m_free.Count(); ++i)
            request.FreeBlocks.push_back(m_free.Item(i)->Block);
        return request;
    }

    // Writes the bytes (or, without them, a folder entry) under that name.
    TJobOutcome Write(const QString& name, const std::optional<std::vector<std::uint8_t>>& bytes)
    {
        int fd = INVALID_HANDLE_VALUE;
        if (bytes) {
            WriteFileBytes(m_dir.File("source"), *bytes);
            fd = ::open(m_dir.File("source").c_str(), O_RDONLY);
        }
        Fd source(fd);
        const TDriveUploadRequest request = Request(name, fd);
        m_sim.ClearLog();
        return WriteDriveFile(request, m_progress, m_abort);
    }

    // Reads file index of a fresh scan into the PC file "target".
    TJobOutcome Read(int index = 0)
    {
        Scan();
        Fd target(::open(m_dir.File("target").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644));
        TDriveDownloadRequest request;
        request.File = m_drives.Item(index);
        request.Target = target.fd;
        request.Geometry = Geometry();
        return ReadDriveFile(request, m_progress, m_abort);
    }
    std::vector<std::uint8_t> Target() const { return FileBytes(m_dir.File("target")); }

    // Flips bits of a stored page.
    void Flip(std::uint64_t page, std::initializer_list<std::pair<std::size_t, int>> bits)
    {
        std::vector<std::uint8_t> raw = m_sim.ReadPage(page);
        for (const auto& [byte, bit] : bits)
            raw.at(byte) ^= static_cast<std::uint8_t>(1u << bit);
        m_sim.WritePage(page, raw);
    }

    // The blocks in use by drive files, by the last scan.
    std::size_t DriveBlocks() const
    {
        std::size_t count = 0;
        for (int i = 0; i < m_drives.Count(); ++i)
            count += static_cast<std::size_t>(m_drives.Item(i)->Blocks->Count());
        return count;
    }

    SimRecorder m_sim;
    TempDir m_dir;
    FakeRecorderHost m_host;
    TBlockList m_free;
    TSoundFileList m_sounds;
    TDriveFileList m_drives;
    std::atomic<std::uint8_t> m_progress{0};
    std::atomic<std::uint8_t> m_abort{0};
};

struct SizeCase {
    std::optional<std::uint32_t> size;  // none: a folder entry
    std::uint32_t blocks;
    const char* name;
};
void PrintTo(const SizeCase& c, std::ostream* os)
{
    *os << c.name;
}

TEST_P(DriveFileJobsTest, EachSizeRoundTripsAndTheScanListsIt)
{
    const SizeCase cases[] = {
        {std::nullopt, 1, "folder"},
        {0, 1, "empty file"},
        {1, 1, "one byte"},
        {kFirstBlockData, 1, "first block full"},
        {kFirstBlockData + 1, 2, "one byte into a second block"},
        {kFirstBlockData + 2 * kBlockData + 333, 4, "several blocks"},
    };
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(c.name);
        for (std::uint32_t b = 0; b < kBlocks; ++b)
            m_sim.EraseBlock(b);
        const std::optional<std::vector<std::uint8_t>> data = c.size ? std::optional(Numbered(*c.size)) : std::nullopt;
        const QString name = QStringLiteral("Docs\\Sub\\") + QString::fromUtf8(c.name) + QStringLiteral(".bin");
        ASSERT_EQ(Write(name, data), TJobOutcome::Completed);
        EXPECT_EQ(m_progress.load(), 100);
        EXPECT_EQ(m_sim.CommandCount(cmdWriteBlock), c.blocks);

        Scan();
        ASSERT_EQ(m_drives.Count(), 1);
        const TDriveFileInfo& file = *m_drives.Item(0);
        EXPECT_EQ(file.Number, 1);
        EXPECT_EQ(file.Name, name);
        EXPECT_EQ(file.Size, c.size.value_or(0));
        EXPECT_EQ(file.Flag, c.size ? 0 : 1);
        EXPECT_EQ(SystemTimeToRtc(file.Time), kTime);
        EXPECT_EQ(file.Blocks->Count(), static_cast<int>(c.blocks));
        EXPECT_EQ(m_free.Count(), static_cast<int>(kBlocks - 1 - c.blocks));

        ASSERT_EQ(Read(), TJobOutcome::Completed);
        EXPECT_EQ(Target(), data.value_or(std::vector<std::uint8_t>{}));
        EXPECT_TRUE(m_host.Messages.isEmpty()) << m_host.Messages.join(u'|').toStdString();
    }
}

// A file laid out by the recorder's own writer, its blocks not ascending;
// and a name that fills the whole data area without its zero.
TEST_P(DriveFileJobsTest, BuiltFileReadsInSequenceAndNamesStopAtTheData)
{
    ContentBuilder builder(ContentGeometry::Of(m_sim));
    DriveFileSpec spec;
    spec.number = 9;
    spec.name = u"REPORT.DOC";
    spec.data = Numbered(kFirstBlockData + kBlockData + 5);
    spec.blocks = {7, 2, 4};
    builder.AddDriveFile(spec);
    DriveFileSpec other;
    other.number = 3;
    other.data = Numbered(10);
    other.blocks = {9};
    builder.AddDriveFile(other);
    builder.WriteTo(m_sim);
    // The second file's name: every unit 'A' up to the ECC bytes.
    std::vector<std::uint8_t> page = m_sim.ReadPage(9 * kPages);
    for (std::size_t at = 64; at + 1 < kD; at += 2) {
        page[at] = 'A';
        page[at + 1] = 0;
    }
    m_sim.WritePage(9 * kPages, page);

    Scan();
    ASSERT_EQ(m_drives.Count(), 2);
    const int index = m_drives.IndexOfNumber(9);
    ASSERT_GE(index, 0);
    EXPECT_EQ(m_drives.Item(index)->Name, QStringLiteral("REPORT.DOC"));
    EXPECT_EQ(m_drives.Item(index)->Header.DriveSequence(), 1);
    EXPECT_EQ(m_drives.Item(index)->Blocks->Item(0)->Block, 7);
    EXPECT_EQ(m_drives.Item(1 - index)->Name, QString((kD - 64) / 2, QLatin1Char('A')));

    ASSERT_EQ(Read(index), TJobOutcome::Completed);
    EXPECT_EQ(Target(), spec.data);
}

TEST_P(DriveFileJobsTest, EccCorrectsOneDataBitAndReportsTheRest)
{
    const std::vector<std::uint8_t> data = Numbered(kFirstBlockData + 100);
    ASSERT_EQ(Write(QStringLiteral("a.bin"), data), TJobOutcome::Completed);
    Scan();
    const std::uint32_t first = m_drives.Item(0)->Blocks->Item(0)->Block;
    const std::uint32_t second = m_drives.Item(0)->Blocks->Item(1)->Block;
    const std::uint64_t page1 = std::uint64_t{first} * kPages + 1;
    const std::size_t lastChunk = 256 * 7 + 10;  // in the last chunk's data
    const std::size_t eccOfChunk2 = kD + 3 * 2;  // an ECC byte of chunk 2

    // One wrong data bit in the first and in the last chunk: corrected, no word.
    Flip(page1, {{5, 3}});
    Flip(page1 + 1, {{lastChunk, 6}});
    ASSERT_EQ(Read(), TJobOutcome::Completed);
    EXPECT_EQ(Target(), data);
    EXPECT_TRUE(m_host.Messages.isEmpty());

    // A wrong ECC bit: told once, the data are good.
    Flip(page1 + 2, {{eccOfChunk2, 1}});
    ASSERT_EQ(Read(), TJobOutcome::Completed);
    EXPECT_EQ(Target(), data);
    EXPECT_EQ(m_host.Messages, QStringList{QStringLiteral("ECC VALUE ERROR")});
    EXPECT_EQ(m_host.MessageFlags.value(0), std::uint32_t{MB_ICONERROR});
    EXPECT_EQ(m_host.MessageCaptions.value(0), QString());  // the host's title

    // Two wrong bits in one chunk: told, the job fails, the data are still written.
    m_host.Messages.clear();
    Flip(std::uint64_t{second} * kPages, {{100, 0}, {101, 0}});
    EXPECT_EQ(Read(), TJobOutcome::Failed);
    EXPECT_EQ(m_host.Messages,
              (QStringList{QStringLiteral("ECC VALUE ERROR"), QStringLiteral("ECC UNCORRECTABLE ERROR")}));
    EXPECT_EQ(Target().size(), data.size());
}

TEST_P(DriveFileJobsTest, PageWithErasedEccIsTakenUnchecked)
{
    const std::vector<std::uint8_t> data = Numbered(kFirstBlockData);
    ASSERT_EQ(Write(QStringLiteral("a.bin"), data), TJobOutcome::Completed);
    Scan();
    const std::uint64_t page = std::uint64_t{m_drives.Item(0)->Blocks->Item(0)->Block} * kPages + 3;
    std::vector<std::uint8_t> raw = m_sim.ReadPage(page);
    std::fill(raw.begin() + kD, raw.begin() + kD + 24, std::uint8_t{0xFF});
    raw[7] ^= 0x10;
    m_sim.WritePage(page, raw);

    std::vector<std::uint8_t> expected = data;
    expected[2 * kD + 7] ^= 0x10;
    ASSERT_EQ(Read(), TJobOutcome::Completed);
    EXPECT_EQ(Target(), expected);
    EXPECT_TRUE(m_host.Messages.isEmpty());
}

// A middle block the scan dropped (damaged header) would leave a gap.
TEST_P(DriveFileJobsTest, MissingOrForeignBlockFailsTheRead)
{
    ContentBuilder builder(ContentGeometry::Of(m_sim));
    DriveFileSpec spec;
    spec.data = Numbered(kFirstBlockData + kBlockData + 5);
    const std::vector<std::uint32_t> blocks = builder.AddDriveFile(spec);
    builder.CorruptHeaderCrc(blocks[1]);
    builder.WriteTo(m_sim);
    Scan();
    ASSERT_EQ(m_drives.Count(), 1);
    EXPECT_EQ(m_drives.Item(0)->Blocks->Count(), 2);
    EXPECT_THROW(Read(), std::runtime_error);

    // The block list holds a block whose header is another file's.
    ContentBuilder rebuilt(ContentGeometry::Of(m_sim));
    rebuilt.AddDriveFile(spec);
    rebuilt.WriteTo(m_sim);
    Scan();
    TBlockHeader foreign = m_drives.Item(0)->Blocks->Item(1)->Header;
    foreign.SetOwner(0x8000 | 5);
    foreign.UpdateCrc();
    std::vector<std::uint8_t> page = m_sim.ReadPage(std::uint64_t{blocks[1]} * kPages);
    foreign.WriteCopies(page.data());
    m_sim.WritePage(std::uint64_t{blocks[1]} * kPages, page);
    TDriveDownloadRequest request;
    request.File = m_drives.Item(0);
    Fd target(::open(m_dir.File("target").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644));
    request.Target = target.fd;
    request.Geometry = Geometry();
    EXPECT_THROW(ReadDriveFile(request, m_progress, m_abort), std::runtime_error);
}

// The file's last block lost and an old copy of its second block left
// behind: blocks numbered 1, 2, 2, as many as the size needs. The scan keeps
// both copies; the read refuses them rather than give block 2 twice.
TEST_P(DriveFileJobsTest, BlocksNumberedOneTwoTwoFailTheRead)
{
    ContentBuilder builder(ContentGeometry::Of(m_sim));
    DriveFileSpec spec;
    spec.data = Numbered(kFirstBlockData + 2 * kBlockData - 9);
    spec.blocks = {2, 4, 7};
    builder.AddDriveFile(spec);
    builder.WriteTo(m_sim);
    for (std::uint32_t page = 0; page < kPages; ++page)
        m_sim.WritePage(7 * kPages + page, m_sim.ReadPage(4 * kPages + page));
    Scan();
    ASSERT_EQ(m_drives.Count(), 1);
    ASSERT_EQ(m_drives.Item(0)->Blocks->Count(), 3);
    EXPECT_EQ(m_drives.Item(0)->Blocks->Item(2)->Header.DriveSequence(), 2);
    EXPECT_THROW(Read(), std::runtime_error);
}

TEST_P(DriveFileJobsTest, AbortAndLinkFailureLeaveNoBlockOfTheFile)
{
    const std::vector<std::uint8_t> data = Numbered(kFirstBlockData + 3 * kBlockData);
    g_abortAfterWrites = &m_abort;
    g_writesBeforeAbort = 2;
    EXPECT_EQ(Write(QStringLiteral("a.bin"), data), TJobOutcome::Aborted);
    EXPECT_EQ(m_sim.CommandCount(cmdWriteBlock), 2u);
    EXPECT_EQ(m_sim.CommandCount(cmdEraseBlock), 2u);
    Scan();
    EXPECT_EQ(m_drives.Count(), 0);
    EXPECT_EQ(m_free.Count(), static_cast<int>(kBlocks - 1));

    g_abortAfterWrites = nullptr;
    m_abort = 0;
    m_sim.InjectFault({SimFaultKind::Fail, 2, 1, cmdWriteBlock});
    EXPECT_THROW(Write(QStringLiteral("a.bin"), data), TERecXchange);
    EXPECT_EQ(m_sim.CommandCount(cmdEraseBlock), 3u);
    Scan();
    EXPECT_EQ(m_drives.Count(), 0);
    EXPECT_EQ(m_free.Count(), static_cast<int>(kBlocks - 1));
}

TEST_P(DriveFileJobsTest, FreeMemoryIsExactlyTheLargestFileThatFits)
{
    const std::uint64_t room = dl::FileBytesThatFit(Geometry(), kBlocks - 1);
    EXPECT_EQ(room, std::uint64_t{kBlocks - 1} * kBlockData - (kD - 64));
    EXPECT_EQ(dl::FileBytesThatFit(Geometry(), 0), 0u);

    EXPECT_THROW(Write(QStringLiteral("big"), Numbered(room + 1)), std::runtime_error);
    EXPECT_EQ(m_sim.CommandCount(), 0u);
    const std::vector<std::uint8_t> data = Numbered(room);
    ASSERT_EQ(Write(QStringLiteral("fits"), data), TJobOutcome::Completed);
    ASSERT_EQ(Read(), TJobOutcome::Completed);
    EXPECT_EQ(Target(), data);
    // Nothing is left, not even for a folder entry.
    EXPECT_THROW(Write(QStringLiteral("folder"), std::nullopt), std::runtime_error);
}

TEST_P(DriveFileJobsTest, SourcesThatCannotBeStoredAreRefusedBeforeAnyWrite)
{
    // 4 GiB does not fit the header's size (sparse, nothing is read).
    const std::string huge = m_dir.File("huge");
    {
        Fd fd(::open(huge.c_str(), O_WRONLY | O_CREAT, 0644));
        ASSERT_EQ(::ftruncate(fd.fd, off_t{1} << 32), 0);
    }
    Fd hugeFd(::open(huge.c_str(), O_RDONLY));
    try {
        WriteDriveFile(Request(QStringLiteral("huge"), hugeFd.fd), m_progress, m_abort);
        FAIL() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Files of 4 GiB or more do not fit the flash drive.");
    }
    // A directory opens on Linux.
    Fd dir(::open(m_dir.Path().c_str(), O_RDONLY));
    EXPECT_THROW(WriteDriveFile(Request(QStringLiteral("dir"), dir.fd), m_progress, m_abort), std::runtime_error);
    EXPECT_EQ(m_sim.CommandCount(cmdWriteBlock), 0u);
}

// A path longer than the stored name is refused whole, naming it; a cut one
// could meet another file's or folder's name. The next file goes on.
TEST_P(DriveFileJobsTest, ANameTooLongIsRefusedNotCut)
{
    const std::uint32_t page = Geometry().PageSize;
    const QString longest = QString(static_cast<qsizetype>(dl::MaxNameUnits(page)), u'a');
    ASSERT_TRUE(DriveNameFits(longest, page));
    const QString tooLong = QStringLiteral("folder\\") + longest;
    ASSERT_FALSE(DriveNameFits(tooLong, page));
    try {
        Write(tooLong, Numbered(100));
        FAIL() << "no error";
    } catch (const EDriveNameTooLong& error) {
        EXPECT_EQ(error.Name(), tooLong);
        EXPECT_EQ(QString::fromStdString(error.what()),
                  QStringLiteral("The name is too long for the flash drive: ") + tooLong);
    }
    EXPECT_EQ(m_sim.CommandCount(cmdWriteBlock), 0u);
    EXPECT_EQ(Write(longest, Numbered(100)), TJobOutcome::Completed);
    Scan();
    ASSERT_EQ(m_drives.Count(), 1);
}

TEST_P(DriveFileJobsTest, PcFileThatTakesNothingEndsSinkRefused)
{
    ASSERT_EQ(Write(QStringLiteral("a.bin"), Numbered(5000)), TJobOutcome::Completed);
    Scan();
    WriteFileBytes(m_dir.File("target"), {});
    Fd readOnly(::open(m_dir.File("target").c_str(), O_RDONLY));
    TDriveDownloadRequest request;
    request.File = m_drives.Item(0);
    request.Target = readOnly.fd;
    request.Geometry = Geometry();
    EXPECT_EQ(ReadDriveFile(request, m_progress, m_abort), TJobOutcome::SinkRefused);

    m_abort = 1;
    EXPECT_EQ(Read(), TJobOutcome::Aborted);
}

INSTANTIATE_TEST_SUITE_P(BothStrides, DriveFileJobsTest,
                         ::testing::Values(SimPageStride::PageAndSpare, SimPageStride::PageOnly), PrintedParamName());

TEST(DriveFileNumberTest, SmallestFreeNumberUpTo7FFE)
{
    TDriveFileList files;
    for (std::uint16_t number : {1, 2, 4}) {
        auto file = std::make_unique<TDriveFileInfo>();
        file->Number = number;
        files.Add(std::move(file));
    }
    EXPECT_EQ(NewDriveFileNumber(files), 3);
    files.Clear();
    for (std::uint32_t number = 1; number <= 0x7FFE; ++number) {
        auto file = std::make_unique<TDriveFileInfo>();
        file->Number = static_cast<std::uint16_t>(number);
        files.Add(std::move(file));
    }
    EXPECT_EQ(NewDriveFileNumber(files), std::nullopt);

    // The job is refused without a command.
    TBlockList free;
    free.Add(std::make_unique<TBlockRecord>());
    TSoundFileList sounds;
    std::atomic<std::uint8_t> progress{0}, abort{0};
    TRecorderJobContext context{TDriveFileUploadJobParams{QStringLiteral("x"), INVALID_HANDLE_VALUE, {}, {}},
                                {},
                                TContentLists{free, sounds, files},
                                progress,
                                abort,
                                nullptr,
                                {}};
    context.Snapshot.Geometry = {1, 12, 8, 2048, 1};
    EXPECT_THROW(DriveFileUploadJob(context), std::runtime_error);

    // A download by an index the list does not have.
    files.Clear();
    TRecorderJobContext download{TDriveFileDownloadJobParams{0, INVALID_HANDLE_VALUE},
                                 {},
                                 TContentLists{free, sounds, files},
                                 progress,
                                 abort,
                                 nullptr,
                                 {}};
    EXPECT_THROW(DriveFileDownloadJob(download), std::out_of_range);
}

TEST(DriveFileNameTest, CutAtTheStoredLengthNeverInsideAPair)
{
    const QString pair = QString::fromUtf16(u"\U0001F600");
    const struct {
        QString name;
        QString stored;
        const char* what;
    } cases[] = {
        {QString(979, u'a'), QString(979, u'a'), "longest that fits"},
        {QString(980, u'a'), QString(979, u'a'), "one over"},
        {QString(978, u'a') + pair, QString(978, u'a'), "a pair across the end"},
        {QString(977, u'a') + pair, QString(977, u'a') + pair, "a pair just inside"},
        {QString(), QString(), "empty"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CutDriveFileName(c.name, 2048), c.stored) << c.what;
    EXPECT_EQ(CutDriveFileName(QString(979, u'a'), 2112), QString(979, u'a'));
}
