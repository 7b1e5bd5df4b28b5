#include "audio/DialectWaveFile.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "audio/SoxResampler.h"
#include "audio/TransferMessages.h"
#include "audio/TransferUi.h"
#include "core/flash/SoundFileInfo.h"
#include "core/protocol/DebugLog.h"
#include "core/settings/FileUtils.h"

TDialectWaveFile::TDialectWaveFile(HANDLE file) : FFile(file) {}

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
    const auto* at = static_cast<const std::uint8_t*>(data);
    while (bytes > 0) {
        const ssize_t done = ::write(FFile, at, bytes);
        if (done <= 0) {
            if (done < 0 && errno == EINTR)
                continue;
            // The system's text at once, on the thread that failed.
            m_error = GetSystemErrorText(done < 0 ? errno : ENOSPC);
            m_failed.store(true, std::memory_order_release);
            return false;
        }
        at += done;
        bytes -= static_cast<std::size_t>(done);
        FTotal += static_cast<std::uint32_t>(done);
    }
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
    return ::pwrite(FFile, size, sizeof(size), 0) == static_cast<ssize_t>(sizeof(size));
}

void TDialectWaveFile::ReportWriteError()
{
    if (!WriteFailed() || m_reported.exchange(true))
        return;
    ShowWritingError(m_error);
}

bool DownloadDialect(const QString& fileName, const TCustomSoundFileInfo& item,
                     const std::function<TJobOutcome(TCustomFile&)>& runJob, TTransferUi& ui)
{
    const QByteArray path = QFile::encodeName(fileName);
    const HANDLE file = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (file < 0) {
        ShowCantCreate(fileName, errno);
        return false;
    }

    // Closed on every way out, an exception from the job's start included.
    struct TCloser {
        HANDLE Handle;
        ~TCloser() { ::close(Handle); }
    } closer{file};
    bool ok = true;
    TJobOutcome outcome = TJobOutcome::None;
    {
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
        if (sink.WriteFailed()) {
            sink.ReportWriteError();
            ok = false;
        }
        ok = ok && sink.PatchHeader();
    }
    if (ui.CancelRequested() || outcome == TJobOutcome::Aborted) {
        QFile::remove(fileName);
        return false;
    }
    return ok && outcome == TJobOutcome::Completed;
}
