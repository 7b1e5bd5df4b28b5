#pragma once

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "core/recorder/CustomFile.h"
#include "core/recorder/JobOutcome.h"
#include "core/settings/StagedFile.h"

class TCustomSoundFileInfo;
class TSoxResampler;
class TTransferUi;

// The "Dialect" raw file: a 128-byte header whose first u32 is the size of
// the whole file, then 16-bit words of 12-bit offset binary at 11150 Hz.
namespace dialect {
inline constexpr std::uint32_t kHeaderSize = 128;
inline constexpr std::uint32_t kRate = 11150;
// s / 16 truncates toward zero (not a shift): -1 gives 0x800, not 0x7FF.
constexpr std::uint16_t Word(std::int16_t sample)
{
    return static_cast<std::uint16_t>(sample / 16 + 0x800);
}
// The bytes of a file made of pcmBytes of 16-bit audio at inputRate: the
// header and SoX's rate output, which ends at the input's sample count per
// channel times kRate / inputRate, rounded to the nearest.
std::uint64_t FileBytes(std::uint64_t pcmBytes, std::uint32_t inputRate, std::uint16_t channels);
}  // namespace dialect

// The download sink of a Dialect file: pieces go to the resampler; its
// output comes back on the SoX thread and is written here.
class TDialectWaveFile : public TCustomFile {
public:
    explicit TDialectWaveFile(TStagedFile& file);

    void SetResampler(TSoxResampler* resampler) { m_resampler = resampler; }

    std::int32_t Read(void* buffer, std::int32_t length) override;
    // Answers the length, 0 once writing the file failed (shown once, as
    // "Writing error"); a piece of no bytes answers 1 and does nothing.
    std::int32_t Write(const void* buffer, std::int32_t length) override;

    // The SoX thread's output: converted and appended. False on a short write.
    bool WriteSamples(const std::int16_t* samples, std::size_t count);
    // The 128 bytes of the header, its size field still 0.
    bool WriteHeader();
    // Writes the header's size field. False on a failure.
    bool PatchHeader();
    // Shows the write failure unless that has been done already.
    void ReportWriteError();

    std::uint32_t Total() const { return FTotal; }
    bool WriteFailed() const { return m_failed.load(std::memory_order_acquire); }

private:
    bool WriteAll(const void* data, std::size_t bytes);

    TStagedFile& FFile;
    std::uint32_t FTotal = 0;
    TSoxResampler* m_resampler = nullptr;
    std::vector<std::uint8_t> m_words;  // the SoX thread's
    QString m_error;                    // "Writing error", file and reason, set before m_failed
    std::atomic<bool> m_failed{false};
    std::atomic<bool> m_reported{false};
};

// The Dialect path of DownloadRecordToFile: creates the file, runs the
// download through the resampler (runJob starts the job on the sink and
// waits for it) and finishes the file. True only for a completed job and a
// finished file, which gets its name only then (written, when given, then
// holds its path, size and CRC-32); the recording's status is never changed
// here.
bool DownloadDialect(const QString& fileName, const TCustomSoundFileInfo& item,
                     const std::function<TJobOutcome(TCustomFile&)>& runJob, TTransferUi& ui,
                     TWrittenFile* written = nullptr);
