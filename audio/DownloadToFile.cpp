#include "audio/DownloadToFile.h"

#include <QFile>
#include <algorithm>
#include <cstring>

#include "audio/CrcWaveFile.h"
#include "audio/DialectWaveFile.h"
#include "audio/RecorderWaveFile.h"
#include "audio/TransferUi.h"
#include "audio/WaveAddInfo.h"
#include "core/flash/SoundFileInfo.h"
#include "core/protocol/DebugLog.h"
#include "core/recorder/CustomRecorder.h"
#include "core/recorder/RecorderJobs.h"
#include "core/settings/ProgramOptions.h"
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

void RemoveFiles(const QStringList& names)
{
    for (const QString& name : names)
        QFile::remove(name);
}

bool DownloadWave(TCustomRecorder& recorder, const QString& fileName, TCustomSoundFileInfo& item, std::uint32_t length,
                  std::uint32_t start, TTransferUi& ui)
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
    const bool finished = sink.Finish();
    if (ui.CancelRequested() || outcome == TJobOutcome::Aborted) {
        RemoveFiles(sink.PartFiles());
        return false;
    }
    if (outcome != TJobOutcome::Completed || !finished)
        return false;

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
        }
    }
    return true;
}

}  // namespace

bool DownloadRecordToFile(TCustomRecorder* recorder, const QString& fileName, TCustomSoundFileInfo* item,
                          std::uint32_t length, std::uint32_t start, TTransferUi& ui)
{
    if (recorder == nullptr || item == nullptr)
        return false;
    if (ProgramOptions.DialectFormat)
        return DownloadDialect(
            fileName, *item, [&](TCustomFile& sink) { return RunDownload(*recorder, *item, length, start, sink, ui); },
            ui);
    return DownloadWave(*recorder, fileName, *item, length, start, ui);
}
