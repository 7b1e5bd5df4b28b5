// Downloads into wave files over a recorder whose job writes scripted
// pieces on the real job thread.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <functional>
#include <zlib.h>

#include "audio/CrcWaveFile.h"
#include "audio/DownloadToFile.h"
#include "audio/MarkExports.h"
#include "audio/RecorderWaveFile.h"
#include "audio/WaveAddInfo.h"
#include "audio/WaveFile.h"
#include "core/flash/SoundFileInfo.h"
#include "core/protocol/RecorderClock.h"
#include "core/recorder/ProcessState.h"
#include "core/settings/FileCalls.h"
#include "core/settings/FileUtils.h"
#include "core/settings/ProgramOptions.h"
#include "core/settings/StagedFile.h"
#include "tests/audio/DownloadedFiles.h"
#include "tests/support/FakeRecorderHost.h"
#include "tests/support/FakeTransferUi.h"
#include "tests/support/KilledChild.h"
#include "tests/support/ParamName.h"
#include "tests/support/ScriptedDownloadRecorder.h"
#include "tests/support/TempDir.h"

using namespace downloaded;

namespace {

SYSTEMTIME Time()
{
    SYSTEMTIME t{};
    t.wYear = 2026;
    t.wMonth = 3;
    t.wDay = 14;
    t.wHour = 9;
    t.wMinute = 26;
    t.wSecond = 53;
    return t;
}

}  // namespace

class DownloadToFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessState();
        m_item.Number = 7;
        m_item.NumberText = QStringLiteral("7");
        m_item.Format = TPcmWaveFormat::Mono16(8000);
        m_item.StartTime = Time();
        m_item.Length = 100;
        m_item.Status = 0xFF;
        m_item.CodecId = 1;
    }
    void TearDown() override { ResetProcessState(); }

    QString Target(const char* name = "rec.wav") const { return QString::fromStdString(m_dir.File(name)); }
    // Samples of a sine in the given pieces.
    void Plan(std::size_t samples, std::vector<std::size_t> pieces = {})
    {
        m_recorder.Plan.Bytes = SineBytes(samples, 37.3, 9000);
        m_recorder.Plan.Pieces = pieces.empty() ? MixedPieces(m_recorder.Plan.Bytes.size()) : std::move(pieces);
    }
    bool Download(const QString& name, std::uint32_t length = 100, std::uint32_t start = 0)
    {
        return DownloadRecordToFile(&m_recorder, name, &m_item, length, start, m_ui, &m_written);
    }
    // Hidden ones too: a temporary file left behind shows.
    QStringList FilesInDir() const
    {
        return QDir(QString::fromStdString(m_dir.Path().string())).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    void WriteOldFile(const QString& path) const
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("the old file");
    }
    QByteArray Contents(const QString& path) const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    TempDir m_dir;
    FakeRecorderHost m_host;
    FakeTransferUi m_ui;
    ScriptedDownloadRecorder m_recorder;
    TSoundFileInfo m_item;
    std::vector<TWrittenFile> m_written;
};

// The scripted pieces (0, 2, 480, 1024, 1025, 256 KiB, ...) arrive marked
// and in order; the file checks and is marked downloaded.
TEST_F(DownloadToFileTest, EverySampleArrivesMarkedAndInOrder)
{
    Plan(300000);
    ASSERT_TRUE(Download(Target()));
    EXPECT_EQ(m_recorder.SeenJob, TRecorderJob::Download);
    EXPECT_EQ(m_recorder.SeenParams.Record, 7);
    EXPECT_EQ(m_recorder.SeenParams.Length, 100u);
    EXPECT_EQ(m_ui.StatusTexts, QStringList{QStringLiteral("Downloading record 7")});
    EXPECT_TRUE(m_ui.Cancellable);

    ASSERT_EQ(FilesInDir(), QStringList{QStringLiteral("rec.wav")});
    ExpectSameAudio(CheckedAudioOf({Target()}), m_recorder.Plan.Bytes);

    const PartFile part = ReadPart(Target());
    const TWaveAddInfo info = ReadWaveAddInfo(part.chunk.data(), static_cast<std::int64_t>(part.chunk.size()));
    EXPECT_EQ(info.Version, 5);
    EXPECT_EQ(info.SerialNumber, QStringLiteral("4200000001"));
    EXPECT_EQ(info.ModelName, QStringLiteral("Model 12"));
    EXPECT_EQ(info.Time.wMinute, 26);
    EXPECT_EQ(info.Codec, 1);
    TMarkBlock stored{};
    ASSERT_EQ(CheckMarks(part, &stored), 0);
    const std::uint32_t time = stored.Time;
    EXPECT_EQ(time, SystemTimeToRtc(Time()));
    EXPECT_EQ(+stored.NoPrivateChunk, 0);
    EXPECT_EQ(+stored.Codec, 1);
    EXPECT_EQ(std::string(stored.Serial, 10), "4200000001");

    EXPECT_EQ(m_recorder.StatusCalls, (std::vector<std::pair<std::uint16_t, std::uint8_t>>{{7, 0x55}}));
    EXPECT_EQ(m_item.Status, 0x55);
}

