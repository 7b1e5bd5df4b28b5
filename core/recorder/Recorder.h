#pragma once

#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>

#include "core/flash/BlockList.h"
#include "core/flash/DriveFileList.h"
#include "core/flash/SoundFileList.h"
#include "core/recorder/CustomRecorder.h"
#include "core/recorder/RecorderJobRunner.h"
#include "core/recorder/RecorderJobs.h"
#include "core/settings/QualityPreset.h"
#include "core/settings/RecorderSettings.h"
#include "core/settings/VasPreset.h"
#include "platform/SystemTime.h"

// The recorder object: selects the link by connection type, holds what was
// last read from the recorder, the content lists and the presets, and runs
// one job at a time on its own thread. Every field starts at zero.
//
// The GUI thread calls the interface; a job body gets a context (its
// parameters, a snapshot of what it reads, the lists, progress and abort)
// and the launcher takes its results before the final state. While a job
// runs, a command from any thread but the job's raises std::logic_error.
class TRecorder : public TCustomRecorder {
public:
    explicit TRecorder(std::uint32_t connectType);
    ~TRecorder() override;

    std::uint16_t GetSupplyVoltage() override { return FSupplyVoltage; }
    std::uint16_t GetFirmwareVersion() override { return FFirmwareVersion; }
    std::uint8_t GetBatteryLevel() override;
    SYSTEMTIME GetRecorderTime() override { return FClock; }
    int SetRecorderTime(const SYSTEMTIME& time) override;
    QString GetSerialNumber() override { return FSerial; }
    void Reserved6(std::intptr_t) override {}
    QString GetModelName() override;
    int GetHardwareVariant() override { return static_cast<int>(FHardwareVariant); }

    TSoundFileList* GetSoundFiles() override { return FSoundFiles.get(); }
    TDriveFileList* GetDriveFiles() override { return FDriveFiles.get(); }
    std::uint8_t GetProgress() override { return FProgress.load(std::memory_order_relaxed); }
    int GetState() override { return static_cast<int>(FState.load(std::memory_order_acquire)); }
    std::int64_t GetTotalMemory() override { return FTotalBytes; }
    std::int64_t GetFreeMemory() override { return FFreeBytes; }
    std::int64_t GetFreeDriveMemory() override;
    std::int64_t GetUnusedMemory() override { return FFreeBytes; }

    bool CheckConnection() override;
    bool IsContentChanged() override { return FContentChanged.load(std::memory_order_acquire) != 0; }
    bool IsFlashDriveDisabled() override { return false; }
    std::uint32_t GetRecordTimeLeft() override;
    void SetSkipSilence(bool skip) override;
    bool GetSkipSilence() override { return FSkipSilence != 0; }
    QString GetImageFile() override { return FImageFile; }
    // For the demo, a damaged image set aside or an image that cannot be
    // written is told once, through the host's message box.
    void SetImageFile(const QString& path) override;
    void SetEnabled(bool enabled) override;
    bool IsEnabled() override { return FEnabled != 0; }

    void RefreshContent() override;
    void StartDownload(std::uint16_t record, std::uint32_t start, std::uint32_t length, TCustomFile* sink) override;
    void StartDownloadPart(std::uint16_t record, int partIndex, int unused, TCustomFile* sink) override;
    void StartDriveFileDownload(int driveFileIndex, HANDLE target) override;
    void StartUpload(std::uint16_t record, TWaveSource* source, const SYSTEMTIME& time) override;
    void StartDriveFileUpload(const QString& name, HANDLE source, const SYSTEMTIME& time) override;
    void SetSoundFileStatus(std::uint16_t record, std::uint8_t status) override;
    void StartEraseSoundFile(std::uint16_t record) override;
    void StartEraseDriveFile(int driveFileIndex) override;
    void StartFormat() override;
    void Abort() override { FAbort.store(1, std::memory_order_release); }

    std::int64_t GetUploadSize(TWaveSource* source) override;
    int ChooseUploadFormat() override;
    int Reserved40() override { return 0; }
    void SetHiddenSettingsVisible(bool visible) override;
    void SetDebugLog(std::uint8_t level) override;
    int ResetToDefaults() override;
    int ResetDefaultsNoErase() override;
    bool CheckPassword(const QString& password) override;

