#include <gtest/gtest.h>

#include <QFile>

#include "audio/CrcWaveFile.h"
#include "audio/WaveFile.h"
#include "core/protocol/Crc32.h"
#include "tests/support/TempDir.h"
#include "tests/support/WavBuilder.h"

namespace {

using Bytes = WavBuilder::Bytes;

std::string Id(const Bytes& bytes, std::size_t at)
{
    return std::string(reinterpret_cast<const char*>(bytes.data() + at), 4);
}

void WriteAll(TWaveFile& file, const Bytes& data, std::size_t piece)
{
    for (std::size_t at = 0; at < data.size(); at += piece) {
        const auto n = static_cast<std::int32_t>(std::min(piece, data.size() - at));
        ASSERT_EQ(file.Write(data.data() + at, n), n);
    }
}

QString Name(const TempDir& dir, const char* name)
{
    return QString::fromStdString(dir.File(name));
}

}  // namespace

TEST(WaveFileWrite, PcmFileHasSixteenByteFmtNoFactAndExactlyTheDataWritten)
{
    TempDir dir;
    TWaveFile wave(Name(dir, "a.wav"));
    ASSERT_TRUE(wave.Create());
    EXPECT_EQ(wave.WritePosition(), 44);  // the headers count
    const Bytes data = WavBuilder::Counting(101);
    WriteAll(wave, data, 40);
    EXPECT_EQ(wave.WritePosition(), 44 + 101);
    EXPECT_EQ(wave.DataBytes(), 101u);
    ASSERT_TRUE(wave.Close());
    EXPECT_FALSE(wave.IsOpen());

    const Bytes file = ReadFileBytes(dir.File("a.wav"));
    ASSERT_EQ(file.size(), 44u + 102u);  // the odd data chunk is padded
    EXPECT_EQ(Id(file, 0), "RIFF");
    EXPECT_EQ(U32At(file, 4), file.size() - 8);
    EXPECT_EQ(Id(file, 8), "WAVE");
    EXPECT_EQ(Id(file, 12), "fmt ");
    EXPECT_EQ(U32At(file, 16), 16u);
    EXPECT_EQ(Bytes(file.begin() + 20, file.begin() + 36), WavBuilder::PcmFmt(1, 8000, 16));
    EXPECT_EQ(Id(file, 36), "data");
    EXPECT_EQ(U32At(file, 40), 101u);
    EXPECT_EQ(Bytes(file.begin() + 44, file.begin() + 145), data);
    EXPECT_EQ(file[145], 0);
}

TEST(WaveFileWrite, NonPcmFileGetsFactWithTheSumOfEachWritesSampleCount)
{
    TempDir dir;
    TWaveFile wave(Name(dir, "adpcm.wav"));
    TWaveFormatEx format = wave.Format();
    format.FormatTag = 0x0011;  // IMA ADPCM: a 20-byte 'fmt '
    format.BitsPerSample = 3;   // so each write rounds down on its own
    format.ExtraSize = 2;
    format.ToBlock(wave.FormatBlock());
    ASSERT_TRUE(wave.Create());
    EXPECT_EQ(wave.WritePosition(), 12 + 28 + 12 + 8);
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(wave.Write("x", 1), 1);      // 8 / 3 = 2 samples each
    ASSERT_EQ(wave.Write("abcdefghi", 9), 9);  // 72 / 3 = 24
    ASSERT_TRUE(wave.Close());

    const Bytes file = ReadFileBytes(dir.File("adpcm.wav"));
    EXPECT_EQ(U32At(file, 16), 20u);
    EXPECT_EQ(Id(file, 40), "fact");
    EXPECT_EQ(U32At(file, 44), 4u);
    EXPECT_EQ(U32At(file, 48), 3u * 2 + 24);
    EXPECT_EQ(Id(file, 52), "data");
    EXPECT_EQ(U32At(file, 56), 12u);
}

TEST(WaveFileWrite, PrivateChunkIsWrittenOnlyWhenItsLengthIsZeroOrMore)
{
    struct Case {
        std::int32_t length;
        std::size_t fileSize;  // 44 + 4 data bytes + the chunk
    };
    std::uint8_t chunk[5] = {9, 8, 7, 6, 5};
    for (const Case c : {Case{-1, 48}, Case{0, 56}, Case{5, 56 + 6}}) {
        SCOPED_TRACE(c.length);
        TempDir dir;
        TWaveFile wave(Name(dir, "p.wav"));
        wave.SetPrivateChunk(c.length >= 0 ? chunk : nullptr, c.length);
        ASSERT_TRUE(wave.Create());
        ASSERT_EQ(wave.Write("abcd", 4), 4);
        ASSERT_TRUE(wave.Close());
        EXPECT_EQ(wave.PrivateChunk(), c.length >= 0 ? chunk : nullptr);  // still the caller's

        const Bytes file = ReadFileBytes(dir.File("p.wav"));
        ASSERT_EQ(file.size(), c.fileSize);
        EXPECT_EQ(U32At(file, 4), file.size() - 8);
        if (c.length >= 0) {
            EXPECT_EQ(U32At(file, 48), kWaveAddInfoChunkId);
            EXPECT_EQ(U32At(file, 52), static_cast<std::uint32_t>(c.length));
            EXPECT_EQ(Bytes(file.begin() + 56, file.begin() + 56 + c.length), Bytes(chunk, chunk + c.length));
        }
    }
}

