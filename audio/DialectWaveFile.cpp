#include "audio/DialectWaveFile.h"

#include <algorithm>
#include <cerrno>

#include "audio/SoxResampler.h"
#include "audio/TransferMessages.h"
#include "audio/TransferUi.h"
#include "core/flash/SoundFileInfo.h"
#include "core/protocol/DebugLog.h"

std::uint64_t dialect::FileBytes(std::uint64_t pcmBytes, std::uint32_t inputRate, std::uint16_t channels)
{
    const std::uint64_t perChannel = pcmBytes / 2 / std::max<std::uint16_t>(channels, 1);
    if (inputRate == 0 || perChannel == 0)
        return kHeaderSize;
    // As the rate effect counts at its end: input / (in / out) + 0.5, cut.
    const double factor = static_cast<double>(inputRate) / kRate;
    const auto out = static_cast<std::uint64_t>(static_cast<double>(perChannel) / factor + 0.5);
    return kHeaderSize + 2 * out * std::max<std::uint16_t>(channels, 1);
}

TDialectWaveFile::TDialectWaveFile(TStagedFile& file) : FFile(file) {}

std::int32_t TDialectWaveFile::Read(void*, std::int32_t)
{
    return 0;
}

std::int32_t TDialectWaveFile::Write(const void* buffer, std::int32_t length)
{
    if (length < 0 || m_resampler == nullptr)
        return 0;
    if (length == 0)
        return 1;
    if (!WriteFailed())
        m_resampler->Feed(buffer, static_cast<std::size_t>(length));
    if (WriteFailed()) {
        ReportWriteError();
        return 0;
    }
    // Without SoX the samples would go nowhere: stop the job.
    if (m_resampler->Failed()) {
        DebugLog(QStringLiteral("Dialect: the resampler stopped"));
        return 0;
    }
    return length;
}

bool TDialectWaveFile::WriteSamples(const std::int16_t* samples, std::size_t count)
{
    if (WriteFailed())
        return false;
    m_words.resize(2 * count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint16_t word = dialect::Word(samples[i]);
        m_words[2 * i] = static_cast<std::uint8_t>(word);
        m_words[2 * i + 1] = static_cast<std::uint8_t>(word >> 8);
    }
    return WriteAll(m_words.data(), m_words.size());
}

bool TDialectWaveFile::WriteAll(const void* data, std::size_t bytes)
{
    try {
        FFile.Write(data, bytes);
    } catch (const EFileWriteError& error) {
        // The text at once, on the thread that failed.
        m_error = error.Text();
        m_failed.store(true, std::memory_order_release);
        return false;
    }
    FTotal += static_cast<std::uint32_t>(bytes);
    return true;
}

bool TDialectWaveFile::WriteHeader()
{
    // Zeros for now; the header counts in the file's size.
    const std::uint8_t header[dialect::kHeaderSize]{};
    return WriteAll(header, sizeof(header));
}

bool TDialectWaveFile::PatchHeader()
{
    std::uint8_t size[4];
    for (int i = 0; i < 4; ++i)
        size[i] = static_cast<std::uint8_t>(FTotal >> (8 * i));
    try {
        FFile.Seek(0);
        FFile.Write(size, sizeof(size));
        FFile.Seek(FFile.Size());
    } catch (const EFileWriteError& error) {
        m_error = error.Text();
        m_failed.store(true, std::memory_order_release);
        ReportWriteError();
        return false;
    }
    return true;
}

void TDialectWaveFile::ReportWriteError()
{
    if (!WriteFailed() || m_reported.exchange(true))
        return;
    ShowFileError(m_error);
}

bool DownloadDialect(const QString& fileName, const TCustomSoundFileInfo& item,
                     const std::function<TJobOutcome(TCustomFile&)>& runJob, TTransferUi& ui, TWrittenFile* written)
{
    TStagedFile file(fileName);
    try {
        file.Create();
    } catch (const EFileWriteError& error) {
        ShowCantCreate(fileName, error.Error());
        return false;
    }

    bool ok = true;
    TJobOutcome outcome = TJobOutcome::None;
    TDialectWaveFile sink(file);
    ok = sink.WriteHeader();
    if (ok) {
        // Declared after the sink: the resampler's thread ends before the sink goes.
        TSoxResampler resampler(
            item.Format.SamplesPerSec, item.Format.Channels, dialect::kRate,
            [&](const std::int16_t* samples, std::size_t count) { return sink.WriteSamples(samples, count); });
        sink.SetResampler(&resampler);
        outcome = runJob(sink);
        // Cancelled or failed, SoX still gets the end of its input and ends.
        ok = resampler.Finish();
        sink.SetResampler(nullptr);
    }
    if (ui.CancelRequested() || outcome == TJobOutcome::Aborted)
        return false;  // the file goes with its staging
    if (sink.WriteFailed()) {
        sink.ReportWriteError();
        return false;
    }
    if (!ok || outcome != TJobOutcome::Completed || !sink.PatchHeader())
        return false;
    try {
        const TWrittenFile done = file.Publish();
        if (written)
            *written = done;
    } catch (const EFileWriteError& error) {
        ShowFileError(error.Text());
        return false;
    }
    return true;
}
