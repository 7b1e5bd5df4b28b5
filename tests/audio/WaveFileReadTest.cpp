#include <gtest/gtest.h>

#include <QFile>

#include "audio/WaveFile.h"
#include "core/recorder/ProcessState.h"
#include "core/recorder/Recorder.h"
#include "core/settings/ProgramFolder.h"
#include "tests/support/FakeRecorderHost.h"
#include "tests/support/ParamName.h"
#include "tests/support/RecorderFields.h"
#include "tests/support/TempDir.h"
#include "tests/support/WavBuilder.h"

namespace {

using Bytes = WavBuilder::Bytes;

const Bytes kPrivate = {0xA1, 0xA2, 0xA3, 0xA4, 0xA5};

QString Name(const TempDir& dir, const char* name)
{
    return QString::fromStdString(dir.File(name));
}

Bytes ReadAll(TWaveFile& wave, std::int32_t piece)
{
    Bytes all;
    Bytes buffer(static_cast<std::size_t>(piece));
    for (;;) {
        const std::int32_t n = wave.Read(buffer.data(), piece);
        EXPECT_GE(n, 0);
        if (n <= 0)
            return all;
        all.insert(all.end(), buffer.begin(), buffer.begin() + n);
    }
}

}  // namespace

TEST(WaveFileRead, OpenSitsAtTheFirstDataByteAndReadStopsAtTheEndOfData)
{
    TempDir dir;
    const Bytes data = WavBuilder::Counting(9);
    WavBuilder()
        .Fmt(WavBuilder::PcmFmt(2, 22050, 8))
        .Data(data)
        .Chunk("LIST", Bytes(30, 0x77))
        .Chunk("junk", Bytes(3, 0x66))
        .Save(dir.File("a.wav"));
    TWaveFile wave(Name(dir, "a.wav"));
    ASSERT_TRUE(wave.Open());
    EXPECT_EQ(wave.DataOffset(), 44);
    EXPECT_EQ(wave.DataBytes(), 9u);
    const TWaveFormatEx f = wave.Format();
    EXPECT_EQ(f.FormatTag, 1);
    EXPECT_EQ(f.Channels, 2);
    EXPECT_EQ(f.SamplesPerSec, 22050u);
    EXPECT_EQ(f.BitsPerSample, 8);
    EXPECT_EQ(ReadAll(wave, 4), data);
    std::uint8_t byte;
    EXPECT_EQ(wave.Read(&byte, 1), 0);
    EXPECT_TRUE(wave.Close());
    EXPECT_EQ(wave.Read(&byte, 1), -1);
}

namespace {

struct PlacementCase {
    const char* name;
    Bytes (*build)();
    bool found;
};

void PrintTo(const PlacementCase& c, std::ostream* os)
{
    *os << c.name;
}

WavBuilder& Private(WavBuilder& b)
{
    return b.Chunk(kWaveAddInfoChunkId, kPrivate);
}

const PlacementCase kPlacements[] = {
    {"behind fmt before data",
     [] {
         WavBuilder b;
         b.Fmt(WavBuilder::PcmFmt(1, 8000, 16));
         Private(b);
         return b.Data({1, 2, 3, 4}).Build();
     },
     true},
    {"after data",
     [] {
         WavBuilder b;
         b.Fmt(WavBuilder::PcmFmt(1, 8000, 16)).Data({1, 2, 3, 4});
         return Private(b).Build();
     },
     true},
    {"after data and another chunk",
     [] {
         WavBuilder b;
         b.Fmt(WavBuilder::PcmFmt(1, 8000, 16)).Data({1, 2, 3, 4}).Chunk("LIST", Bytes(7, 1));
         return Private(b).Build();
     },
     true},
    {"before fmt",
     [] {
         WavBuilder b;
         Private(b);
         return b.Fmt(WavBuilder::PcmFmt(1, 8000, 16)).Data({1, 2, 3, 4}).Build();
     },
     false},
    {"data before fmt",
     [] {
         WavBuilder b;
         b.Data({1, 2, 3, 4}).Fmt(WavBuilder::PcmFmt(1, 8000, 16));
         return Private(b).Build();
     },
     true},
};

class PrivateChunkPlacement : public ::testing::TestWithParam<PlacementCase> {};

}  // namespace