TEST(WaveFileWrite, CreateRefusesAnUnknownTagAndZeroBitsPerSample)
{
    TempDir dir;
    for (const auto& [tag, bits] : {std::pair<std::uint16_t, std::uint16_t>{0x1234, 16}, {1, 0}, {0x0011, 0}}) {
        SCOPED_TRACE(tag);
        TWaveFile wave(Name(dir, "no.wav"));
        TWaveFormatEx format = wave.Format();
        format.FormatTag = tag;
        format.BitsPerSample = bits;
        format.ToBlock(wave.FormatBlock());
        EXPECT_FALSE(wave.Create());
        EXPECT_FALSE(wave.IsOpen());
        EXPECT_EQ(wave.Write("ab", 2), -1);
        EXPECT_FALSE(QFile::exists(Name(dir, "no.wav")));
    }
}

TEST(WaveFileWrite, CreateFailsForAFolderThatDoesNotExist)
{
    TempDir dir;
    TWaveFile wave(Name(dir, "missing/a.wav"));
    EXPECT_FALSE(wave.Create());
    EXPECT_FALSE(wave.IsOpen());
    EXPECT_FALSE(wave.Close());
}

namespace {

// Puts the counters where hours of audio would have left them.
class LongWaveFile : public TWaveFile {
public:
    using TWaveFile::TWaveFile;
    void PretendWritten(std::uint64_t bytes)
    {
        FBytes = bytes;
        FWritePos = 44 + static_cast<std::int64_t>(bytes);
    }
};

}  // namespace

TEST(WaveFileWrite, WriteFailsInsteadOfWrappingTheRiffOrDataSize)
{
    struct Case {
        std::uint64_t written;
        std::int32_t length;
        bool accepted;
    };
    // A PCM file's RIFF size is 36 + data bytes + the pad of an odd chunk.
    constexpr std::uint64_t kMax = 0xFFFFFFFFull;
    const Case cases[] = {
        {kMax - 39, 2, true},            // RIFF size kMax - 1: the largest there is
        {kMax - 37, 1, false},           // the data fits, its pad byte does not
        {kMax - 37, 2, false},           // the RIFF size would pass 32 bits
        {0x100000000ull - 8, 8, false},  // and so would the data size
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written);
        TempDir dir;
        LongWaveFile wave(Name(dir, "long.wav"));
        ASSERT_TRUE(wave.Create());
        wave.PretendWritten(c.written);
        EXPECT_EQ(wave.Write("abcdefgh", c.length), c.accepted ? c.length : -1);
        EXPECT_EQ(wave.DataBytes(), c.written + (c.accepted ? c.length : 0));
    }
}

TEST(WaveFileWrite, FailedCloseStillReleasesTheFileForTheNext)
{
    TempDir dir;
    TWaveFile wave(Name(dir, "a.wav"));
    wave.SetPrivateChunk(nullptr, 4);  // a length without a buffer cannot be written
    ASSERT_TRUE(wave.Create());
    ASSERT_EQ(wave.Write("ab", 2), 2);
    EXPECT_FALSE(wave.Close());
    EXPECT_FALSE(wave.IsOpen());

    wave.SetPrivateChunk(nullptr, -1);
    wave.SetFileName(Name(dir, "b.wav"));
    ASSERT_TRUE(wave.Create());
    ASSERT_EQ(wave.Write("cd", 2), 2);
    EXPECT_TRUE(wave.Close());
    EXPECT_TRUE(TWaveFile::IsWaveFile(Name(dir, "b.wav")));
}

TEST(WaveFileWrite, OneObjectWritesTwoFilesInTurn)
{
    TempDir dir;
    TCrcWaveFile wave;
    std::uint8_t chunk[4] = {1, 2, 3, 4};
    wave.SetPrivateChunk(chunk, 4);
    const Bytes first = WavBuilder::Counting(3000);
    const Bytes second = WavBuilder::Counting(17);
    std::uint32_t crcs[2] = {};
    for (int part = 0; part < 2; ++part) {
        const Bytes& data = part == 0 ? first : second;
        wave.SetFileName(Name(dir, part == 0 ? "rec.wav" : "rec_0001.wav"));
        ASSERT_TRUE(wave.Create());
        wave.ResetCrc();
        EXPECT_EQ(wave.DataBytes(), 0u);
        EXPECT_EQ(wave.WritePosition(), 44);
        WriteAll(wave, data, 1000);
        crcs[part] = wave.GetCrc();
        chunk[0] = static_cast<std::uint8_t>(10 + part);  // the caller edits its buffer until Close
        ASSERT_TRUE(wave.Close());
    }

    for (int part = 0; part < 2; ++part) {
        const Bytes& data = part == 0 ? first : second;
        TWaveFile back(Name(dir, part == 0 ? "rec.wav" : "rec_0001.wav"));
        ASSERT_TRUE(back.Open());
        Bytes read(data.size() + 10);
        ASSERT_EQ(back.Read(read.data(), static_cast<std::int32_t>(read.size())),
                  static_cast<std::int32_t>(data.size()));
        read.resize(data.size());
        EXPECT_EQ(read, data);
        ASSERT_EQ(back.PrivateChunkLength(), 4);
        EXPECT_EQ(back.PrivateChunk()[0], 10 + part);
        TCrc32 crc;
        crc.Update(data.data(), static_cast<std::uint32_t>(data.size()));
        EXPECT_EQ(crcs[part], crc.Register());
    }
}
