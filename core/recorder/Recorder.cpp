#include "core/recorder/Recorder.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "core/flash/FlashGeometry.h"
#include "core/links/ConnectType.h"
#include "core/links/Link.h"
#include "core/links/RecorderLinkSelection.h"
#include "core/links/ftdi/FtdiLink.h"
#include "core/links/image/ImageAttach.h"
#include "core/links/image/ImageFile.h"
#include "core/protocol/DebugLog.h"
#include "core/protocol/RecXchange.h"
#include "core/protocol/RecorderClock.h"
#include "core/protocol/RecorderCommands.h"
#include "core/protocol/SampleRate.h"
#include "core/recorder/NoPasswordBytes.h"
#include "core/recorder/RecorderCapacity.h"
#include "core/recorder/RecorderHost.h"
#include "core/recorder/RecorderReads.h"
#include "core/recorder/RecorderStatusValues.h"
#include "core/recorder/WaveSource.h"
#include "core/settings/ProgramOptions.h"
#include "core/settings/RecorderPresets.h"
#include "core/settings/RecorderSettingsTransfer.h"
#include "core/settings/StagedFile.h"
#include "core/transfer/BlockRecovery.h"
#include "core/transfer/DriveFileJobs.h"
#include "core/transfer/EraseJobs.h"
#include "localizer/LangConst.h"
#include "localizer/LangFormat.h"
#include "localizer/LanguageManager.h"

namespace {

void CopyPassword(TRecorderSettings& settings, const TPasswordBytes& bytes)
{
    std::copy(bytes.begin(), bytes.end(), settings.Password.begin());
}

// Told once, when the demo image is attached; the probes that follow fail
// quietly.
void ShowAttachNotice(const TImageAttachNotice& notice)
{
    using TKind = TImageAttachNotice::TKind;
    const QString caption = LangConst(QStringLiteral("AppNameStr"));
    if (notice.Kind == TKind::MovedAside)
        RecorderHost().AppMessageBox(LangConstFormat(QStringLiteral("DemoImageMovedStr"), notice.Path, notice.Aside),
                                     MB_OK | MB_ICONWARNING, caption);
    else if (notice.Kind == TKind::NotOpened)
        RecorderHost().AppMessageBox(LangConst(QStringLiteral("CantOpenStr")) + QLatin1Char(' ') + notice.Path +
                                         QStringLiteral(": ") + notice.Reason,
                                     MB_OK | MB_ICONERROR, caption);
}

// The image file gave way to another: the lists are of the old one.
void ShowImageReplaced()
{
    QString path;
    if (TakeImageReplacedNotice(path))
        RecorderHost().AppMessageBox(LangConstFormat(QStringLiteral("ImageReplacedStr"), path), MB_OK | MB_ICONWARNING,
                                     LangConst(QStringLiteral("AppNameStr")));
}

}  // namespace

TRecorder::TRecorder(std::uint32_t connectType)
{
    DebugLog(QStringLiteral("Creating recorder instance"));
    FModel = LangConst(QStringLiteral("RecModelStr"));
    FConnectType = connectType;
    FImageFile.clear();
    AttachImageFile(QString(), false);
    SelectRecorderLink(connectType);

    FFreeBlocks = std::make_unique<TBlockList>();
    FSoundFiles = std::make_unique<TSoundFileList>();
    FDriveFiles = std::make_unique<TDriveFileList>();
    FContentChanged = 1;

    FState = rsIdle;
    SetEnabled(true);
    FConnected = 0;
    SetSkipSilence(false);
    FAccessGranted = 0;
    CopyPassword(FSettings, NoPasswordBytes);

    m_presetLangId = LangManager().GetActiveLangID();
    FQualityPresets = std::make_unique<TQualityPresetList>();
    FVasPresets = std::make_unique<TVasPresetList>();
    LoadQualityPresets(*this);
    LoadVasPresets(*this);
    DebugLog(QStringLiteral("Creating recorder instance complete"));
}