TEST_P(PrivateChunkPlacement, IsFoundBehindFmtOrAroundData)
{
    TempDir dir;
    const Bytes bytes = GetParam().build();
    QFile out(Name(dir, "p.wav"));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    out.close();

    TWaveFile wave(Name(dir, "p.wav"));
    ASSERT_TRUE(wave.Open());
    if (GetParam().found) {
        ASSERT_EQ(wave.PrivateChunkLength(), 5);
        EXPECT_EQ(Bytes(wave.PrivateChunk(), wave.PrivateChunk() + 5), kPrivate);
    } else {
        EXPECT_EQ(wave.PrivateChunkLength(), -1);
        EXPECT_EQ(wave.PrivateChunk(), nullptr);
    }
    EXPECT_EQ(ReadAll(wave, 100), (Bytes{1, 2, 3, 4}));
    EXPECT_TRUE(wave.Close());
    EXPECT_EQ(wave.PrivateChunk(), nullptr);
    EXPECT_EQ(wave.PrivateChunkLength(), -1);
}

INSTANTIATE_TEST_SUITE_P(Layouts, PrivateChunkPlacement, ::testing::ValuesIn(kPlacements), PrintedParamName());

TEST(WaveFileRead, LongFmtFillsTheBlockAndIsSkippedShortFmtIsRefused)
{
    TempDir dir;
    Bytes longFmt = WavBuilder::FmtBody(0x0011, 1, 8000, 4, 1024 * 1024);
    for (std::size_t i = 18; i < longFmt.size(); ++i)
        longFmt[i] = static_cast<std::uint8_t>(i);
    WavBuilder().Fmt(longFmt).Data({5, 6}).Save(dir.File("long.wav"));
    TWaveFile wave(Name(dir, "long.wav"));
    ASSERT_TRUE(wave.Open());
    EXPECT_EQ(wave.Format().FormatTag, 0x0011);
    EXPECT_EQ(Bytes(wave.FormatBlock().begin(), wave.FormatBlock().end()),
              Bytes(longFmt.begin(), longFmt.begin() + kWaveFormatBlockSize));
    EXPECT_EQ(ReadAll(wave, 8), (Bytes{5, 6}));
    wave.Close();

    const Bytes pcm = WavBuilder::PcmFmt(1, 8000, 16);
    for (std::ptrdiff_t size : {3, 14, 15}) {
        SCOPED_TRACE(size);
        WavBuilder().Fmt(Bytes(pcm.begin(), pcm.begin() + size)).Data({5, 6}).Save(dir.File("short.wav"));
        EXPECT_FALSE(TWaveFile::IsWaveFile(Name(dir, "short.wav")));
    }
}

TEST(WaveFileRead, AReusedObjectKeepsNothingOfTheLastFile)
{
    TempDir dir;
    Bytes fmt20 = WavBuilder::FmtBody(0x0011, 2, 44100, 4, 20);
    fmt20[16] = 2;
    fmt20[18] = 0xEE;
    fmt20[19] = 0xFF;
    WavBuilder first;
    first.Fmt(fmt20).Chunk(kWaveAddInfoChunkId, kPrivate).Data(Bytes(10, 1));
    first.Save(dir.File("first.wav"));
    WavBuilder().Fmt(WavBuilder::PcmFmt(1, 8000, 16)).Data(Bytes(4, 2)).Save(dir.File("second.wav"));
    WavBuilder().Fmt(WavBuilder::PcmFmt(1, 8000, 16)).Save(dir.File("broken.wav"));  // no data

    TWaveFile wave(Name(dir, "first.wav"));
    ASSERT_TRUE(wave.Open());
    ASSERT_EQ(wave.PrivateChunkLength(), 5);
    wave.Close();

    wave.SetFileName(Name(dir, "second.wav"));
    ASSERT_TRUE(wave.Open());
    EXPECT_EQ(wave.PrivateChunkLength(), -1);
    EXPECT_EQ(wave.PrivateChunk(), nullptr);
    TWaveFormatBlock expected{};
    const Bytes pcm = WavBuilder::PcmFmt(1, 8000, 16);
    std::copy(pcm.begin(), pcm.end(), expected.begin());
    EXPECT_EQ(wave.FormatBlock(), expected);
    EXPECT_EQ(wave.DataBytes(), 4u);
    wave.Close();

    wave.SetFileName(Name(dir, "first.wav"));
    ASSERT_TRUE(wave.Open());
    wave.Close();
    wave.SetFileName(Name(dir, "broken.wav"));
    EXPECT_FALSE(wave.Open());
    EXPECT_FALSE(wave.IsOpen());
    EXPECT_EQ(wave.PrivateChunk(), nullptr);
    EXPECT_EQ(wave.DataBytes(), 0u);
}

