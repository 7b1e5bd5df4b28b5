// Downloads into files from recordings that the content builder lays into
// an image, over the image emulator and the real download job.
#include <gtest/gtest.h>

#include <QFile>
#include <memory>

#include "audio/DownloadToFile.h"
#include "core/flash/SoundFileList.h"
#include "core/recorder/Recorder.h"
#include "core/settings/ProgramOptions.h"
#include "tests/audio/DownloadedFiles.h"
#include "tests/audio/ImageRecorderFixture.h"
#include "tests/support/CaptureSink.h"
#include "tests/support/ContentBuilder.h"

using namespace downloaded;

namespace {

struct Recording {
    const char* name;
    std::uint8_t compress;
    std::uint8_t param;
    bool withGap;
};
const Recording kRecordings[] = {
    {"PCM", 0, 0, false},
    {"companded", 1, 1, false},
    {"ADPCM 4-bit", 2, 2, false},
    {"ADPCM 2-bit", 2, 1, false},
    {"two stretches with silence between", 2, 2, true},
};

std::vector<std::uint8_t> Joined(const CaptureSink& sink)
{
    std::vector<std::uint8_t> all;
    for (const auto& piece : sink.Pieces)
        all.insert(all.end(), piece.begin(), piece.end());
    return all;
}

std::size_t LongestSilence(const std::vector<std::uint8_t>& bytes)
{
    std::size_t longest = 0, run = 0;
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
        run = SampleAt(bytes, at) == 0 ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

}  // namespace

class DownloadEndToEndTest : public ImageRecorderFixture {
protected:
    void SetUp() override
    {
        ImageRecorderFixture::SetUp();
        const std::string path = m_dir.File("content.qdm");
        ContentBuilder content = SmallFlashContent();
        std::uint16_t number = 1;
        for (const Recording& r : kRecordings) {
            RecordingSpec spec;
            spec.number = number;
            spec.start = 1700000000u + 10000u * number;
            spec.compress = r.compress;
            spec.param = r.param;
            if (r.withGap) {
                BreakSpec gap;
                gap.block = 0;
                gap.page = 12;
                gap.gapSeconds = 3;
                spec.breaks = {gap};
            }
            content.AddRecording(spec);
            ++number;
        }
        WriteSmallFlashImage(content, path);
        ASSERT_NO_FATAL_FAILURE(OpenImage(path, static_cast<int>(std::size(kRecordings))));
    }

    // What the download job itself delivers for the recording.
    std::vector<std::uint8_t> Reference(const TSoundFileInfo& item)
    {
        CaptureSink sink;
        m_recorder->StartDownload(item.Number, 0, item.Length, &sink);
        m_recorder->WaitForJob();
        EXPECT_EQ(m_recorder->LastJobOutcome(), TJobOutcome::Completed);
        return Joined(sink);
    }
};

TEST_F(DownloadEndToEndTest, EachCodecIntoAMarkedWaveFile)
{
    for (int i = 0; i < m_recorder->GetSoundFiles()->Count(); ++i) {
        SCOPED_TRACE(kRecordings[i].name);
        TSoundFileInfo& item = *m_recorder->GetSoundFiles()->Item(i);
        const std::vector<std::uint8_t> expected = Reference(item);
        ASSERT_GT(expected.size(), 8000u);
        if (kRecordings[i].withGap) {
            EXPECT_GE(LongestSilence(expected), 2u * 8000u);
        }

        const QString name = QString::fromStdString(m_dir.File(std::to_string(i) + ".wav"));
        ASSERT_TRUE(DownloadRecordToFile(m_recorder.get(), name, &item, item.Length, 0, m_ui));
        EXPECT_EQ(item.Status, 0x55);
        ExpectSameAudio(CheckedAudioOf({name}), expected);
    }
}

TEST_F(DownloadEndToEndTest, DialectFileOfARecording)
{
    ProgramOptions.DialectFormat = true;
    TSoundFileInfo& item = *m_recorder->GetSoundFiles()->Item(4);
    const std::size_t samples = Reference(item).size() / 2;
    const QString name = QString::fromStdString(m_dir.File("gap.raw"));
    ASSERT_TRUE(DownloadRecordToFile(m_recorder.get(), name, &item, item.Length, 0, m_ui));
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_NEAR(static_cast<double>(bytes.size() - 128) / 2, samples * 11150.0 / 8000.0, 2);
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[0]) | static_cast<std::uint8_t>(bytes[1]) << 8 |
                  static_cast<std::uint8_t>(bytes[2]) << 16,
              bytes.size());
}
