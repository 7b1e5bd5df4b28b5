#pragma once

// Reading back what a download wrote: the parts' data, chunks and marks.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>
#include <zlib.h>

#include "audio/MarkExports.h"
#include "audio/WaveAddInfo.h"
#include "audio/WaveFile.h"

namespace downloaded {

inline constexpr std::size_t kBlock = sizeof(TMarkBlock);
inline constexpr int kMarkError = 93;  // three tones of 80 + 6 + 6 and the LSB

struct PartFile {
    std::vector<std::uint8_t> data;   // the data chunk: start block, audio, end block
    std::vector<std::uint8_t> chunk;  // the private chunk, empty without one
    std::int64_t fileSize = 0;
};

inline PartFile ReadPart(const QString& name)
{
    PartFile part;
    TWaveFile wave(name);
    if (!wave.Open()) {
        ADD_FAILURE() << "cannot open " << name.toStdString();
        return part;
    }
    part.data.resize(wave.DataBytes());
    EXPECT_EQ(wave.Read(part.data.data(), static_cast<std::int32_t>(part.data.size())),
              static_cast<std::int32_t>(part.data.size()));
    if (wave.PrivateChunk() != nullptr)
        part.chunk.assign(wave.PrivateChunk(), wave.PrivateChunk() + wave.PrivateChunkLength());
    wave.Close();
    part.fileSize = QFileInfo(name).size();
    return part;
}

inline const std::vector<std::uint8_t>* g_reading = nullptr;
inline std::size_t g_readAt = 0;

inline std::int32_t ReadMarked(void* buffer, std::int32_t length)
{
    const std::size_t n = std::min<std::size_t>(length, g_reading->size() - g_readAt);
    std::memcpy(buffer, g_reading->data() + g_readAt, n);
    g_readAt += n;
    return static_cast<std::int32_t>(n);
}

inline int CheckMarks(const PartFile& part, TMarkBlock* stored = nullptr)
{
    g_reading = &part.data;
    g_readAt = 0;
    TMarkBlock out{};
    const int result = mrk_Check(ReadMarked, part.chunk.data() + waveaddinfo::kMarkAt, &out);
    if (stored)
        *stored = out;
    return result;
}

inline std::uint32_t U32At(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

inline std::int16_t SampleAt(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    std::int16_t s;
    std::memcpy(&s, bytes.data() + at, 2);
    return s;
}

// Every sample of expected in order within the mark's error; the first
// difference found is reported.
inline void ExpectSameAudio(const std::vector<std::uint8_t>& audio, const std::vector<std::uint8_t>& expected)
{
    ASSERT_EQ(audio.size(), expected.size());
    for (std::size_t at = 0; at + 1 < audio.size(); at += 2)
        ASSERT_LE(std::abs(SampleAt(audio, at) - SampleAt(expected, at)), kMarkError) << "sample " << at / 2;
}

// Each part checks, carries zlib's CRC of its data masked, and its audio.
inline std::vector<std::uint8_t> CheckedAudioOf(const QStringList& names)
{
    std::vector<std::uint8_t> audio;
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const PartFile part = ReadPart(name);
        EXPECT_GT(part.data.size(), 2 * kBlock);
        if (part.data.size() <= 2 * kBlock)
            continue;
        EXPECT_EQ(part.chunk.size(), static_cast<std::size_t>(waveaddinfo::kVersion5Size));
        if (part.chunk.size() == static_cast<std::size_t>(waveaddinfo::kVersion5Size)) {
            EXPECT_EQ(CheckMarks(part), 0);
            const auto zlibCrc =
                static_cast<std::uint32_t>(crc32(0, part.data.data(), static_cast<uInt>(part.data.size())));
            EXPECT_EQ(U32At(part.chunk, 0), zlibCrc ^ 0x55555555u);
        }
        audio.insert(audio.end(), part.data.begin() + kBlock, part.data.end() - kBlock);
    }
    return audio;
}

}  // namespace downloaded
