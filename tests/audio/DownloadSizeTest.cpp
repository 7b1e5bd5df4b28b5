// The size a download plans against the free space is the size it writes,
// to the byte: wave files with and without the private chunk, split into
// parts, a span, stretches with pauses, and the Dialect file. Over an image
// file, the image emulator and the real jobs.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <memory>

#include "audio/DialectWaveFile.h"
#include "audio/DownloadToFile.h"
#include "audio/RecorderWaveFile.h"
#include "audio/WaveFile.h"
#include "core/flash/BlockHeader.h"
#include "core/flash/SoundFileList.h"
#include "core/recorder/Recorder.h"
#include "core/settings/ProgramOptions.h"
#include "tests/audio/ImageRecorderFixture.h"
#include "tests/support/ContentBuilder.h"

class DownloadSizeTest : public ImageRecorderFixture {
protected:
    void SetUp() override
    {
        ImageRecorderFixture::SetUp();
        WriteImage(m_dir.File("content.qdm"));
        ASSERT_NO_FATAL_FAILURE(OpenImage(m_dir.File("content.qdm"), 4));
        QDir().mkpath(Out());
    }

    // 1: seven blocks of ADPCM (over 1 MiB of audio); 2: uploaded from the
    // PC (no private chunk), companded; 3: stretches with pauses, PCM;
    // 4: 16000 Hz with a last block half filled.
    static void WriteImage(const std::string& path)
    {
        ContentBuilder content = SmallFlashContent();
        RecordingSpec adpcm;
        adpcm.number = 1;
        adpcm.blockCount = 7;
        content.AddRecording(adpcm);
        RecordingSpec uploaded;
        uploaded.number = 2;
        uploaded.start = 1700010000;
        uploaded.compress = 1;
        uploaded.param = 3;
        uploaded.statusVas = TBlockHeader::kStatusUploaded;
        uploaded.blockCount = 2;
        content.AddRecording(uploaded);
        RecordingSpec paused;
        paused.number = 3;
        paused.start = 1700020000;
        paused.compress = 0;
        paused.blockCount = 3;
        BreakSpec shortPause;
        shortPause.block = 0;
        shortPause.page = 7;
        shortPause.gapSeconds = 2.37;
        BreakSpec lastPage;
        lastPage.block = 1;
        lastPage.page = 31;
        lastPage.gapSeconds = 11;
        lastPage.filledBytes = 333;
        paused.breaks = {shortPause, lastPage};
        content.AddRecording(paused);
        RecordingSpec wide;
        wide.number = 4;
        wide.start = 1700030000;
        wide.rateCode = 0;
        wide.blockCount = 2;
        wide.lastBlockPages = 13;
        content.AddRecording(wide);
        WriteSmallFlashImage(content, path);
    }

    QString Out() const { return QString::fromStdString(m_dir.File("out")); }
    TSoundFileInfo& Recording(std::uint16_t number)
    {
        TSoundFileList& files = *m_recorder->GetSoundFiles();
        return *files.Item(files.IndexOfNumber(number));
    }
    // Every file the download left, together.
    std::uint64_t BytesOnDisk() const
    {
        std::uint64_t total = 0;
        for (const QFileInfo& file : QDir(Out()).entryInfoList(QDir::Files | QDir::Hidden))
            total += static_cast<std::uint64_t>(file.size());
        return total;
    }
};

TEST_F(DownloadSizeTest, ThePlannedSizeIsTheSizeWritten)
{
    const struct {
        const char* what;
        std::uint16_t number;
        std::uint32_t start;
        std::uint32_t length;  // 0: the whole recording
        bool dialect;
        std::int64_t splitMiB;
    } cases[] = {
        {"wave with its chunk", 1, 0, 0, false, 0},
        {"split into parts", 1, 0, 0, false, 1},
        {"a span", 1, 3, 5, false, 0},
        {"uploaded: no chunk", 2, 0, 0, false, 0},
        {"stretches with pauses", 3, 0, 0, false, 0},
        {"a span over a pause", 3, 1, 9, false, 0},
        {"16000 Hz, a short last block", 4, 0, 0, false, 0},
        {"Dialect", 1, 0, 0, true, 0},
        {"Dialect with pauses", 3, 0, 0, true, 0},
        {"Dialect at 16000 Hz", 4, 0, 0, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(Out()).removeRecursively();
        QDir().mkpath(Out());
        ProgramOptions.DialectFormat = c.dialect;
        ProgramOptions.Split = c.splitMiB != 0;
        ProgramOptions.MaxOutputSize = c.splitMiB;
        TSoundFileInfo& item = Recording(c.number);
        const std::uint32_t length = c.length ? c.length : item.Length;
        const std::optional<std::uint64_t> planned = PlannedDownloadBytes(item, length, c.start);
        ASSERT_TRUE(planned.has_value());
        const QString target = Out() + (c.dialect ? QStringLiteral("/rec.raw") : QStringLiteral("/rec.wav"));
        std::vector<TWrittenFile> written;
        ASSERT_TRUE(DownloadRecordToFile(m_recorder.get(), target, &item, length, c.start, m_ui, &written));
        EXPECT_EQ(written.size() > 1, c.splitMiB != 0);
        EXPECT_EQ(*planned, BytesOnDisk());
    }
}

// A download larger than the disk has free writes nothing, and the one
// message names the file refused.
TEST_F(DownloadSizeTest, ARefusalNamesTheFile)
{
    const QString target = Out() + QStringLiteral("/rec.wav");
    EXPECT_FALSE(DownloadRecordToFile(m_recorder.get(), target, &Recording(1), 0xFFFFFFFFu, 0, m_ui));
    EXPECT_TRUE(m_ui.Captions.isEmpty());
    ASSERT_EQ(m_host.Messages.size(), 1);
    EXPECT_TRUE(m_host.Messages[0].startsWith(QStringLiteral("Not enough disk space in ")));
    EXPECT_TRUE(m_host.Messages[0].endsWith(QStringLiteral("\n") + QDir::toNativeSeparators(target)))
        << m_host.Messages[0].toStdString();
    EXPECT_EQ(BytesOnDisk(), 0u);
}

// The wave layout the plan counts is the one the writer makes.
TEST_F(DownloadSizeTest, TheHeaderCountIsWhatCreateWrites)
{
    for (const std::uint16_t tag : {std::uint16_t{1}, std::uint16_t{0x11}}) {
        SCOPED_TRACE(tag);
        TWaveFile wave(Out() + QStringLiteral("/h.wav"));
        TWaveFile::SetPcmFormat(&wave.FormatBlock(), 1, 8000, 16);
        TWaveFormatEx format = wave.Format();
        format.FormatTag = tag;
        format.ToBlock(wave.FormatBlock());
        ASSERT_TRUE(wave.Create());
        EXPECT_EQ(wave.WritePosition(), TWaveFile::HeaderBytes(wave.FormatBlock()));
        wave.Abort();
    }
    TWaveFormatBlock unknown{};
    EXPECT_EQ(TWaveFile::HeaderBytes(unknown), -1);
    EXPECT_FALSE(PlannedWaveBytes(unknown, -1, TRecorderWaveFile::kDefaultLimit, 1000).has_value());
}