TRecorder::~TRecorder()
{
    DebugLog(QStringLiteral("Destroying recorder instance"));
    // A running job still uses the lists: stop it before anything goes.
    Abort();
    m_jobRunner.Join();
    FFreeBlocks->Clear();
    FSoundFiles->Clear();
    FDriveFiles->Clear();
    SetEnabled(false);
    FtdiClose();
    DebugLog(QStringLiteral("Destroying recorder instance complete"));
}

std::uint8_t TRecorder::GetBatteryLevel()
{
    return BatteryLevel(FSupplyVoltage, FFirmwareVersion, FSettings.BatteryLevels);
}

int TRecorder::SetRecorderTime(const SYSTEMTIME& time)
{
    std::uint8_t buffer[4];
    PutU32(buffer, SystemTimeToRtc(time));
    Command(cmdSetRtc, buffer, sizeof buffer, buffer, sizeof buffer);
    return 0;
}

QString TRecorder::GetModelName()
{
    const std::uint64_t total = std::uint64_t{FChipCount} * FBlocksPerChip * FPagesPerBlock * FPageSize;
    FModelDisplay = ModelDisplayName(FModel, FHardwareVariant, total);
    return FModelDisplay;
}

bool TRecorder::CheckConnection()
{
    RefuseBesideJob();
    try {
        if (!FEnabled) {
            FConnected = 0;
            FAccessGranted = 0;
        } else if (LinkProbe()) {
            if (!FConnected) {
                FContentChanged = 1;
                if (ReadsGeometryOnConnect(FConnectType))
                    ReadFlashGeometry();
            }
            FConnected = 1;
        } else {
            FAccessGranted = 0;
            FConnected = 0;
            CopyPassword(FSettings, NoPasswordBytes);
            ShowImageReplaced();
        }
        if (FConnected && FAccessGranted)
            ReadStatus();
    } catch (const TERecXchange&) {
        FConnected = 0;
        FAccessGranted = 0;
        ShowImageReplaced();
    }
    return FConnected != 0;
}

void TRecorder::ReadStatus()
{
    std::uint8_t clock[4] = {};
    Command(cmdGetRtc, nullptr, 0, clock, sizeof clock);
    FClock = RtcToSystemTime(GetU32(clock));
    std::uint8_t voltage[2] = {};
    Command(cmdGetVolt, nullptr, 0, voltage, sizeof voltage);
    FSupplyVoltage = GetU16(voltage);
}

void TRecorder::ReadFlashGeometry()
{
    RefuseBesideJob();
    const TFlashGeometry geometry = ::ReadFlashGeometry();
    FChipCount = geometry.ChipCount;
    FBlocksPerChip = geometry.BlocksPerChip;
    FPagesPerBlock = geometry.PagesPerBlock;
    FPageSize = geometry.PageSize;
    FFirstDataBlock = geometry.FirstDataBlock;
}

std::uint32_t TRecorder::GetRecordTimeLeft()
{
    const std::size_t index = FSettings.CurrentProfile < FSettings.Profiles.size() ? FSettings.CurrentProfile : 0;
    return static_cast<std::uint32_t>(GetProfileRecordTime(FSettings.Profiles[index]));
}

void TRecorder::SetSkipSilence(bool skip)
{
    const std::uint8_t value = skip ? 1 : 0;
    if (value != FSkipSilence) {
        FSkipSilence = value;
        FContentChanged = 1;
    }
}

void TRecorder::SetImageFile(const QString& path)
{
    // The job reads through the image that is attached now.
    RefuseBesideJob();
    FImageFile = path;
    ShowAttachNotice(AttachImageFile(path, IsDemoConnection(FConnectType)));
}

void TRecorder::SetEnabled(bool enabled)
{
    const std::uint8_t value = enabled ? 1 : 0;
    if (value == FEnabled)
        return;
    FEnabled = value;
    if (enabled)
        CopyPassword(FSettings, NoPasswordBytes);
}

void TRecorder::RefreshContent()
{
    // The captions are the GUI's: taken here, not on the job thread.
    LaunchJob(TRecorderJob::Scan, TRefreshJobParams{TScanTexts::Take(RecorderHost())});
}

void TRecorder::StartDownload(std::uint16_t record, std::uint32_t start, std::uint32_t length, TCustomFile* sink)
{
    LaunchJob(TRecorderJob::Download, TDownloadJobParams{record, start, length, -1}, sink);
}

