// Downloads into Dialect raw files: resampled by libsox to 11150 Hz,
// 12-bit offset binary behind a 128-byte header that counts the file.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <stdexcept>
#include <sys/resource.h>

#include "audio/DialectWaveFile.h"
#include "audio/DownloadToFile.h"
#include "audio/SoxResampler.h"
#include "core/flash/SoundFileInfo.h"
#include "core/recorder/ProcessState.h"
#include "core/settings/FileUtils.h"
#include "core/settings/ProgramOptions.h"
#include "core/settings/StagedFile.h"
#include "tests/support/FakeRecorderHost.h"
#include "tests/support/FakeTransferUi.h"
#include "tests/support/ScriptedDownloadRecorder.h"
#include "tests/support/TempDir.h"

namespace {

std::vector<std::uint16_t> WordsOf(const QByteArray& file)
{
    std::vector<std::uint16_t> words;
    for (qsizetype at = dialect::kHeaderSize; at + 1 < file.size(); at += 2)
        words.push_back(static_cast<std::uint8_t>(file[at]) | static_cast<std::uint8_t>(file[at + 1]) << 8);
    return words;
}

// Cycles per sample from the rising zero crossings, the ends left out.
double CyclesPerSample(const std::vector<std::uint16_t>& words)
{
    std::size_t first = 0, last = 0, crossings = 0;
    for (std::size_t i = 1; i < words.size(); ++i) {
        if (words[i - 1] < 0x800 && words[i] >= 0x800) {
            if (crossings == 0)
                first = i;
            last = i;
            ++crossings;
        }
    }
    return crossings < 2 ? 0 : static_cast<double>(crossings - 1) / static_cast<double>(last - first);
}

}  // namespace

TEST(DialectWord, TruncatesTowardZeroIntoTwelveBits)
{
    struct Case {
        std::int16_t sample;
        std::uint16_t word;
    };
    const Case cases[] = {
        {0, 0x800},   {15, 0x800},  {16, 0x801},    {-1, 0x800},     {-15, 0x800},
        {-16, 0x7FF}, {-17, 0x7FF}, {32767, 0xFFF}, {-32768, 0x000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dialect::Word(c.sample), c.word) << c.sample;
}

class DialectDownloadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessState();
        ProgramOptions.DialectFormat = true;
        m_item.Number = 3;
        m_item.NumberText = QStringLiteral("3");
        m_item.Format = TPcmWaveFormat::Mono16(8000);
        m_item.Length = 30;
        m_item.Status = 0xFF;
    }
    void TearDown() override { ResetProcessState(); }

    QString Target(const char* name = "rec.raw") const { return QString::fromStdString(m_dir.File(name)); }
    void Plan(std::size_t samples)
    {
        m_recorder.Plan.Bytes = SineBytes(samples, 37.3, 20000);
        m_recorder.Plan.Pieces = MixedPieces(m_recorder.Plan.Bytes.size());
    }
    bool Download(const QString& name)
    {
        return DownloadRecordToFile(&m_recorder, name, &m_item, m_item.Length, 0, m_ui);
    }
    // Hidden ones too: a temporary file left behind shows.
    QStringList FilesInDir() const
    {
        return QDir(QString::fromStdString(m_dir.Path().string())).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    TempDir m_dir;
    FakeRecorderHost m_host;
    FakeTransferUi m_ui;
    ScriptedDownloadRecorder m_recorder;
    TSoundFileInfo m_item;
};

TEST_F(DialectDownloadTest, FileHoldsTheResampledSignal)
{
    constexpr std::size_t kSamples = 200000;
    Plan(kSamples);
    ASSERT_TRUE(Download(Target()));
    QFile file(Target());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();

    const auto expected = static_cast<qsizetype>(std::llround(kSamples * 11150.0 / 8000.0));
    const qsizetype samples = (bytes.size() - 128) / 2;
    EXPECT_EQ(bytes.size() % 2, 0);
    EXPECT_NEAR(samples, expected, 2);
    const std::uint32_t size = static_cast<std::uint8_t>(bytes[0]) | static_cast<std::uint8_t>(bytes[1]) << 8 |
                               static_cast<std::uint8_t>(bytes[2]) << 16 |
                               static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[3])) << 24;
    EXPECT_EQ(size, static_cast<std::uint32_t>(bytes.size()));
    EXPECT_TRUE(std::all_of(bytes.begin() + 4, bytes.begin() + 128, [](char b) { return b == 0; }));

    const std::vector<std::uint16_t> words = WordsOf(bytes);
    EXPECT_TRUE(std::all_of(words.begin(), words.end(), [](std::uint16_t w) { return w <= 0xFFF; }));
    // 8000 / 37.3 Hz still, now at 11150 samples a second.
    EXPECT_NEAR(CyclesPerSample(words) * 11150.0, 8000.0 / 37.3, 0.2);
    // Full scale survives: 20000 / 16 around the middle.
    const auto [low, high] = std::minmax_element(words.begin() + 100, words.end() - 100);
    EXPECT_NEAR(*high - 0x800, 1250, 8);
    EXPECT_NEAR(0x800 - *low, 1250, 8);

    EXPECT_TRUE(m_recorder.StatusCalls.empty());  // this path never marks the recording
    EXPECT_EQ(m_ui.StatusTexts, QStringList{QStringLiteral("Downloading record 3")});
}