    TJobOutcome LastJobOutcome() override { return FJobOutcome.load(std::memory_order_acquire); }
    TJobError LastJobError() override;
    QStringList HealInterruptedRewrites() override;
    bool DriveNameFits(const QString& name) override;
    std::int64_t GetFreeDriveMemoryAfterErase(int driveFileIndex) override;

    // The object's own slot after the interface's.
    virtual void StoreRecorderSettings();

    // Reads into the object from the GUI thread (refused beside a job), and
    // the capacity sums of the settings dialog.
    void ReadStatus();
    void ReadFlashGeometry();
    double SecondsPerBlock(std::uint8_t rateCode, std::uint8_t compress, std::uint8_t param) const;
    std::uint64_t GetProfileRecordTime(const TRecordProfile& profile) const;

    // Joins the job thread (for tests; the GUI waits through its job runner).
    void WaitForJob() { m_jobRunner.Join(); }

    // The language of the preset names, fixed when the object was made.
    std::uint16_t PresetLangID() const { return m_presetLangId; }
    // RecModelStr as translated when the object was made; profile files carry it.
    const QString& ModelText() const { return FModel; }

    // What the settings dialog edits and StoreRecorderSettings writes.
    const TRecorderSettings& Settings() const { return FSettings; }
    TRecorderSettings& Settings() { return FSettings; }
    TQualityPresetList& QualityPresets() const { return *FQualityPresets; }
    TVasPresetList& VasPresets() const { return *FVasPresets; }
    TFlashGeometry Geometry() const;

protected:
    // The job table entry of a job (tests put bodies of their own here).
    virtual const TRecorderJobInfo& JobInfo(TRecorderJob job) const { return RecorderJobInfo(job); }

private:
    void LaunchJob(TRecorderJob job, TRecorderJobParams params, TCustomFile* sink = nullptr);
    void RunJob(TRecorderJobBody body, TRecorderJobContext& context);
    void TakeResults(const TRecorderJobResults& results);
    TRecorderSnapshot Snapshot() const;
    // The one way the object's own slots reach the link: refused while a job
    // runs, unless the caller is that job.
    void Command(std::uint8_t code, const void* request, std::uint32_t requestLength, void* reply,
                 std::uint32_t replyLength);
    void RefuseBesideJob() const;

    // Tests set up states no command sequence gives cheaply.
    friend struct TRecorderFields;

    std::uint16_t FSupplyVoltage = 0;
    SYSTEMTIME FClock{};
    std::uint8_t FChipCount = 0;
    std::uint16_t FBlocksPerChip = 0;
    std::uint16_t FPagesPerBlock = 0;
    std::uint16_t FPageSize = 0;
    std::uint16_t FFirmwareVersion = 0;
    QString FModel;
    QString FModelDisplay;
    std::unique_ptr<TBlockList> FFreeBlocks;
    std::unique_ptr<TSoundFileList> FSoundFiles;
    std::unique_ptr<TDriveFileList> FDriveFiles;
    std::uint8_t FConnected = 0;
    std::atomic<std::uint8_t> FContentChanged{0};
    TRecorderSettings FSettings{};
    QString FSerial;
    std::atomic<std::uint8_t> FProgress{0};
    std::atomic<std::uint32_t> FState{0};
    std::int64_t FTotalBytes = 0;
    std::int64_t FFreeBytes = 0;
    std::uint8_t FUploadCompress = 0;
    std::uint8_t FUploadParam = 0;
    std::uint32_t FConnectType = 0;
    QString FImageFile;
    std::uint8_t FSkipSilence = 0;
    std::atomic<std::uint8_t> FAbort{0};
    std::uint16_t FFirstDataBlock = 0;
    std::uint8_t FEnabled = 0;
    std::unique_ptr<TQualityPresetList> FQualityPresets;
    std::unique_ptr<TVasPresetList> FVasPresets;
    std::uint32_t FHardwareVariant = 0;
    std::uint8_t FAccessGranted = 0;

    std::atomic<TJobOutcome> FJobOutcome{TJobOutcome::None};
    TJobError FJobError;  // written by the job before its final state

    std::uint16_t m_presetLangId = 0;
    TRecorderJobRunner m_jobRunner;
};