void TRecorder::StartDownloadPart(std::uint16_t record, int partIndex, int, TCustomFile* sink)
{
    LaunchJob(TRecorderJob::DownloadPart, TDownloadJobParams{record, 0, 0, partIndex}, sink);
}

void TRecorder::StartDriveFileDownload(int driveFileIndex, HANDLE target)
{
    LaunchJob(TRecorderJob::DriveFileDownload, TDriveFileDownloadJobParams{driveFileIndex, target});
}

void TRecorder::StartUpload(std::uint16_t record, TWaveSource* source, const SYSTEMTIME& time)
{
    // Such numbers read back as flash-drive files.
    if (record >= 0x8000)
        throw std::invalid_argument("A recording cannot have a number from 0x8000 up.");
    // The free-block list is the last scan's: after a change it may name
    // blocks that are in use now.
    if (IsContentChanged())
        throw std::logic_error("The recorder content changed: it must be read again before an upload.");
    LaunchJob(TRecorderJob::Upload,
              TUploadJobParams{record, source, time, FUploadCompress, FUploadParam, TScanTexts::Take(RecorderHost())});
}

void TRecorder::StartDriveFileUpload(const QString& name, HANDLE source, const SYSTEMTIME& time)
{
    // The free blocks and file numbers are the last scan's.
    if (IsContentChanged())
        throw std::logic_error("The recorder content changed: it must be read again before an upload.");
    LaunchJob(TRecorderJob::DriveFileUpload,
              TDriveFileUploadJobParams{name, source, time, TScanTexts::Take(RecorderHost())});
}

void TRecorder::SetSoundFileStatus(std::uint16_t record, std::uint8_t status)
{
    // Synchronous: it must not run beside a job that uses the same lists.
    if (FState.load(std::memory_order_acquire) != rsIdle)
        throw std::logic_error("The status of a recording cannot change while a recorder job runs.");
    const int index = FSoundFiles->IndexOfNumber(record);
    if (index < 0)
        throw std::out_of_range("No recording has the number " + std::to_string(record) + ".");
    TSoundFileInfo& recording = *FSoundFiles->Item(index);
    if (recording.Status == status)
        return;
    RewriteSoundFileStatus(FConnectType, Geometry(), FSerial, recording, status);
    FContentChanged.store(1, std::memory_order_release);
}

QStringList TRecorder::HealInterruptedRewrites()
{
    RefuseBesideJob();
    if (FState.load(std::memory_order_acquire) != rsIdle)
        throw std::logic_error("Blocks cannot be written back while a recorder job runs.");
    // Before the first scan neither is known yet.
    if (Geometry().TotalBlocks() == 0)
        ReadFlashGeometry();
    if (FSerial.isEmpty())
        FSerial = ReadSerialNumber();
    const QStringList repaired = HealBlockRewrites(FConnectType, Geometry(), FSerial);
    if (!repaired.isEmpty())
        FContentChanged.store(1, std::memory_order_release);
    return repaired;
}

bool TRecorder::DriveNameFits(const QString& name)
{
    return !name.isEmpty() && ::DriveNameFits(name, FPageSize);
}

void TRecorder::StartEraseSoundFile(std::uint16_t record)
{
    LaunchJob(TRecorderJob::EraseSoundFile, TEraseSoundFileJobParams{record});
}

void TRecorder::StartEraseDriveFile(int driveFileIndex)
{
    LaunchJob(TRecorderJob::EraseDriveFile, TEraseDriveFileJobParams{driveFileIndex});
}

void TRecorder::StartFormat()
{
    LaunchJob(TRecorderJob::Format, TFormatJobParams{});
}

TFlashGeometry TRecorder::Geometry() const
{
    return TFlashGeometry{FChipCount, FBlocksPerChip, FPagesPerBlock, FPageSize, FFirstDataBlock};
}

TRecorderSnapshot TRecorder::Snapshot() const
{
    TRecorderSnapshot snapshot;
    snapshot.ConnectType = FConnectType;
    snapshot.Geometry = Geometry();
    snapshot.HardwareVariant = FHardwareVariant;
    snapshot.Settings = FSettings;
    snapshot.SkipSilence = FSkipSilence != 0;
    return snapshot;
}

