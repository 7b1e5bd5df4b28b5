#include "audio/WaveFile.h"

#include "audio/WaveFormatTags.h"

#include <QtEndian>

#include <algorithm>
#include <limits>

namespace {

constexpr std::uint64_t kMaxChunkSize = std::numeric_limits<std::uint32_t>::max();

std::uint16_t U16At(const TWaveFormatBlock& b, std::size_t at)
{
    return qFromLittleEndian<std::uint16_t>(b.data() + at);
}
std::uint32_t U32At(const TWaveFormatBlock& b, std::size_t at)
{
    return qFromLittleEndian<std::uint32_t>(b.data() + at);
}

bool WriteU32(TRiffFile& file, std::uint32_t value)
{
    const std::uint32_t le = qToLittleEndian(value);
    return file.Write(&le, 4) == 4;
}

}  // namespace

TWaveFormatEx TWaveFormatEx::FromBlock(const TWaveFormatBlock& block)
{
    TWaveFormatEx f;
    f.FormatTag = U16At(block, 0);
    f.Channels = U16At(block, 2);
    f.SamplesPerSec = U32At(block, 4);
    f.AvgBytesPerSec = U32At(block, 8);
    f.BlockAlign = U16At(block, 12);
    f.BitsPerSample = U16At(block, 14);
    f.ExtraSize = U16At(block, 16);
    return f;
}

void TWaveFormatEx::ToBlock(TWaveFormatBlock& block) const
{
    qToLittleEndian(FormatTag, block.data() + 0);
    qToLittleEndian(Channels, block.data() + 2);
    qToLittleEndian(SamplesPerSec, block.data() + 4);
    qToLittleEndian(AvgBytesPerSec, block.data() + 8);
    qToLittleEndian(BlockAlign, block.data() + 12);
    qToLittleEndian(BitsPerSample, block.data() + 14);
    qToLittleEndian(ExtraSize, block.data() + 16);
}

TWaveFile::TWaveFile()
{
    SetPcmFormat(&FFormat, 1, 8000, 16);
}

TWaveFile::TWaveFile(const QString& fileName) : TWaveFile()
{
    FFileName = fileName;
}

TWaveFile::~TWaveFile()
{
    if (IsOpen())
        TWaveFile::Close();
}

bool TWaveFile::SetPcmFormat(TWaveFormatBlock* block, std::uint16_t channels, std::uint32_t samplesPerSec,
                             std::uint16_t bitsPerSample)
{
    if (!block)
        return false;
    TWaveFormatEx f;
    f.FormatTag = kWaveFormatPcm;
    f.Channels = channels;
    f.SamplesPerSec = samplesPerSec;
    f.BitsPerSample = bitsPerSample;
    f.BlockAlign = static_cast<std::uint16_t>((bitsPerSample + 7) / 8 * channels);
    f.AvgBytesPerSec = f.BlockAlign * samplesPerSec;
    f.ExtraSize = 0;
    f.ToBlock(*block);
    return true;
}

bool TWaveFile::IsWaveFile(const QString& fileName)
{
    TWaveFile file(fileName);
    const bool opened = file.Open();
    file.Close();
    return opened;
}

std::int64_t TWaveFile::HeaderBytes(const TWaveFormatBlock& block)
{
    constexpr std::int64_t kRiffHeader = 12;
    constexpr std::int64_t kChunkHeader = 8;
    constexpr std::int64_t kFactChunk = kChunkHeader + 4;
    const TWaveFormatEx format = TWaveFormatEx::FromBlock(block);
    const std::optional<TWaveFormatTag> tag = FindWaveFormatTag(format.FormatTag);
    if (!tag || format.BitsPerSample == 0)
        return -1;
    // Ascend pads an odd chunk.
    const std::int64_t fmt = kChunkHeader + ((tag->FormatSize + 1) & ~1);
    const std::int64_t fact = format.FormatTag != kWaveFormatPcm ? kFactChunk : 0;
    return kRiffHeader + fmt + fact + kChunkHeader;
}

