#include "core/recorder/Recorder.h"

#include <algorithm>

#include "core/flash/FlashGeometry.h"
#include "core/links/ConnectType.h"
#include "core/links/Link.h"
#include "core/links/RecorderLinkSelection.h"
#include "core/links/ftdi/FtdiLink.h"
#include "core/links/image/ImageAttach.h"
#include "core/protocol/DebugLog.h"
#include "core/protocol/RecXchange.h"
#include "core/protocol/RecorderClock.h"
#include "core/protocol/RecorderCommands.h"
#include "core/protocol/SampleRate.h"
#include "core/recorder/NoPasswordBytes.h"
#include "core/recorder/RecorderCapacity.h"
#include "core/recorder/RecorderHost.h"
#include "core/recorder/RecorderStatusValues.h"
#include "core/recorder/WaveSource.h"
#include "core/settings/ProgramOptions.h"
#include "core/settings/RecorderPresets.h"
#include "core/settings/RecorderSettingsTransfer.h"
#include "localizer/LangConst.h"

namespace {

void CopyPassword(TRecorderSettings& settings, const TPasswordBytes& bytes)
{
    std::copy(bytes.begin(), bytes.end(), settings.Password.begin());
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

    RecorderHost().SetSettingsRecorder(this);

    FState = rsIdle;
    SetEnabled(true);
    FConnected = 0;
    SetSkipSilence(false);
    FAccessGranted = 0;
    CopyPassword(FSettings, NoPasswordBytes);

    m_presetLangId = LangID;
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
    RecorderHost().RecorderDestroyed(this);
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
    RunCommand(cmdSetRtc, buffer, sizeof buffer, buffer, sizeof buffer);
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
        }
        if (FConnected && FAccessGranted)
            ReadStatus();
    } catch (...) {
        FConnected = 0;
        FAccessGranted = 0;
    }
    return FConnected != 0;
}

void TRecorder::ReadStatus()
{
    std::uint8_t clock[4] = {};
    RunCommand(cmdGetRtc, nullptr, 0, clock, sizeof clock);
    FClock = RtcToSystemTime(GetU32(clock));
    std::uint8_t voltage[2] = {};
    RunCommand(cmdGetVolt, nullptr, 0, voltage, sizeof voltage);
    FSupplyVoltage = GetU16(voltage);
}

void TRecorder::ReadFlashGeometry()
{
    std::uint8_t reply[7] = {};
    RunCommand(cmdGetFlashParam, nullptr, 0, reply, sizeof reply);
    const std::uint16_t pagesPerBlock = GetU16(reply + 1);
    const std::uint16_t pageSize = GetU16(reply + 5);
    const std::uint32_t blocks = std::uint32_t{reply[0]} * GetU16(reply + 3);
    // A geometry without pages, or with more blocks than a block number
    // reaches, is a broken reply, not a recorder.
    if (pagesPerBlock == 0 || pageSize == 0 || blocks > TFlashGeometry::kMaxBlocks)
        ThrowIoError(cmdGetFlashParam);
    FChipCount = reply[0];
    FPagesPerBlock = pagesPerBlock;
    FBlocksPerChip = GetU16(reply + 3);
    FPageSize = pageSize;

    const std::uint32_t fallback = 0x400000u / FPagesPerBlock / FPageSize;
    try {
        std::uint8_t first[2] = {};
        RunCommand(cmdGetFirstRecBlock, nullptr, 0, first, sizeof first);
        FFirstDataBlock = GetU16(first);
    } catch (const TERecXchange&) {
        FFirstDataBlock = static_cast<std::uint16_t>(fallback + 1);
    }
}

void TRecorder::ReadFirmwareAndSerial()
{
    std::uint8_t firmware[13] = {};
    RunCommand(cmdGetFwVer, nullptr, 0, firmware, sizeof firmware);
    FFirmwareVersion = GetU16(firmware);
    FHardwareVariant = HardwareVariantForMajor(static_cast<std::uint8_t>(FFirmwareVersion >> 8), FHardwareVariant);

    std::uint8_t production[8] = {};
    RunCommand(cmdGetProdParam, nullptr, 0, production, sizeof production);
    FSerial = QString::number(GetU32(production));
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
    FImageFile = path;
    AttachImageFile(path, FConnectType == ctDemo);
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
    ReadFlashGeometry();
    ReadFirmwareAndSerial();
    ReadRecorderSettings(FSettings, FConnectType);
    RecorderHost().RestoreSettingsControls();
    TRecorderJobParams params;
    params.ScanTexts = TScanTexts::Take(RecorderHost());
    LaunchJob(TRecorderJob::Scan, std::move(params));
}

