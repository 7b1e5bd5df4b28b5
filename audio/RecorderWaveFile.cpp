#include "audio/RecorderWaveFile.h"

#include <algorithm>
#include <cerrno>

#include "audio/CrcWaveFile.h"
#include "audio/FileNameMask.h"
#include "audio/RecordMarks.h"
#include "audio/TransferMessages.h"
#include "audio/WaveAddInfo.h"

namespace {

constexpr std::uint32_t kChunkHeader = 8;
// The framed mark stream adds a sealed block before and after the audio.
constexpr std::uint32_t kMarkFrame = 2 * sizeof(TMarkBlock);

// What a part holds besides its audio: the headers, the mark's frame and
// the private chunk (length -1: none). Counted against the limit, so no
// part passes it.
std::uint64_t PartOverhead(std::uint64_t headerBytes, std::int32_t privateChunkLength)
{
    std::uint64_t fixed = headerBytes + kMarkFrame;
    if (privateChunkLength >= 0)
        fixed += kChunkHeader + ((static_cast<std::uint32_t>(privateChunkLength) + 1u) & ~1u);
    return fixed;
}

// The audio bytes a part of that overhead takes (even: whole samples).
std::uint64_t PartCapacity(std::uint32_t limit, std::uint64_t overhead)
{
    return limit > overhead ? (limit - overhead) & ~std::uint64_t{1} : 0;
}

void StoreU32(std::uint8_t* at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

std::uint32_t PartLimitFromOptions(bool split, std::int64_t maxOutputSizeMiB)
{
    if (!split || maxOutputSizeMiB <= 0)
        return TRecorderWaveFile::kDefaultLimit;
    return static_cast<std::uint32_t>(std::min<std::int64_t>(maxOutputSizeMiB, 4095)) * 1024u * 1024u;
}

std::optional<std::uint64_t> PlannedWaveBytes(const TWaveFormatBlock& format, std::int32_t privateChunkLength,
                                              std::uint32_t limit, std::uint64_t pcmBytes)
{
    const std::int64_t header = TWaveFile::HeaderBytes(format);
    if (header < 0)
        return std::nullopt;
    // No piece of audio, no part (see Finish).
    if (pcmBytes == 0)
        return 0;
    const std::uint64_t overhead = PartOverhead(static_cast<std::uint64_t>(header), privateChunkLength);
    const std::uint64_t capacity = PartCapacity(limit, overhead);
    if (capacity == 0)
        return std::nullopt;
    // Every part but the last is full; an odd data chunk gets its pad.
    const std::uint64_t parts = (pcmBytes + capacity - 1) / capacity;
    return parts * overhead + pcmBytes + (pcmBytes & 1u);
}

TRecorderWaveFile::TRecorderWaveFile(TCrcWaveFile& waveFile, const QString& serialNumber)
    : FWaveFile(waveFile), FBaseName(waveFile.FileName()), m_serial(serialNumber)
{
    FWaveFile.SetPrivateChunk(nullptr, -1);
    FWaveFile.SetHoldPublish(true);
}

TRecorderWaveFile::~TRecorderWaveFile()
{
    Discard();
}

std::int32_t TRecorderWaveFile::Read(void* buffer, std::int32_t length)
{
    return FWaveFile.Read(buffer, length);
}

std::int32_t TRecorderWaveFile::Write(const void* buffer, std::int32_t length)
{
    if (m_failed || length < 0)
        return 0;
    if (length == 0)
        return 1;
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    std::span<const std::uint8_t> piece(bytes, static_cast<std::size_t>(length));
    // The mark takes a piece of 1024 bytes or less as the end of the stream:
    // such a piece waits to be joined with the next.
    if (!m_held.empty()) {
        m_join.assign(m_held.begin(), m_held.end());
        m_join.insert(m_join.end(), piece.begin(), piece.end());
        m_held.clear();
        piece = m_join;
    }
    if (!Hand(piece)) {
        m_failed = true;
        if (m_error.isEmpty())
            m_error = FWaveFile.LastError();
        return 0;
    }
    return length;
}

bool TRecorderWaveFile::Hand(std::span<const std::uint8_t> piece)
{
    // Whole samples only: an odd byte waits for the rest of its sample.
    std::size_t even = piece.size() & ~std::size_t{1};
    while (even > MarkStream::kFinalFlushMax) {
        if (!OpenPart())
            return false;
        if (even <= Room()) {
            const std::uint8_t* out = nullptr;
            std::uint32_t outLength = 0;
            m_mark.Process(reinterpret_cast<const std::int16_t*>(piece.data()), static_cast<std::uint32_t>(even), out,
                           outLength);
            m_partInput += even;
            piece = piece.subspan(even);
            if (!WriteOut(out, outLength))
                return false;
            break;
        }
        // The part is full: what fits ends it, the rest starts the next.
        const std::size_t fill = static_cast<std::size_t>(Room()) & ~std::size_t{1};
        if (!HandFinal(piece.first(fill)))
            return false;
        piece = piece.subspan(fill);
        even = piece.size() & ~std::size_t{1};
    }
    m_held.assign(piece.begin(), piece.end());
    return true;
}

// Ends the open part's stream with piece (of any length) and closes it.
bool TRecorderWaveFile::HandFinal(std::span<const std::uint8_t> piece)
{
    const std::uint8_t* out = nullptr;
    std::uint32_t outLength = 0;
    if (piece.size() > MarkStream::kFinalFlushMax) {
        m_mark.Process(reinterpret_cast<const std::int16_t*>(piece.data()), static_cast<std::uint32_t>(piece.size()),
                       out, outLength);
        m_partInput += piece.size();
        if (!WriteOut(out, outLength))
            return false;
        piece = {};
    }
    m_mark.Process(reinterpret_cast<const std::int16_t*>(piece.data()), static_cast<std::uint32_t>(piece.size()), out,
                   outLength);
    m_partInput += piece.size();
    if (!WriteOut(out, outLength))
        return false;
    return ClosePart();
}

bool TRecorderWaveFile::Finish()
{
    if (!m_failed && (FWaveFile.IsOpen() || !m_held.empty())) {
        std::vector<std::uint8_t> tail;
        tail.swap(m_held);
        std::span<const std::uint8_t> piece(tail);
        // A held tail may still be too long for the room the part has left.
        bool ok = OpenPart();
        while (ok && piece.size() > Room()) {
            const std::size_t fill = static_cast<std::size_t>(Room()) & ~std::size_t{1};
            ok = HandFinal(piece.first(fill)) && OpenPart();
            piece = piece.subspan(fill);
        }
        if (!ok || !HandFinal(piece))
            m_failed = true;
    }
    if (FWaveFile.IsOpen() && !m_failed)
        ClosePart();
    if (m_failed) {
        if (m_error.isEmpty())
            m_error = FWaveFile.LastError();
        Discard();
    }
    return !m_failed;
}

bool TRecorderWaveFile::Publish()
{
    if (m_failed)
        return false;
    std::vector<TStagedFile*> parts;
    for (const std::unique_ptr<TStagedFile>& part : m_sealed)
        parts.push_back(part.get());
    try {
        m_written = PublishTogether(parts);
    } catch (const EFileWriteError& error) {
        m_error = error.Text();
        m_failed = true;
        Discard();
        return false;
    }
    m_sealed.clear();
    return true;
}

void TRecorderWaveFile::Discard()
{
    if (FWaveFile.IsOpen())
        FWaveFile.Abort();
    m_sealed.clear();
}

bool TRecorderWaveFile::OpenPart()
{
    if (FWaveFile.IsOpen())
        return true;
    const QString name = FPartNumber == 0 ? FBaseName : MakePartFileName(FBaseName, static_cast<int>(FPartNumber));
    FWaveFile.SetFileName(name);
    errno = 0;
    if (!FWaveFile.Create()) {
        const int error = errno;
        ShowCantCreate(name, error);
        m_error = FWaveFile.LastError();
        m_errorShown = true;
        return false;
    }
    m_partFiles.append(name);
    FWaveFile.ResetCrc();
    SetupRecordMarks(m_mark, FWaveFile, m_serial, FCodec, FNoPrivateChunk);
    m_capacity = PartCapacity(
        FLimit, PartOverhead(static_cast<std::uint64_t>(FWaveFile.WritePosition()), FWaveFile.PrivateChunkLength()));
    m_partInput = 0;
    return true;
}

bool TRecorderWaveFile::WriteOut(const std::uint8_t* data, std::uint32_t length)
{
    if (length == 0)
        return true;
    return FWaveFile.Write(data, static_cast<std::int32_t>(length)) == static_cast<std::int32_t>(length);
}

bool TRecorderWaveFile::ClosePart()
{
    std::uint8_t* chunk = FWaveFile.PrivateChunk();
    if (chunk != nullptr && FWaveFile.PrivateChunkLength() == waveaddinfo::kVersion5Size) {
        StoreU32(chunk + waveaddinfo::kCrcAt, waveaddinfo::MaskCrc(FWaveFile.GetCrc()));
        if (const auto block = m_mark.FinalBlock())
            std::copy(block->begin(), block->end(), chunk + waveaddinfo::kMarkAt);
    }
    ++FPartNumber;
    if (!FWaveFile.Close()) {
        m_error = FWaveFile.LastError();
        return false;
    }
    if (std::unique_ptr<TStagedFile> sealed = FWaveFile.TakeSealed())
        m_sealed.push_back(std::move(sealed));
    return true;
}