void TWaveFile::SetPrivateChunk(std::uint8_t* data, std::int32_t length)
{
    DropOwnPrivateChunk();
    FPrivateChunk = data;
    FPrivateChunkLength = length;
}

void TWaveFile::DropOwnPrivateChunk()
{
    if (!m_ownsPrivateChunk)
        return;
    std::vector<std::uint8_t>().swap(m_ownPrivateChunk);
    m_ownsPrivateChunk = false;
    FPrivateChunk = nullptr;
    FPrivateChunkLength = -1;
}

bool TWaveFile::Create()
{
    if (IsOpen())
        return false;
    FBytes = 0;
    const TWaveFormatEx format = Format();
    const std::optional<TWaveFormatTag> tag = FindWaveFormatTag(format.FormatTag);
    // The 'fact' count divides by the bits per sample.
    if (!tag || format.BitsPerSample == 0)
        return false;
    if (!FFile.Create(FFileName))
        return false;

    FRiff = {};
    FRiff.FormType = kWaveFormType;
    FChunk = {};
    FChunk.Id = kFmtChunkId;
    FChunk.Size = tag->FormatSize;
    FFactCount = 0;
    bool ok = FFile.CreateChunk(FRiff, true) && FFile.CreateChunk(FChunk, false) &&
              FFile.Write(FFormat.data(), tag->FormatSize) == tag->FormatSize && FFile.Ascend(FChunk);
    FFactChunk = {};
    if (ok && format.FormatTag != kWaveFormatPcm) {
        FFactChunk.Id = kFactChunkId;
        FFactChunk.Size = 4;
        ok = FFile.CreateChunk(FFactChunk, false) && WriteU32(FFile, FFactCount) && FFile.Ascend(FFactChunk);
    }
    FChunk = {};
    FChunk.Id = kDataChunkId;
    ok = ok && FFile.CreateChunk(FChunk, false);
    if (!ok) {
        FFile.Abort();
        return false;
    }
    FWritePos = FFile.Position();
    return true;
}

std::int32_t TWaveFile::Write(const void* buffer, std::int32_t length)
{
    if (!IsOpen() || !FFile.IsWriting() || length < 0)
        return -1;
    // Past 32 bits the RIFF and data sizes would wrap and leave a file
    // nobody can read; the RIFF size counts the pad of an odd data chunk.
    const std::uint64_t bytes = FBytes + static_cast<std::uint64_t>(length);
    const std::uint64_t riffSize = static_cast<std::uint64_t>(FWritePos) + length + (bytes & 1u) - 8;
    if (bytes > kMaxChunkSize || riffSize > kMaxChunkSize)
        return -1;
    const std::int32_t count = FFile.Write(buffer, length);
    if (count < 0)
        return count;
    FBytes += static_cast<std::uint64_t>(count);
    FWritePos += count;
    // Create refused 0 bits; the block may have been edited since.
    const std::uint16_t bits = Format().BitsPerSample;
    if (bits != 0)
        FFactCount += static_cast<std::uint32_t>(static_cast<std::int64_t>(count) * 8 / bits);
    return count;
}

bool TWaveFile::FinishWritten()
{
    if (!FFile.Ascend(FChunk))
        return false;
    if (FPrivateChunkLength >= 0) {
        if (FPrivateChunkLength > 0 && !FPrivateChunk)
            return false;
        FPrivateChunkInfo = {};
        FPrivateChunkInfo.Id = kWaveAddInfoChunkId;
        if (!FFile.CreateChunk(FPrivateChunkInfo, false) ||
            FFile.Write(FPrivateChunk, FPrivateChunkLength) != FPrivateChunkLength || !FFile.Ascend(FPrivateChunkInfo))
            return false;
    }
    if (!FFile.Ascend(FRiff))
        return false;
    if (FFactChunk.Id == kFactChunkId)
        return FFile.Seek(FFactChunk.DataOffset) && WriteU32(FFile, FFactCount);
    return true;
}

bool TWaveFile::Close()
{
    if (!IsOpen())
        return false;
    if (!FFile.IsWriting()) {
        DropOwnPrivateChunk();
        return FFile.Close();
    }
    // Released whatever finishing did, so the object can take the next file;
    // an unfinished file never gets its name.
    if (!FinishWritten()) {
        FFile.Abort();
        return false;
    }
    return FFile.Close();
}