TEST_F(DialectDownloadTest, CancelEndsTheResamplerAndDeletesTheFile)
{
    Plan(100000);
    m_recorder.Plan.WaitForAbort = true;
    m_ui.CancelDuringJob = true;
    EXPECT_FALSE(Download(Target()));
    EXPECT_TRUE(FilesInDir().isEmpty());
}

// Limits the size of files this process writes for a scope; writes past
// it fail with EFBIG (the signal is ignored meanwhile).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_saved{};
    void (*m_handler)(int) = nullptr;
};

// A write that fails midway: "Writing error" once, false, no deadlock
// between the job, SoX and the waiting caller; the next download works.
TEST_F(DialectDownloadTest, WriteFailureEndsCleanlyAndTheNextDownloadWorks)
{
    Plan(100000);
    {
        FileSizeLimit limit(64 * 1024);
        EXPECT_FALSE(Download(Target()));
    }
    EXPECT_EQ(m_recorder.LastJobOutcome(), TJobOutcome::SinkRefused);
    ASSERT_EQ(m_host.Messages.size(), 1);
    EXPECT_EQ(m_host.Messages[0], "Writing error\n" + Target() + "\n" + GetSystemErrorText(EFBIG));
    EXPECT_TRUE(FilesInDir().isEmpty());

    // Not even the header goes in; an old file of the name stays as it was.
    {
        QFile old(Target());
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    SetStagedFileWriteFault(1, ENOSPC);
    EXPECT_FALSE(Download(Target()));
    ASSERT_EQ(m_host.Messages.size(), 2);
    EXPECT_EQ(m_host.Messages[1], "Writing error\n" + Target() + "\n" + GetSystemErrorText(ENOSPC));
    EXPECT_EQ(QFileInfo(Target()).size(), 3);
    EXPECT_EQ(FilesInDir(), QStringList{QStringLiteral("rec.raw")});

    std::vector<TWrittenFile> files;
    ASSERT_TRUE(DownloadRecordToFile(&m_recorder, Target(), &m_item, m_item.Length, 0, m_ui, &files));
    EXPECT_EQ(QFileInfo(Target()).size(), 128 + 2 * 139375);
    EXPECT_EQ(m_host.Messages.size(), 2);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].Size, 128u + 2 * 139375);
    EXPECT_TRUE(VerifyWrittenFile(files[0]).Good());
}

TEST_F(DialectDownloadTest, FailuresAnswerFalse)
{
    Plan(20000);
    m_recorder.Plan.FailAtPiece = 5;
    EXPECT_FALSE(Download(Target()));
    EXPECT_TRUE(FilesInDir().isEmpty());

    m_recorder.Plan.FailAtPiece = -1;
    const QString missing = QString::fromStdString(m_dir.File("no-such-folder/rec.raw"));
    EXPECT_FALSE(Download(missing));
    ASSERT_EQ(m_host.Messages.size(), 1);
    EXPECT_EQ(m_host.Messages[0], "Can't create (modify) file rec.raw\n" + GetSystemErrorText(ENOENT));
}

// The resampler's owner leaves by an exception: its destructor still ends
// the input and joins the SoX thread.
TEST(SoxResampler, AnExceptionStillEndsTheThread)
{
    std::size_t delivered = 0;
    try {
        TSoxResampler resampler(8000, 1, 11150, [&](const std::int16_t*, std::size_t count) {
            delivered += count;
            return true;
        });
        const std::vector<std::uint8_t> piece = SineBytes(40000, 20, 1000);
        resampler.Feed(piece.data(), piece.size());
        throw std::runtime_error("caller failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_NEAR(static_cast<double>(delivered), 40000 * 11150.0 / 8000.0, 2);
}