namespace {

struct HostileCase {
    const char* name;
    Bytes bytes;
    bool opens;
    std::int32_t privateLength = -1;
};

void PrintTo(const HostileCase& c, std::ostream* os)
{
    *os << c.name;
}

Bytes Cut(Bytes bytes, std::size_t size)
{
    bytes.resize(size);
    return bytes;
}

WavBuilder Good()
{
    return std::move(WavBuilder().Fmt(WavBuilder::PcmFmt(1, 8000, 16)));
}

std::vector<HostileCase> HostileCases()
{
    const Bytes good = Good().Data(Bytes(100, 3)).Build();
    std::vector<HostileCase> cases = {
        {"empty", {}, false},
        {"cut in the RIFF header", Cut(good, 10), false},
        {"cut in fmt", Cut(good, 30), false},
        {"cut in the data header", Cut(good, 40), false},
        {"cut in the data", Cut(good, 100), false},
        {"RIFF size past the end", WavBuilder(Good()).Data({1, 2}).RiffSize(1000).Build(), false},
        {"RIFF size 0xFFFFFFFF", WavBuilder(Good()).Data({1, 2}).RiffSize(0xFFFFFFFF).Build(), false},
        {"RIFF size 3", WavBuilder(Good()).Data({1, 2}).RiffSize(3).Build(), false},
        {"fmt size past the end", WavBuilder().Chunk("fmt ", WavBuilder::PcmFmt(1, 8000, 16), 1 << 20).Build(), false},
        {"fmt of 3 bytes", WavBuilder().Fmt({1, 0, 1}).Data({1, 2}).Build(), false},
        {"data size past the end", WavBuilder(Good()).Chunk("data", {1, 2}, 0xFFFFFFF0).Build(), false},
        {"chunk size past the end before data", WavBuilder(Good()).Chunk("junk", {1}, 0x7FFFFFFF).Data({1}).Build(),
         false},
        {"no fmt", WavBuilder().Data({1, 2}).Build(), false},
        {"no data", Good().Build(), false},
        {"not WAVE", WavBuilder(Good()).Data({1, 2}).Form("AVI ").Build(), false},
        {"not RIFF", Bytes(64, 'x'), false},
        {"private chunk size past the end",
         WavBuilder(Good()).Data({1, 2}).Chunk(kWaveAddInfoChunkId, {1, 2, 3}, 5000).Build(), true},
        {"private chunk over 64 KiB",
         WavBuilder(Good()).Data({1, 2}).Chunk(kWaveAddInfoChunkId, Bytes(64 * 1024 + 2, 9)).Build(), true},
        {"private chunk of 64 KiB",
         WavBuilder(Good()).Data({1, 2}).Chunk(kWaveAddInfoChunkId, Bytes(64 * 1024, 9)).Build(), true, 64 * 1024},
        {"odd data without its pad at the end", WavBuilder(Good()).Chunk("data", {1, 2, 3}, {}, false).Build(), true},
    };
    return cases;
}

class HostileWaveFile : public ::testing::TestWithParam<HostileCase> {};

}  // namespace