void TRecorder::LaunchJob(TRecorderJob job, TRecorderJobParams params, TCustomFile* sink)
{
    const TRecorderJobInfo& info = JobInfo(job);
    if (!info.Body)
        throw ERecorderJobUnavailable(info.Title);
    if (FState.load(std::memory_order_acquire) != rsIdle)
        throw std::logic_error("A recorder job is still running.");
    // The last job has stored its final state; its thread is about to end.
    m_jobRunner.Join();

    FProgress = 0;
    FAbort = 0;
    FJobOutcome = TJobOutcome::None;
    FJobError = {};
    auto context = std::make_shared<TRecorderJobContext>(
        TRecorderJobContext{std::move(params),
                            Snapshot(),
                            TContentLists{*FFreeBlocks, *FSoundFiles, *FDriveFiles},
                            FProgress,
                            FAbort,
                            sink,
                            {}});
    context->State = &FState;
    if (info.SetsContentChanged)
        FContentChanged.store(1, std::memory_order_release);
    FState.store(info.StartState, std::memory_order_release);
    try {
        m_jobRunner.Start([this, body = info.Body, context] { RunJob(body, *context); });
    } catch (...) {
        FState.store(rsIdle, std::memory_order_release);
        throw;
    }
}

void TRecorder::RunJob(TRecorderJobBody body, TRecorderJobContext& context)
{
    // The failure is kept for the waiting GUI, which shows it after the wait.
    TJobOutcome outcome = TJobOutcome::Failed;
    try {
        outcome = body(context);
    } catch (const TERecXchange& error) {
        FJobError = TJobError{TJobError::TKind::LinkFault, error.Text, error.Code};
    } catch (const EFileWriteError& error) {
        FJobError = TJobError{TJobError::TKind::Other, error.Text(), 0};
        DebugLog(QStringLiteral("Recorder job failed: %1").arg(QString::fromUtf8(error.what())));
    } catch (const std::exception& error) {
        FJobError = TJobError{TJobError::TKind::Other, QString::fromUtf8(error.what()), 0};
        DebugLog(QStringLiteral("Recorder job failed: %1").arg(FJobError.Text));
    } catch (...) {
        FJobError = TJobError{TJobError::TKind::Other, QString(), 0};
        DebugLog(QStringLiteral("Recorder job failed by an unknown exception"));
    }
    TakeResults(context.Results);
    FJobOutcome.store(outcome, std::memory_order_release);
    FState.store(rsIdle, std::memory_order_release);
    RecorderHost().JobEnded();
}

void TRecorder::TakeResults(const TRecorderJobResults& results)
{
    if (results.Geometry) {
        FChipCount = results.Geometry->ChipCount;
        FBlocksPerChip = results.Geometry->BlocksPerChip;
        FPagesPerBlock = results.Geometry->PagesPerBlock;
        FPageSize = results.Geometry->PageSize;
        FFirstDataBlock = results.Geometry->FirstDataBlock;
    }
    if (results.FirmwareVersion)
        FFirmwareVersion = *results.FirmwareVersion;
    if (results.HardwareVariant)
        FHardwareVariant = *results.HardwareVariant;
    if (results.Serial)
        FSerial = *results.Serial;
    if (results.Settings)
        FSettings = *results.Settings;
    if (results.TotalBytes)
        FTotalBytes = *results.TotalBytes;
    if (results.FreeBytes)
        FFreeBytes = *results.FreeBytes;
    if (results.ContentChanged)
        FContentChanged.store(*results.ContentChanged ? 1 : 0, std::memory_order_release);
}

std::int64_t TRecorder::GetFreeDriveMemory()
{
    return static_cast<std::int64_t>(FreeDriveFileBytes(Geometry(), static_cast<std::uint64_t>(FFreeBlocks->Count())));
}

