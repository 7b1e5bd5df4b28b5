#include "audio/DownloadToFile.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <stdexcept>

#include "audio/CrcWaveFile.h"
#include "audio/DialectWaveFile.h"
#include "audio/RecorderWaveFile.h"
#include "audio/TransferMessages.h"
#include "audio/TransferUi.h"
#include "audio/WaveAddInfo.h"
#include "core/flash/SoundFileInfo.h"
#include "core/protocol/DebugLog.h"
#include "core/recorder/CustomRecorder.h"
#include "core/recorder/RecorderJobs.h"
#include "core/settings/ProgramOptions.h"
#include "core/transfer/BlockOwner.h"
#include "core/transfer/DownloadJob.h"
#include "localizer/LangConst.h"

namespace {

constexpr std::uint8_t kStatusDownloaded = 0x55;
constexpr std::uint8_t kStatusUploaded = 0xAA;

// The recording's format block: the wave format record, then its extra bytes.
TWaveFormatBlock FormatBlockOf(const TCustomSoundFileInfo& item)
{
    TWaveFormatBlock block{};
    static_assert(sizeof(TPcmWaveFormat) + sizeof(item.ExtraBlock) == kWaveFormatBlockSize);
    std::memcpy(block.data(), &item.Format, sizeof(TPcmWaveFormat));
    std::memcpy(block.data() + sizeof(TPcmWaveFormat), item.ExtraBlock.data(), item.ExtraBlock.size());
    return block;
}

// Starts the download job of item on recorder into sink and waits for it.
TJobOutcome RunDownload(TCustomRecorder& recorder, const TCustomSoundFileInfo& item, std::uint32_t length,
                        std::uint32_t start, TCustomFile& sink, TTransferUi& ui)
{
    const QString line = LangConst(QStringLiteral("StatusDownloadingRecordStr")) + QLatin1Char(' ') + item.NumberText;
    ui.SetStatusText(line);
    return ui.RunJob(recorder, line, true, [&] {
        if (item.Parent == nullptr)
            recorder.StartDownload(item.Number, start, length, &sink);
        else
            recorder.StartDownloadPart(item.Parent->Number, item.Number, 0, &sink);
    });
}

// What the download will write, audio and inserted silence, when the lists
// tell it (a row of a scan); none for rows without pages.
std::optional<std::uint64_t> PlannedPcmBytes(const TCustomSoundFileInfo& item, std::uint32_t length,
                                             std::uint32_t start)
{
    const auto* row = dynamic_cast<const TSoundFileInfo*>(&item);
    const TSoundFileInfo* recording = item.Parent ? item.Parent : row;
    if (!row || !recording || !row->Pages || row->SecondsPerPage <= 0 || item.SecondsPerBlock <= 0)
        return std::nullopt;
    TDownloadRequest request;
    request.Recording = recording;
    request.RecordNumber = recording->Number;
    request.Start = start;
    request.Length = length;
    if (item.Parent)
        request.PartIndex = item.Number;
    request.Geometry.PagesPerBlock =
        static_cast<std::uint32_t>(std::lround(item.SecondsPerBlock / row->SecondsPerPage));
    try {
        return DownloadOutputBytes(request);
    } catch (const std::invalid_argument&) {
        return std::nullopt;
    }
}

// The whole output against the target's free space: headers and marks of
// each wave part on top, or the Dialect file's words at its own rate.
bool EnoughSpace(const QString& fileName, const TCustomSoundFileInfo& item, std::uint32_t length, std::uint32_t start)
{
    const std::optional<std::uint64_t> pcm = PlannedPcmBytes(item, length, start);
    if (!pcm)
        return true;
    constexpr std::uint64_t kPerFile = 4096;
    std::uint64_t bytes = 0;
    if (ProgramOptions.DialectFormat) {
        const std::uint32_t rate = std::max<std::uint32_t>(item.Format.SamplesPerSec, 1);
        bytes = dialect::kHeaderSize + *pcm * dialect::kRate / rate + kPerFile;
    } else {
        const std::uint64_t limit = PartLimitFromOptions(ProgramOptions.Split, ProgramOptions.MaxOutputSize);
        bytes = *pcm + (*pcm / limit + 1) * kPerFile;
    }
    if (const std::optional<QString> text = CheckDiskSpace(QFileInfo(fileName).absolutePath(), bytes)) {
        ShowFileError(*text);
        return false;
    }
    return true;
}

bool DownloadWave(TCustomRecorder& recorder, const QString& fileName, TCustomSoundFileInfo& item, std::uint32_t length,
                  std::uint32_t start, TTransferUi& ui, std::vector<TWrittenFile>* written)
{
    TCrcWaveFile wave(fileName);
    wave.FormatBlock() = FormatBlockOf(item);
    TRecorderWaveFile sink(wave, recorder.GetSerialNumber());
    sink.SetLimit(PartLimitFromOptions(ProgramOptions.Split, ProgramOptions.MaxOutputSize));

    TWaveAddInfoV5 chunk{};
    if (item.Status == kStatusUploaded) {
        sink.SetNoPrivateChunk(1);
    } else {
        TWaveAddInfo info;
        info.SerialNumber = recorder.GetSerialNumber();
        info.ModelName = recorder.GetModelName();
        info.Time = item.StartTime;
        info.Codec = item.CodecId;
        chunk = BuildWaveAddInfo(info);
        wave.SetPrivateChunk(chunk.data(), static_cast<std::int32_t>(chunk.size()));
    }
    sink.SetCodec(item.CodecId);

    const TJobOutcome outcome = RunDownload(recorder, item, length, start, sink, ui);
    // Nothing gets its name unless the job completed and every part was
    // written whole; a failure is told once, naming the file.
    if (ui.CancelRequested() || outcome == TJobOutcome::Aborted) {
        sink.Discard();
        return false;
    }
    const bool finished = outcome == TJobOutcome::Completed && sink.Finish() && sink.Publish();
    if (!finished) {
        sink.Discard();
        if (sink.Failed() && !sink.ErrorShown())
            ShowFileError(sink.ErrorText());
        return false;
    }
    if (written)
        *written = sink.Written();

    // Only a whole recording counts as downloaded; a voice part or a span
    // of it leaves the status as it was.
    const bool whole = item.Parent == nullptr && start == 0 && length >= item.Length;
    if (whole && item.Status != kStatusDownloaded && item.Status != kStatusUploaded) {
        try {
            recorder.SetSoundFileStatus(item.Number, kStatusDownloaded);
            item.Status = kStatusDownloaded;
        } catch (const ERecorderJobUnavailable& e) {
            // This build cannot change the status yet: the file is good.
            DebugLog(QString::fromUtf8(e.what()));
        } catch (const EFileWriteError& e) {
            // No recovery file, no rewrite: the file is good, the mark waits,
            // and the user hears why.
            ShowFileError(e.Text());
        } catch (const EContentChanged& e) {
            ShowFileError(QString::fromUtf8(e.what()));
        }
    }
    return true;
}

}  // namespace

bool DownloadRecordToFile(TCustomRecorder* recorder, const QString& fileName, TCustomSoundFileInfo* item,
                          std::uint32_t length, std::uint32_t start, TTransferUi& ui,
                          std::vector<TWrittenFile>* written)
{
    if (written)
        written->clear();
    if (recorder == nullptr || item == nullptr)
        return false;
    if (!EnoughSpace(fileName, *item, length, start))
        return false;
    if (ProgramOptions.DialectFormat) {
        TWrittenFile file;
        const bool ok = DownloadDialect(
            fileName, *item, [&](TCustomFile& sink) { return RunDownload(*recorder, *item, length, start, sink, ui); },
            ui, &file);
        if (ok && written)
            written->push_back(file);
        return ok;
    }
    return DownloadWave(*recorder, fileName, *item, length, start, ui, written);
}
