#include "audio/UploadToRecorder.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QtEndian>
#include <cmath>
#include <optional>
#include <stdexcept>

#include "audio/TransferUi.h"
#include "audio/WaveFile.h"
#include "core/recorder/CustomRecorder.h"
#include "core/recorder/MessageBoxCodes.h"
#include "core/recorder/RecorderHost.h"
#include "core/recorder/RecorderJobs.h"
#include "core/settings/FileUtils.h"
#include "core/settings/StagedFile.h"
#include "core/transfer/UploadJournal.h"
#include "localizer/LangConst.h"
#include "localizer/LangFormat.h"

namespace {

// Version 5 of the private chunk: the recording's SYSTEMTIME at byte 88.
constexpr std::int32_t kVersion5ChunkSize = 170;
constexpr std::size_t kRecordingTimeOffset = 88;
// How often the status line follows the job while it writes.
constexpr int kStatusIntervalMs = 100;

SYSTEMTIME ReadSystemTime(const std::uint8_t* at)
{
    auto field = [at](int i) { return qFromLittleEndian<std::uint16_t>(at + 2 * i); };
    return SYSTEMTIME{field(0), field(1), field(2), field(3), field(4), field(5), field(6), field(7)};
}

SYSTEMTIME RecordingTime(const TWaveFile& wave, const QString& fileName)
{
    if (wave.PrivateChunkLength() == kVersion5ChunkSize && wave.PrivateChunk())
        return ReadSystemTime(wave.PrivateChunk() + kRecordingTimeOffset);
    SYSTEMTIME time{};
    GetFileLocalTime(fileName, time);
    return time;
}

int Box(const QString& text, std::uint32_t flags)
{
    return RecorderHost().AppMessageBox(text, flags, LangConst(QStringLiteral("AppNameStr")));
}

}  // namespace

bool UploadWaveAsRecord(TCustomRecorder* recorder, const QString& fileName, std::uint16_t record, TTransferUi& ui)
{
    TWaveFile wave(fileName);  // closed when it goes, after the job has ended
    if (!wave.Open()) {
        Box(LangConst(QStringLiteral("CantOpenStr")) + QStringLiteral(" ") + fileName, 0);
        return false;
    }
    const SYSTEMTIME time = RecordingTime(wave, fileName);
    const std::int64_t needed = recorder->GetUploadSize(&wave);
    if (needed < 0) {
        Box(LangConst(QStringLiteral("UnsuppAudioFmtStr")), 0);
        return false;
    }
    if (recorder->GetFreeMemory() < needed &&
        Box(LangConst(QStringLiteral("NotEnoughSpaceLoadPartlyStr")), MB_YESNO | MB_ICONWARNING) != IDYES)
        return false;

    // Noted before the first page is written: a cut upload is told on the
    // next connect. No note, no upload.
    std::optional<TUploadJournalScope> journal;
    try {
        journal.emplace(RecordingUploadJournal(*recorder, fileName, record, wave.SourceFormat(), time, needed));
    } catch (const EFileWriteError& error) {
        Box(error.Text(), 0);
        return false;
    }

    ui.SetStatusText(LangConst(QStringLiteral("StatusPreparingStr")));
    // The job runner serves the event loop while it waits: the timer keeps
    // the speed in the status line and hands Cancel on (the upload itself
    // finishes the file; the caller stops the next one).
    QElapsedTimer clock;
    QTimer status;
    status.setInterval(kStatusIntervalMs);
    QObject::connect(&status, &QTimer::timeout, [&] {
        if (recorder->GetState() == rsWriting) {
            const double seconds = static_cast<double>(clock.elapsed()) * 0.001;
            const std::int64_t done = needed * recorder->GetProgress() / 100;
            const qint64 speed = seconds > 0 ? std::llround(static_cast<double>(done) / seconds / 1024) : 0;
            ui.SetStatusText(LangConstFormat(QStringLiteral("StatusUploadingRecordStr"), speed) + QStringLiteral(" ") +
                             QString::number(record));
        }
        if (ui.CancelRequested())
            recorder->Abort();
    });
    TJobOutcome outcome = TJobOutcome::None;
    try {
        outcome = ui.RunJob(*recorder, fileName, true, [&] {
            clock.start();
            recorder->StartUpload(record, &wave, time);
            status.start();
        });
    } catch (const std::logic_error&) {
        // Refused before it started: nothing was written.
        journal->Ended();
        throw;
    }
    status.stop();
    // The end was seen: whole, or its failure shown by RunJob.
    journal->Ended();
    return outcome == TJobOutcome::Completed;
}