std::int64_t TRecorder::GetFreeDriveMemoryAfterErase(int driveFileIndex)
{
    std::uint64_t freed = 0;
    if (driveFileIndex >= 0 && driveFileIndex < FDriveFiles->Count() && FDriveFiles->Item(driveFileIndex)->Blocks)
        freed = static_cast<std::uint64_t>(FDriveFiles->Item(driveFileIndex)->Blocks->Count());
    const auto free = static_cast<std::uint64_t>(FFreeBlocks->Count());
    return static_cast<std::int64_t>(FreeDriveFileBytes(Geometry(), free + freed));
}

TJobError TRecorder::LastJobError()
{
    // Written by the job before its final state; stable while idle.
    if (FState.load(std::memory_order_acquire) != rsIdle)
        return {};
    return FJobError;
}

void TRecorder::RefuseBesideJob() const
{
    if (FState.load(std::memory_order_acquire) != rsIdle && !m_jobRunner.OnJobThread())
        throw std::logic_error("A recorder command was called while a recorder job runs.");
}

void TRecorder::Command(std::uint8_t code, const void* request, std::uint32_t requestLength, void* reply,
                        std::uint32_t replyLength)
{
    RefuseBesideJob();
    RunCommand(code, request, requestLength, reply, replyLength);
}

std::int64_t TRecorder::GetUploadSize(TWaveSource* source)
{
    if (!source)
        return -1;
    return UploadSizeFor(source->SourceFormat(), FUploadCompress, FUploadParam, FHardwareVariant, FPagesPerBlock,
                         FPageSize);
}

int TRecorder::ChooseUploadFormat()
{
    std::uint8_t compress = FUploadCompress;
    std::uint8_t param = FUploadParam;
    if (!RecorderHost().ChooseUploadFormat(compress, param))
        return -1;
    FUploadCompress = compress;
    FUploadParam = param;
    return 0;
}

void TRecorder::SetHiddenSettingsVisible(bool visible)
{
    RecorderHost().SetHiddenSettingsVisible(visible);
}

void TRecorder::SetDebugLog(std::uint8_t level)
{
    SetDebugLevel(level);
}

int TRecorder::ResetToDefaults()
{
    Command(cmdSetDefault, nullptr, 0, nullptr, 0);
    return 0;
}

int TRecorder::ResetDefaultsNoErase()
{
    Command(cmdSetDefNoFlashErase, nullptr, 0, nullptr, 0);
    return 0;
}

bool TRecorder::CheckPassword(const QString& password)
{
    RefuseBesideJob();
    CopyPassword(FSettings, PasswordBytes(password));
    std::uint8_t reply = 0x55;
    Command(cmdCheckPassword, FSettings.Password.data(), kPasswordCommandBytes, &reply, 1);
    FAccessGranted = reply != 0 ? 1 : 0;
    return FAccessGranted != 0;
}

void TRecorder::StoreRecorderSettings()
{
    RefuseBesideJob();
    ::StoreRecorderSettings(FSettings, FConnectType);
}

double TRecorder::SecondsPerBlock(std::uint8_t rateCode, std::uint8_t compress, std::uint8_t param) const
{
    return ::SecondsPerBlock(rateCode, compress, param, FPagesPerBlock, FPageSize);
}

std::uint64_t TRecorder::GetProfileRecordTime(const TRecordProfile& profile) const
{
    const double perBlock = SecondsPerBlock(RateHzToCode(profile.SampleRate), profile.Compress, profile.CompressParam);
    return ProfileRecordSeconds(perBlock, static_cast<std::uint64_t>(FFreeBlocks->Count()));
}

// The preset operations on the object's own lists.

void LoadQualityPresets(TRecorder& recorder)
{
    LoadQualityPresets(recorder.QualityPresets(), QualityPresetFileName(PresetBasePath()), recorder.PresetLangID());
}

void LoadVasPresets(TRecorder& recorder)
{
    LoadVasPresets(recorder.VasPresets(), VasPresetFileName(PresetBasePath()), recorder.PresetLangID());
}

int FindQualityPreset(const TRecorder& recorder, const TRecordProfile& profile)
{
    return FindQualityPreset(recorder.QualityPresets(), profile);
}

int FindVasPreset(const TRecorder& recorder, const TVasParams& params)
{
    return FindVasPreset(recorder.VasPresets(), params);
}
