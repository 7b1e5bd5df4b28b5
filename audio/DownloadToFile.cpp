#include "audio/DownloadToFile.h"

#include <QDir>
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
#include "core/flash/BlockList.h"
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
    const auto perBlock = static_cast<std::uint32_t>(std::lround(item.SecondsPerBlock / row->SecondsPerPage));
    // A recording's size is its blocks' pages: the page size follows.
    const std::uint64_t pages =
        recording->Blocks ? static_cast<std::uint64_t>(recording->Blocks->Count()) * perBlock : 0;
    if (pages == 0 || recording->Size <= 0 || static_cast<std::uint64_t>(recording->Size) % pages != 0)
        return std::nullopt;
    request.Geometry.PagesPerBlock = perBlock;
    request.Geometry.PageSize = static_cast<std::uint16_t>(static_cast<std::uint64_t>(recording->Size) / pages);
    try {
        return DownloadOutputBytes(request);
    } catch (const std::invalid_argument&) {
        return std::nullopt;
    }
}

// What the download will write against the target's free space; a refusal
// names the file.
bool EnoughSpace(const QString& fileName, std::optional<std::uint64_t> bytes)
{
    if (!bytes)
        return true;
    if (const std::optional<QString> text = CheckDiskSpace(QFileInfo(fileName).absolutePath(), *bytes)) {
        ShowFileError(*text + QLatin1Char('\n') + QDir::toNativeSeparators(fileName));
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

std::optional<std::uint64_t> PlannedDownloadBytes(const TCustomSoundFileInfo& item, std::uint32_t length,
                                                  std::uint32_t start)
{
    const std::optional<std::uint64_t> pcm = PlannedPcmBytes(item, length, start);
    if (!pcm)
        return std::nullopt;
    if (ProgramOptions.DialectFormat)
        return dialect::FileBytes(*pcm, item.Format.SamplesPerSec, item.Format.Channels);
    // The layout DownloadWave sets up: the recording's format, the private
    // chunk unless it came from the PC, the part limit of the options.
    const std::int32_t chunk = item.Status == kStatusUploaded ? -1 : waveaddinfo::kVersion5Size;
    return PlannedWaveBytes(FormatBlockOf(item), chunk,
                            PartLimitFromOptions(ProgramOptions.Split, ProgramOptions.MaxOutputSize), *pcm);
}

bool DownloadRecordToFile(TCustomRecorder* recorder, const QString& fileName, TCustomSoundFileInfo* item,
                          std::uint32_t length, std::uint32_t start, TTransferUi& ui,
                          std::vector<TWrittenFile>* written)
{
    if (written)
        written->clear();
    if (recorder == nullptr || item == nullptr)
        return false;
    if (!EnoughSpace(fileName, PlannedDownloadBytes(*item, length, start)))
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
