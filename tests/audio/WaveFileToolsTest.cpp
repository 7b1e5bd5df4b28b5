#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>

#include "audio/CrcWaveFile.h"
#include "audio/WaveAddInfo.h"
#include "tests/support/TempDir.h"
#include "tests/support/WavBuilder.h"

// Files written here must open in other programs; each check runs when its
// program is installed.
namespace {

using Bytes = WavBuilder::Bytes;

struct ToolRun {
    int exitCode = -1;
    QByteArray out;
};

ToolRun RunTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    ToolRun run;
    if (!process.waitForFinished(30000))
        return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    return run;
}

// 8 kHz mono 16-bit PCM (or 8-bit u-law) with a version-5 private chunk behind the data.
Bytes WriteSample(const QString& name, bool ulaw, TWaveAddInfoV5& chunk)
{
    Bytes data(16001);  // odd on purpose: the pad must not confuse readers
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i * 7);
    TCrcWaveFile wave(name);
    if (ulaw) {
        TWaveFormatEx f = wave.Format();
        f.FormatTag = 7;
        f.BitsPerSample = 8;
        f.BlockAlign = 1;
        f.AvgBytesPerSec = 8000;
        f.ToBlock(wave.FormatBlock());
    }
    wave.SetPrivateChunk(chunk.data(), static_cast<std::int32_t>(chunk.size()));
    if (!wave.Create() || wave.Write(data.data(), static_cast<std::int32_t>(data.size())) != 16001 || !wave.Close())
        return {};
    return data;
}

}  // namespace

TEST(WaveFileTools, SoxReadsOurPcmAndULawFiles)
{
    const QString sox = QStandardPaths::findExecutable(QStringLiteral("sox"));
    if (sox.isEmpty())
        GTEST_SKIP() << "sox is not installed";
    TempDir dir;
    TWaveAddInfoV5 chunk = BuildWaveAddInfo({});
    for (bool ulaw : {false, true}) {
        SCOPED_TRACE(ulaw ? "u-law" : "PCM");
        const QString name = QString::fromStdString(dir.File(ulaw ? "ulaw.wav" : "pcm.wav"));
        const Bytes data = WriteSample(name, ulaw, chunk);
        ASSERT_FALSE(data.empty());

        const ToolRun info = RunTool(sox, {QStringLiteral("--i"), name});
        ASSERT_EQ(info.exitCode, 0);
        EXPECT_TRUE(info.out.contains("Channels       : 1")) << info.out.constData();
        EXPECT_TRUE(info.out.contains("Sample Rate    : 8000")) << info.out.constData();
        EXPECT_TRUE(info.out.contains(ulaw ? "u-law" : "Signed Integer PCM")) << info.out.constData();

        if (!ulaw) {
            // The samples come back as written; the odd last byte is half a sample.
            const QString raw = QString::fromStdString(dir.File("pcm.raw"));
            ASSERT_EQ(RunTool(sox, {name, QStringLiteral("-t"), QStringLiteral("raw"), raw}).exitCode, 0);
            const Bytes back = ReadFileBytes(raw.toStdString());
            EXPECT_EQ(back, Bytes(data.begin(), data.begin() + 16000));
        }
    }
}

TEST(WaveFileTools, FfprobeReadsOurPcmFile)
{
    const QString ffprobe = QStandardPaths::findExecutable(QStringLiteral("ffprobe"));
    if (ffprobe.isEmpty())
        GTEST_SKIP() << "ffprobe is not installed";
    TempDir dir;
    TWaveAddInfoV5 chunk = BuildWaveAddInfo({});
    const QString name = QString::fromStdString(dir.File("pcm.wav"));
    ASSERT_FALSE(WriteSample(name, false, chunk).empty());
    const ToolRun run =
        RunTool(ffprobe, {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                          QStringLiteral("stream=codec_name,sample_rate,channels"), QStringLiteral("-of"),
                          QStringLiteral("default=noprint_wrappers=1"), name});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.contains("codec_name=pcm_s16le")) << run.out.constData();
    EXPECT_TRUE(run.out.contains("sample_rate=8000")) << run.out.constData();
    EXPECT_TRUE(run.out.contains("channels=1")) << run.out.constData();
}
