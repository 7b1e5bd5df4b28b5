#pragma once

#include "audio/RiffFile.h"
#include "core/recorder/WaveSource.h"

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

// The format block: a WAVEFORMATEX followed by the format's extra bytes.
inline constexpr std::size_t kWaveFormatBlockSize = 148;
using TWaveFormatBlock = std::array<std::uint8_t, kWaveFormatBlockSize>;

// The WAVEFORMATEX at the start of a format block, field by field.
struct TWaveFormatEx {
    std::uint16_t FormatTag = 0;
    std::uint16_t Channels = 0;
    std::uint32_t SamplesPerSec = 0;
    std::uint32_t AvgBytesPerSec = 0;
    std::uint16_t BlockAlign = 0;
    std::uint16_t BitsPerSample = 0;
    std::uint16_t ExtraSize = 0;

    static TWaveFormatEx FromBlock(const TWaveFormatBlock& block);
    // Writes the 18 bytes of the record; the extra bytes stay as they are.
    void ToBlock(TWaveFormatBlock& block) const;
};

inline constexpr std::uint32_t kWaveFormType = FourCC("WAVE");
inline constexpr std::uint32_t kFmtChunkId = FourCC("fmt ");
inline constexpr std::uint32_t kFactChunkId = FourCC("fact");
inline constexpr std::uint32_t kDataChunkId = FourCC("data");
// The private chunk (see WaveAddInfo.h): bytes 21 08 19 62.
inline constexpr std::uint32_t kWaveAddInfoChunkId = 0x62190821u;
// A private chunk larger than this is skipped when reading: no version of it
// comes near, and the file cannot make us allocate what it likes.
inline constexpr std::uint32_t kMaxPrivateChunkRead = 64 * 1024;

// A RIFF/WAVE file written in one pass (Create, Write..., Close) or read
// back (Open, Read..., Close), with the private chunk beside the audio.
// Write mode: the private-chunk buffer is the caller's and must live until
// Close. Read mode: Open allocates it and Close frees it. One object may be
// used for one file after another. No operation throws.
class TWaveFile : public TWaveSource {
public:
    TWaveFile();
    explicit TWaveFile(const QString& fileName);
    ~TWaveFile() override;
    TWaveFile(const TWaveFile&) = delete;
    TWaveFile& operator=(const TWaveFile&) = delete;

    // Creates the named file and writes the headers. Fails for a format tag
    // not in the table and for 0 bits per sample.
    virtual bool Create();
    // Appends to the data chunk; the count, or a negative number on an error
    // (also when the RIFF or data size would pass 32 bits).
    virtual std::int32_t Write(const void* buffer, std::int32_t length);
    // Finishes a written file (data size, private chunk, RIFF size, 'fact'
    // count) or frees the private chunk of a read one. The file is released
    // even when finishing it fails; false then.
    virtual bool Close();
    // A written file is dropped unfinished: nothing of it stays, and a file
    // of its name is left as it was.
    void Abort();

    // Opens the named file and leaves it at the first data byte.
    bool Open();
    // Reads from the data chunk, never past its end.
    std::int32_t Read(void* buffer, std::int32_t length);

    static bool SetPcmFormat(TWaveFormatBlock* block, std::uint16_t channels, std::uint32_t samplesPerSec,
                             std::uint16_t bitsPerSample);
    static bool IsWaveFile(const QString& fileName);
    // The bytes Create writes before the first data byte for that format
    // block (the RIFF header, 'fmt ', 'fact' for formats other than PCM,
    // the 'data' header); -1 for a block Create refuses.
    static std::int64_t HeaderBytes(const TWaveFormatBlock& block);

    TWaveSourceFormat SourceFormat() const override;
    std::int32_t ReadSamples(std::int16_t* out, std::int32_t count) override;

    const QString& FileName() const { return FFileName; }
    void SetFileName(const QString& fileName) { FFileName = fileName; }
    TWaveFormatBlock& FormatBlock() { return FFormat; }
    const TWaveFormatBlock& FormatBlock() const { return FFormat; }
    TWaveFormatEx Format() const { return TWaveFormatEx::FromBlock(FFormat); }

    // Write mode: the caller's buffer (length -1 = no private chunk).
    void SetPrivateChunk(std::uint8_t* data, std::int32_t length);
    std::uint8_t* PrivateChunk() const { return FPrivateChunk; }
    std::int32_t PrivateChunkLength() const { return FPrivateChunkLength; }

    bool IsOpen() const { return FFile.IsOpen(); }
    // Written files: Close seals them but leaves the renaming to whoever
    // takes them (TakeSealed), so several files can get their names together.
    void SetHoldPublish(bool hold) { FFile.SetHoldPublish(hold); }
    std::unique_ptr<TStagedFile> TakeSealed() { return FFile.TakeSealed(); }
    // The last file Close published: its path, size and CRC-32.
    const TWrittenFile& Written() const { return FFile.Written(); }
    // Why writing the file failed ("Writing error", file, reason), if it did.
    const QString& LastError() const { return FFile.LastError(); }
    std::uint64_t DataBytes() const { return FBytes; }
    std::int64_t WritePosition() const { return FWritePos; }
    std::uint32_t FactCount() const { return FFactCount; }
    // After Open: the file offset of the first data byte.
    std::int64_t DataOffset() const { return FChunk.DataOffset; }

protected:
    bool FinishWritten();
    void DropOwnPrivateChunk();

    TRiffFile FFile;
    TRiffChunk FRiff;
    TRiffChunk FChunk;  // 'fmt ', then 'data'
    TRiffChunk FFactChunk;
    TRiffChunk FPrivateChunkInfo;
    std::uint8_t* FPrivateChunk = nullptr;
    std::int32_t FPrivateChunkLength = -1;
    QString FFileName;
    TWaveFormatBlock FFormat{};
    std::uint32_t FFactCount = 0;
    std::uint64_t FBytes = 0;
    std::int64_t FWritePos = 0;

private:
    std::vector<std::uint8_t> m_ownPrivateChunk;  // read mode
    bool m_ownsPrivateChunk = false;
};