void TWaveFile::Abort()
{
    if (FFile.IsWriting())
        FFile.Abort();
    else if (IsOpen())
        Close();
}

bool TWaveFile::Open()
{
    if (IsOpen())
        return false;
    // Nothing of the last file survives into this one.
    FFormat.fill(0);
    FBytes = 0;
    FWritePos = 0;
    FFactCount = 0;
    // A caller's buffer from writing is not this file's chunk.
    DropOwnPrivateChunk();
    FPrivateChunk = nullptr;
    FPrivateChunkLength = -1;
    if (!FFile.Open(FFileName))
        return false;

    const auto fail = [this] {
        DropOwnPrivateChunk();
        FFile.Close();
        return false;
    };
    FRiff = {};
    FRiff.FormType = kWaveFormType;
    if (!FFile.Descend(FRiff, nullptr, TRiffFile::TFind::Riff))
        return fail();
    FChunk = {};
    FChunk.Id = kFmtChunkId;
    if (!FFile.Descend(FChunk, &FRiff, TRiffFile::TFind::Chunk) || FChunk.Size < 16)
        return fail();
    // The block holds 148 bytes; Ascend skips whatever a longer chunk has more.
    const std::int32_t formatBytes =
        static_cast<std::int32_t>(std::min<std::uint32_t>(FChunk.Size, kWaveFormatBlockSize));
    if (FFile.Read(FFormat.data(), formatBytes) != formatBytes || !FFile.Ascend(FChunk))
        return fail();

    FPrivateChunkInfo = {};
    FPrivateChunkInfo.Id = kWaveAddInfoChunkId;
    if (FFile.Descend(FPrivateChunkInfo, &FRiff, TRiffFile::TFind::Chunk) &&
        FPrivateChunkInfo.Size <= kMaxPrivateChunkRead) {
        const std::int32_t size = static_cast<std::int32_t>(FPrivateChunkInfo.Size);
        m_ownPrivateChunk.resize(static_cast<std::size_t>(size));
        m_ownsPrivateChunk = true;
        FPrivateChunk = m_ownPrivateChunk.data();
        FPrivateChunkLength = size;
        if (FFile.Read(m_ownPrivateChunk.data(), size) != size)
            return fail();
    }

    FChunk = {};
    FChunk.Id = kDataChunkId;
    if (!FFile.Seek(FRiff.DataOffset + 4) || !FFile.Descend(FChunk, &FRiff, TRiffFile::TFind::Chunk))
        return fail();
    FBytes = FChunk.Size;
    return true;
}

std::int32_t TWaveFile::Read(void* buffer, std::int32_t length)
{
    if (!IsOpen() || FFile.IsWriting() || length < 0)
        return -1;
    const std::int64_t left = std::max<std::int64_t>(0, FChunk.DataOffset + FChunk.Size - FFile.Position());
    return FFile.Read(buffer, static_cast<std::int32_t>(std::min<std::int64_t>(length, left)));
}

std::int32_t TWaveFile::ReadSamples(std::int16_t* out, std::int32_t count)
{
    if (count < 0 || count > std::numeric_limits<std::int32_t>::max() / 2)
        return -1;
    // Little-endian samples, as the machine keeps them.
    auto* bytes = reinterpret_cast<std::uint8_t*>(out);
    const std::int32_t wanted = count * 2;
    std::int32_t got = 0;
    while (got < wanted) {
        const std::int32_t n = Read(bytes + got, wanted - got);
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        got += n;
    }
    // An odd last byte is half a sample.
    return got / 2;
}

TWaveSourceFormat TWaveFile::SourceFormat() const
{
    const TWaveFormatEx f = Format();
    TWaveSourceFormat source;
    source.FormatTag = f.FormatTag;
    source.Channels = f.Channels;
    source.SamplesPerSec = f.SamplesPerSec;
    source.BitsPerSample = f.BitsPerSample;
    source.DataBytes = FBytes;
    return source;
}