void TRecorder::StartDownload(std::uint16_t record, std::uint32_t start, std::uint32_t length)
{
    TRecorderJobParams params;
    params.RecordNumber = record;
    params.Start = start;
    params.Length = length;
    LaunchJob(TRecorderJob::Download, params);
}

void TRecorder::StartDownloadPart(std::uint16_t record, int partIndex, int)
{
    TRecorderJobParams params;
    params.RecordNumber = record;
    params.PartIndex = partIndex;
    LaunchJob(TRecorderJob::DownloadPart, params);
}

void TRecorder::StartDriveFileDownload(int driveFileIndex, HANDLE target)
{
    TRecorderJobParams params;
    params.DriveFileIndex = driveFileIndex;
    params.File = target;
    LaunchJob(TRecorderJob::DriveFileDownload, params);
}

void TRecorder::StartUpload(std::uint16_t record, TWaveSource* source, const SYSTEMTIME& time)
{
    TRecorderJobParams params;
    params.RecordNumber = record;
    params.Source = source;
    params.Time = time;
    LaunchJob(TRecorderJob::Upload, params);
}

void TRecorder::StartDriveFileUpload(const QString& name, HANDLE source, const SYSTEMTIME& time)
{
    TRecorderJobParams params;
    params.Name = name;
    params.File = source;
    params.Time = time;
    LaunchJob(TRecorderJob::DriveFileUpload, params);
}

void TRecorder::SetSoundFileStatus(std::uint16_t, std::uint8_t)
{
    throw ERecorderJobUnavailable("Changing the status of a recording");
}

void TRecorder::StartEraseSoundFile(std::uint16_t record)
{
    TRecorderJobParams params;
    params.RecordNumber = record;
    LaunchJob(TRecorderJob::EraseSoundFile, params);
}

void TRecorder::StartEraseDriveFile(int driveFileIndex)
{
    TRecorderJobParams params;
    params.DriveFileIndex = driveFileIndex;
    LaunchJob(TRecorderJob::EraseDriveFile, params);
}

void TRecorder::StartFormat()
{
    LaunchJob(TRecorderJob::Format, {});
}

void TRecorder::LaunchJob(TRecorderJob job, TRecorderJobParams params)
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
    FJobError.clear();
    FState.store(info.StartState, std::memory_order_release);
    try {
        m_jobRunner.Start([this, body = info.Body, params = std::move(params)] { RunJob(body, params); });
    } catch (...) {
        FState.store(rsIdle, std::memory_order_release);
        throw;
    }
}

void TRecorder::RunJob(TRecorderJobBody body, const TRecorderJobParams& params)
{
    TJobOutcome outcome = TJobOutcome::Failed;
    try {
        outcome = body(*this, params);
    } catch (const TERecXchange& error) {
        FJobError = error.Text;
        RecorderHost().ShowRecorderError(error);
    } catch (const std::exception& error) {
        FJobError = QString::fromUtf8(error.what());
        RecorderHost().ShowError(FJobError);
    } catch (...) {
        FJobError = QStringLiteral("Unknown error");
        RecorderHost().ShowError(FJobError);
    }
    FJobOutcome.store(outcome, std::memory_order_release);
    FState.store(rsIdle, std::memory_order_release);
}

std::int64_t TRecorder::GetUploadSize(TWaveSource* source)
{
    if (!source)
        return -1;
    return UploadSizeFor(source->SourceFormat(), FUploadCompress, FUploadParam, FHardwareVariant);
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
    RunCommand(cmdSetDefault, nullptr, 0, nullptr, 0);
    return 0;
}

int TRecorder::ResetDefaultsNoErase()
{
    RunCommand(cmdSetDefNoFlashErase, nullptr, 0, nullptr, 0);
    return 0;
}

bool TRecorder::CheckPassword(const QString& password)
{
    CopyPassword(FSettings, PasswordBytes(password));
    std::uint8_t reply = 0x55;
    RunCommand(cmdCheckPassword, FSettings.Password.data(), kPasswordCommandBytes, &reply, 1);
    FAccessGranted = reply != 0 ? 1 : 0;
    return FAccessGranted != 0;
}

void TRecorder::StoreRecorderSettings()
{
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
    LoadQualityPresets(*recorder.FQualityPresets, QualityPresetFileName(PresetBasePath()), recorder.PresetLangID());
}

void LoadVasPresets(TRecorder& recorder)
{
    LoadVasPresets(*recorder.FVasPresets, VasPresetFileName(PresetBasePath()), recorder.PresetLangID());
}

int FindQualityPreset(const TRecorder& recorder, const TRecordProfile& profile)
{
    return FindQualityPreset(*recorder.FQualityPresets, profile);
}

int FindVasPreset(const TRecorder& recorder, const TVasParams& params)
{
    return FindVasPreset(*recorder.FVasPresets, params);
}
