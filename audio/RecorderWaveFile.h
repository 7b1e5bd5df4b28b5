#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "audio/MarkStream.h"
#include "audio/WaveFile.h"
#include "core/recorder/CustomFile.h"
#include "core/settings/StagedFile.h"

class TCrcWaveFile;

// The download sink for wave files: every piece is marked and written
// through the wave file, which is split into part files of at most Limit
// bytes each (the whole file: headers, data, the mark's blocks and the
// private chunk). Each part gets its own CRC, marks and private chunk.
// Write runs on the job thread; Finish and the rest on the caller's once
// the job has ended. No part gets its name before Publish: each part is
// written as a staged file and sealed when full; Publish names them all
// together, Discard (and the destructor, unless published) removes them.
class TRecorderWaveFile : public TCustomFile {
public:
    static constexpr std::uint32_t kDefaultLimit = 0xFFFFFC00u;

    // serialNumber is taken here, on the caller's thread, for the marks.
    TRecorderWaveFile(TCrcWaveFile& waveFile, const QString& serialNumber);
    ~TRecorderWaveFile() override;
    TRecorderWaveFile(const TRecorderWaveFile&) = delete;
    TRecorderWaveFile& operator=(const TRecorderWaveFile&) = delete;

    std::int32_t Read(void* buffer, std::int32_t length) override;
    // Answers 0 once a part could not be created or written; a piece of no
    // bytes changes nothing and answers 1.
    std::int32_t Write(const void* buffer, std::int32_t length) override;

    // Writes what is still held and finishes the open part. False when that,
    // or any write before it, failed.
    bool Finish();
    // Names the sealed parts together: all are linked under hidden names
    // first, then renamed in order. False (and the parts not yet renamed
    // removed) on a failure; one before the renames leaves every old file of
    // those names whole.
    bool Publish();
    // Drops the open part and every part not yet published.
    void Discard();
    // The published parts: final path, size and CRC-32 of each.
    const std::vector<TWrittenFile>& Written() const { return m_written; }
    // Why the sink failed ("Writing error", file, reason), and whether the
    // user was told already (a part that could not be created is told at once).
    const QString& ErrorText() const { return m_error; }
    bool ErrorShown() const { return m_errorShown; }

    void SetLimit(std::uint32_t limit) { FLimit = limit; }
    std::uint32_t Limit() const { return FLimit; }
    void SetCodec(std::uint8_t codec) { FCodec = codec; }
    void SetNoPrivateChunk(std::uint8_t flag) { FNoPrivateChunk = flag; }
    // Every part file created, in order.
    const QStringList& PartFiles() const { return m_partFiles; }
    bool Failed() const { return m_failed; }

private:
    bool OpenPart();
    bool Hand(std::span<const std::uint8_t> piece);
    bool HandFinal(std::span<const std::uint8_t> piece);
    bool WriteOut(const std::uint8_t* data, std::uint32_t length);
    bool ClosePart();
    std::uint64_t Room() const { return m_capacity - m_partInput; }

    TCrcWaveFile& FWaveFile;
    QString FBaseName;
    std::uint32_t FLimit = kDefaultLimit;
    std::uint32_t FPartNumber = 0;
    std::uint8_t FCodec = 0;
    std::uint8_t FNoPrivateChunk = 0;

    QString m_serial;
    MarkStream m_mark;
    std::uint64_t m_capacity = 0;      // input bytes the open part takes
    std::uint64_t m_partInput = 0;     // input bytes handed to it so far
    std::vector<std::uint8_t> m_held;  // a tail too short to hand on its own
    std::vector<std::uint8_t> m_join;
    QStringList m_partFiles;
    std::vector<std::unique_ptr<TStagedFile>> m_sealed;
    std::vector<TWrittenFile> m_written;
    QString m_error;
    bool m_errorShown = false;
    bool m_failed = false;
};

// The bytes a download of pcmBytes of audio puts on the disk, every part
// file together: each part's headers, mark frame and private chunk (of
// privateChunkLength bytes, -1 for none) around its share of the audio,
// parts of at most limit bytes, as the sink writes them. None for a format
// the wave file refuses or a limit no audio fits.
std::optional<std::uint64_t> PlannedWaveBytes(const TWaveFormatBlock& format, std::int32_t privateChunkLength,
                                              std::uint32_t limit, std::uint64_t pcmBytes);

// The part-size limit the program options ask for: the default without
// Split or with a size <= 0, else the size in MiB, at most 4095.
std::uint32_t PartLimitFromOptions(bool split, std::int64_t maxOutputSizeMiB);