TEST_P(HostileWaveFile, IsRefusedWithoutReadingPastABuffer)
{
    TempDir dir;
    const HostileCase& c = GetParam();
    QFile out(Name(dir, "h.wav"));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(reinterpret_cast<const char*>(c.bytes.data()), static_cast<qint64>(c.bytes.size()));
    out.close();

    TWaveFile wave(Name(dir, "h.wav"));
    EXPECT_EQ(wave.Open(), c.opens);
    EXPECT_EQ(wave.IsOpen(), c.opens);
    EXPECT_EQ(wave.PrivateChunkLength(), c.privateLength);
    if (c.opens) {
        const Bytes data = ReadAll(wave, 7);
        EXPECT_EQ(data.size(), wave.DataBytes());
    }
    wave.Close();
    EXPECT_EQ(wave.PrivateChunk(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Files, HostileWaveFile, ::testing::ValuesIn(HostileCases()), PrintedParamName());

TEST(WaveFileRead, IsWaveFileOpensAndClosesAgain)
{
    TempDir dir;
    WavBuilder(Good()).Data({1, 2}).Save(dir.File("a.wav"));
    QFile text(Name(dir, "a.txt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("RIFF is not enough");
    text.close();
    EXPECT_TRUE(TWaveFile::IsWaveFile(Name(dir, "a.wav")));
    EXPECT_FALSE(TWaveFile::IsWaveFile(Name(dir, "a.txt")));
    EXPECT_FALSE(TWaveFile::IsWaveFile(Name(dir, "none.wav")));
    EXPECT_FALSE(TWaveFile::IsWaveFile(QString::fromStdString(dir.Path().string())));
}

TEST(WaveFileRead, UploadSizeOfAnOpenedFileFollowsItsFormat)
{
    ResetProcessState();
    TempDir dir;
    SetProgramFolderOverride(QString::fromStdString(dir.Path().string()));
    FakeRecorderHost host;
    {
        TWaveFile writer(Name(dir, "up.wav"));
        ASSERT_TRUE(writer.Create());
        const Bytes data(16000, 0);  // one second at 8 kHz, 16 bits, mono
        ASSERT_EQ(writer.Write(data.data(), 16000), 16000);
        ASSERT_TRUE(writer.Close());
    }
    TWaveFile wave(Name(dir, "up.wav"));
    ASSERT_TRUE(wave.Open());
    const TWaveSourceFormat format = wave.SourceFormat();
    EXPECT_EQ(format.FormatTag, kWaveFormatPcm);
    EXPECT_EQ(format.Channels, 1);
    EXPECT_EQ(format.SamplesPerSec, 8000u);
    EXPECT_EQ(format.BitsPerSample, 16);
    EXPECT_EQ(format.DataBytes, 16000u);
    {
        TRecorder recorder(0);
        EXPECT_EQ(recorder.GetUploadSize(&wave), -1);  // no geometry yet
        Fields(recorder).FPagesPerBlock = 4;
        Fields(recorder).FPageSize = 2048;
        // 8000 samples: 991 + 3 x 1023 a PCM block, 1982 - 13 + 3 x (2046 - 13) companded.
        EXPECT_EQ(recorder.GetUploadSize(&wave), 2 * (4 * 2048 - 64));
        Fields(recorder).FUploadCompress = 1;
        EXPECT_EQ(recorder.GetUploadSize(&wave), 1 * (4 * 2048 - 64));
    }
    wave.Close();
    ResetProcessState();
}

TEST(WaveFileRead, SamplesComeInOrderThenZeroAtTheEndAndMinusOneWhenNotOpen)
{
    TempDir dir;
    // Seven bytes: three samples and half of a fourth, then a chunk after the data.
    WavBuilder()
        .Fmt(WavBuilder::PcmFmt(1, 8000, 16))
        .Data({0x01, 0x00, 0xFF, 0xFF, 0x00, 0x80, 0x44})
        .Chunk("LIST", Bytes(8, 0x77))
        .Save(dir.File("s.wav"));
    TWaveFile wave(Name(dir, "s.wav"));
    std::int16_t samples[4] = {9, 9, 9, 9};
    EXPECT_EQ(wave.ReadSamples(samples, 1), -1);  // not open
    ASSERT_TRUE(wave.Open());
    EXPECT_EQ(wave.ReadSamples(samples, 2), 2);
    EXPECT_EQ(wave.ReadSamples(samples + 2, 2), 1);
    EXPECT_EQ(samples[0], 1);
    EXPECT_EQ(samples[1], -1);
    EXPECT_EQ(samples[2], -32768);
    EXPECT_EQ(wave.ReadSamples(samples, 4), 0);
    EXPECT_EQ(wave.ReadSamples(samples, -1), -1);
    wave.Close();
}