// Short pieces at the very end, and a recording made only of them, are
// the final flush; nothing is lost.
TEST_F(DownloadToFileTest, ShortPiecesAtTheEndAreFlushed)
{
    struct Case {
        const char* name;
        std::size_t samples;
        std::vector<std::size_t> pieces;
    };
    const Case cases[] = {
        {"tail of small pieces", 2000, {2400, 2, 480, 0, 1118}},
        {"only small pieces", 700, {480, 2, 0, 918}},
        {"one sample", 1, {2}},
        {"odd split of samples", 3000, {1025, 1025, 1025, 2925}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(Target());
        Plan(c.samples, c.pieces);
        ASSERT_TRUE(Download(Target()));
        ExpectSameAudio(CheckedAudioOf({Target()}), m_recorder.Plan.Bytes);
    }
}

// Split at 1 MiB: parts "_0001"... of at most 1 MiB each, every one with
// its own chunk, CRC and marks; joined they are the recording.
TEST_F(DownloadToFileTest, SplitPartsStayWithinTheLimitAndJoinToTheRecording)
{
    ProgramOptions.Split = true;
    ProgramOptions.MaxOutputSize = 1;
    Plan(1300000);  // 2.6 MB
    ASSERT_TRUE(Download(Target()));
    const QStringList files = FilesInDir();
    ASSERT_EQ(files, (QStringList{"rec.wav", "rec_0001.wav", "rec_0002.wav"}));
    QStringList paths;
    for (const QString& f : files) {
        paths.append(Target(f.toUtf8().constData()));
        EXPECT_LE(QFileInfo(paths.back()).size(), 1024 * 1024) << f.toStdString();
    }
    // The full parts come close to the limit.
    EXPECT_GT(QFileInfo(paths[0]).size(), 1024 * 1024 - 1024);
    ExpectSameAudio(CheckedAudioOf(paths), m_recorder.Plan.Bytes);

    // Each part as written, for the check before an erase.
    ASSERT_EQ(m_written.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(m_written[i].Path, paths[i]);
        EXPECT_EQ(m_written[i].Size, static_cast<std::uint64_t>(QFileInfo(paths[i]).size()));
        EXPECT_TRUE(VerifyWrittenFile(m_written[i]).Good()) << i;
    }
}

// A full disk midway (the nth write to the disk fails): no file of the
// download has its name, an old file of the name stays whole, and one
// message names the file and the reason. Split or not.
TEST_F(DownloadToFileTest, AWriteFailureLeavesNoFileAndIsToldOnce)
{
    struct Case {
        const char* name;
        bool split;
        int failingWrite;
    };
    const Case cases[] = {
        {"one file, early", false, 3},
        {"one file, late", false, 12},
        {"split, in the second part", true, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramOptions.Split = c.split;
        ProgramOptions.MaxOutputSize = 1;
        m_host.Messages.clear();
        WriteOldFile(Target());
        Plan(1300000);
        SetStagedFileWriteFault(c.failingWrite, ENOSPC);
        EXPECT_FALSE(Download(Target()));
        SetStagedFileWriteFault(0, 0);
        EXPECT_EQ(FilesInDir(), QStringList{QStringLiteral("rec.wav")});
        EXPECT_EQ(Contents(Target()), QByteArray("the old file"));
        ASSERT_EQ(m_host.Messages.size(), 1);
        EXPECT_TRUE(m_host.Messages[0].startsWith(QStringLiteral("Writing error\n")));
        EXPECT_TRUE(m_host.Messages[0].contains(QStringLiteral("rec")));
        EXPECT_TRUE(m_host.Messages[0].endsWith(GetSystemErrorText(ENOSPC))) << m_host.Messages[0].toStdString();
        EXPECT_TRUE(m_written.empty());
        EXPECT_TRUE(m_recorder.StatusCalls.empty());
        EXPECT_EQ(m_item.Status, 0xFF);
    }
}

// A target folder removed midway: the rename finds no folder, the download
// fails with one message and nothing passes for copied.
TEST_F(DownloadToFileTest, AFolderRemovedMidwayIsAFailure)
{
    const QString folder = QString::fromStdString(m_dir.File("sub"));
    ASSERT_TRUE(QDir().mkpath(folder));
    Plan(300000);
    m_recorder.Plan.BeforePiece = [&](int piece) {
        if (piece == 4)
            QDir(folder).removeRecursively();
    };
    EXPECT_FALSE(Download(folder + QStringLiteral("/rec.wav")));
    EXPECT_FALSE(QFileInfo::exists(folder));
    ASSERT_EQ(m_host.Messages.size(), 1);
    EXPECT_TRUE(m_host.Messages[0].startsWith(QStringLiteral("Writing error\n")));
    EXPECT_TRUE(m_written.empty());
    EXPECT_TRUE(m_recorder.StatusCalls.empty());
}

// The parts of a split download get their names together: all are linked
// under hidden names before the first rename, so a failure then (a link
// refused on a full quota) keeps every old file of those names whole.
TEST_F(DownloadToFileTest, SplitPartsAreNamedTogether)
{
    ProgramOptions.Split = true;
    ProgramOptions.MaxOutputSize = 1;
    const QStringList names = {"rec.wav", "rec_0001.wav", "rec_0002.wav"};
    for (const QString& name : names)
        WriteOldFile(Target(name.toUtf8().constData()));
    Plan(1300000);
    FailFileCall(TFileCall::Link, 3, EDQUOT);
    EXPECT_FALSE(Download(Target()));
    EXPECT_EQ(FilesInDir(), names);
    for (const QString& name : names)
        EXPECT_EQ(Contents(Target(name.toUtf8().constData())), QByteArray("the old file")) << name.toStdString();
    ASSERT_EQ(m_host.Messages.size(), 1);
    EXPECT_TRUE(m_host.Messages[0].startsWith(QStringLiteral("Writing error\n")));
    EXPECT_TRUE(m_host.Messages[0].contains(QStringLiteral("rec_0002.wav")));
    EXPECT_TRUE(m_host.Messages[0].endsWith(GetSystemErrorText(EDQUOT))) << m_host.Messages[0].toStdString();
    EXPECT_TRUE(m_written.empty());
    EXPECT_TRUE(m_recorder.StatusCalls.empty());
}

// A program killed midway through a split download (a sealed part and an
// open one): with unnamed files nothing of it is in the folder; where the
// file system has none, its hidden parts are, until the next download into
// the folder clears them. An old file of the name stays whole either way.
TEST_F(DownloadToFileTest, AKilledDownloadLeavesNoFileOfItsOwn)
{
    ProgramOptions.Split = true;
    ProgramOptions.MaxOutputSize = 1;
    for (const bool unnamed : {true, false}) {
        SCOPED_TRACE(unnamed ? "unnamed" : "hidden");
        ResetFileCallFaults();
        if (!unnamed)
            FailEveryFileCall(TFileCall::UnnamedOpen, EOPNOTSUPP);
        for (const QString& name : FilesInDir())
            QFile::remove(Target(name.toUtf8().constData()));
        WriteOldFile(Target());
        std::vector<std::size_t> pieces(9, 256 * 1024);
        pieces.push_back(2600000 - 9 * 256 * 1024);
        Plan(1300000, pieces);
        {
            // After six pieces of 256 KiB the first part is sealed.
            KilledChild killed([&](const std::function<void()>& ready) {
                m_recorder.Plan.BeforePiece = [&](int piece) {
                    if (piece == 6)
                        ready();
                };
                Download(Target());
            });
            ASSERT_TRUE(killed.WaitReady());
            ASSERT_TRUE(killed.Kill());
        }
        QStringList left = FilesInDir();
        EXPECT_EQ(left.takeLast(), QStringLiteral("rec.wav"));
        EXPECT_EQ(left.size(), unnamed ? 0 : 2) << left.join(' ').toStdString();
        for (const QString& name : left)
            EXPECT_TRUE(name.startsWith(QStringLiteral(".rec")) && name.endsWith(QStringLiteral(".part")));
        EXPECT_EQ(Contents(Target()), QByteArray("the old file"));

        ASSERT_TRUE(Download(Target()));
        EXPECT_EQ(FilesInDir(), (QStringList{"rec.wav", "rec_0001.wav", "rec_0002.wav"}));
    }
}

TEST_F(DownloadToFileTest, PartLimitFromTheOptions)
{
    struct Case {
        const char* name;
        bool split;
        std::int64_t size;
        std::uint32_t limit;
    };
    const Case cases[] = {
        {"split off", false, 5, 0xFFFFFC00u},
        {"size 0", true, 0, 0xFFFFFC00u},
        {"negative size", true, -3, 0xFFFFFC00u},
        {"1 MiB", true, 1, 1024u * 1024u},
        {"largest", true, 4095, 4095u * 1024u * 1024u},
        {"4096 would wrap to 0", true, 4096, 4095u * 1024u * 1024u},
        {"far too large", true, std::int64_t{1} << 40, 4095u * 1024u * 1024u},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PartLimitFromOptions(c.split, c.size), c.limit) << c.name;
}

// A job that ended on a link error or on a refusing sink leaves the status
// and answers false; so does a cancel, which deletes every part.
TEST_F(DownloadToFileTest, OnlyACompletedJobMarksTheRecording)
{
    Plan(300000);
    m_recorder.Plan.FailAtPiece = 8;
    EXPECT_FALSE(Download(Target()));
    EXPECT_TRUE(m_recorder.StatusCalls.empty());
    EXPECT_EQ(m_item.Status, 0xFF);
    EXPECT_TRUE(FilesInDir().isEmpty());  // what came never gets the name

    // A part that cannot be created refuses the write: the message names
    // the file and the system's reason.
    m_recorder.Plan.FailAtPiece = -1;
    const QString missing = QString::fromStdString(m_dir.File("no-such-folder/rec.wav"));
    EXPECT_FALSE(Download(missing));
    EXPECT_EQ(m_recorder.LastJobOutcome(), TJobOutcome::SinkRefused);
    ASSERT_EQ(m_host.Messages.size(), 1);
    EXPECT_EQ(m_host.Messages[0], "Can't create (modify) file rec.wav\n" + GetSystemErrorText(ENOENT));
    EXPECT_EQ(m_host.MessageFlags[0], 0u);
    EXPECT_EQ(m_host.MessageCaptions[0], QStringLiteral("Application"));
    EXPECT_TRUE(m_recorder.StatusCalls.empty());
    EXPECT_EQ(m_item.Status, 0xFF);
}

// A cancelled (killed) download leaves no file of its own and an old file
// of the name as it was; so does a sink that goes before it was finished.
TEST_F(DownloadToFileTest, CancelLeavesNoPartAndTheOldFileWhole)
{
    ProgramOptions.Split = true;
    ProgramOptions.MaxOutputSize = 1;
    WriteOldFile(Target());
    Plan(1300000);
    m_recorder.Plan.WaitForAbort = true;
    m_ui.CancelDuringJob = true;
    EXPECT_FALSE(Download(Target()));
    EXPECT_EQ(m_recorder.LastJobOutcome(), TJobOutcome::Aborted);
    EXPECT_EQ(FilesInDir(), QStringList{QStringLiteral("rec.wav")});
    EXPECT_EQ(Contents(Target()), QByteArray("the old file"));
    EXPECT_TRUE(m_recorder.StatusCalls.empty());
    EXPECT_TRUE(m_host.Messages.isEmpty());

    {
        TCrcWaveFile wave(Target("other.wav"));
        TPcmWaveFormat format = TPcmWaveFormat::Mono16(8000);
        std::memcpy(wave.FormatBlock().data(), &format, sizeof(format));
        TRecorderWaveFile sink(wave, QStringLiteral("1"));
        sink.SetLimit(64 * 1024);
        const std::vector<std::uint8_t> bytes = SineBytes(100000, 20, 1000);
        ASSERT_NE(sink.Write(bytes.data(), static_cast<std::int32_t>(bytes.size())), 0);
    }
    EXPECT_EQ(FilesInDir(), QStringList{QStringLiteral("rec.wav")});
}

// Only a download of the whole recording marks it; a voice part is fetched
// whole by its part number and never marks anything.
TEST_F(DownloadToFileTest, SpansAndVoicePartsKeepTheStatus)
{
    Plan(20000);
    ASSERT_TRUE(Download(Target(), 40, 10));
    EXPECT_EQ(m_recorder.SeenParams.Start, 10u);
    EXPECT_EQ(m_recorder.SeenParams.Length, 40u);
    ASSERT_TRUE(Download(Target(), 99, 0));
    EXPECT_TRUE(m_recorder.StatusCalls.empty());

    TSoundFileInfo recording;
    recording.Number = 12;
    m_item.Parent = &recording;
    m_item.Number = 2;
    ASSERT_TRUE(Download(Target()));
    EXPECT_EQ(m_recorder.SeenJob, TRecorderJob::DownloadPart);
    EXPECT_EQ(m_recorder.SeenParams.Record, 12);
    EXPECT_EQ(m_recorder.SeenParams.PartIndex, 2);
    EXPECT_TRUE(m_recorder.StatusCalls.empty());
    EXPECT_EQ(m_item.Status, 0xFF);
}

// A recording that came from the PC (0xAA) gets no private chunk; its
// marks say so and carry no time.
TEST_F(DownloadToFileTest, UploadedRecordingHasNoPrivateChunk)
{
    m_item.Status = 0xAA;
    Plan(30000);
    ASSERT_TRUE(Download(Target()));
    const PartFile part = ReadPart(Target());
    EXPECT_TRUE(part.chunk.empty());
    ASSERT_GE(part.data.size(), kBlock);
    TMarkBlock start{};
    ASSERT_TRUE(mark_seal::Unseal(part.data.data(), mark_seal::InverseScramble(), start));
    const std::uint32_t time = start.Time;
    EXPECT_EQ(+start.NoPrivateChunk, 1);
    EXPECT_EQ(time, 0u);
    EXPECT_TRUE(m_recorder.StatusCalls.empty());
    EXPECT_EQ(m_item.Status, 0xAA);
    ExpectSameAudio({part.data.begin() + kBlock, part.data.end() - kBlock}, m_recorder.Plan.Bytes);
}

// Until the status command exists the slot says so; the file is good.
TEST_F(DownloadToFileTest, StatusSlotNotAvailableKeepsFileAndStatus)
{
    m_recorder.StatusUnavailable = true;
    m_recorder.Model = QStringLiteral("A model name far longer than twenty");
    Plan(20000);
    EXPECT_TRUE(Download(Target()));
    EXPECT_EQ(m_item.Status, 0xFF);
    const PartFile part = ReadPart(Target());
    EXPECT_EQ(ReadWaveAddInfo(part.chunk.data(), static_cast<std::int64_t>(part.chunk.size())).ModelName,
              QStringLiteral("A model name far lon"));
}

// The sink alone: a piece of no bytes changes nothing and succeeds.
TEST_F(DownloadToFileTest, EmptyPieceIsANoOp)
{
    TCrcWaveFile wave(Target());
    wave.FormatBlock() = {};
    TPcmWaveFormat format = TPcmWaveFormat::Mono16(8000);
    std::memcpy(wave.FormatBlock().data(), &format, sizeof(format));
    TRecorderWaveFile sink(wave, QStringLiteral("1"));
    EXPECT_NE(sink.Write(nullptr, 0), 0);
    EXPECT_FALSE(QFile::exists(Target()));
    EXPECT_TRUE(sink.Finish());
    EXPECT_TRUE(sink.PartFiles().isEmpty());
}
