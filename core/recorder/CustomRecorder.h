#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

#include "core/links/FileHandle.h"
#include "core/recorder/JobOutcome.h"
#include "platform/SystemTime.h"

class TCustomFile;
class TWaveSource;
class TSoundFileList;
class TDriveFileList;

// The recorder as the program sees it: the operations in their fixed slot
// order, then how the last job ended. The one implementation is TRecorder,
// made by CreateRecorder.
class TCustomRecorder {
public:
    TCustomRecorder() = default;
    TCustomRecorder(const TCustomRecorder&) = delete;
    TCustomRecorder& operator=(const TCustomRecorder&) = delete;
    virtual ~TCustomRecorder() = default;

    // Status values.
    virtual std::uint16_t GetSupplyVoltage() = 0;                         // 0
    virtual std::uint16_t GetFirmwareVersion() = 0;                       // 1
    virtual std::uint8_t GetBatteryLevel() = 0;                           // 2
    virtual SYSTEMTIME GetRecorderTime() = 0;                             // 3
    virtual int SetRecorderTime(const SYSTEMTIME& time) = 0;              // 4
    virtual QString GetSerialNumber() = 0;                                // 5
    virtual void Reserved6(std::intptr_t argument) = 0;                   // 6: does nothing
    virtual QString GetModelName() = 0;                                   // 7
    virtual int GetHardwareVariant() = 0;                                 // 8

    // Content lists, progress and state.
    virtual TSoundFileList* GetSoundFiles() = 0;                          // 9
    virtual TDriveFileList* GetDriveFiles() = 0;                          // 10
    virtual std::uint8_t GetProgress() = 0;                               // 11
    virtual int GetState() = 0;                                           // 12
    virtual std::int64_t GetTotalMemory() = 0;                            // 13
    virtual std::int64_t GetFreeMemory() = 0;                             // 14
    virtual std::int64_t GetFreeDriveMemory() = 0;                        // 15
    virtual std::int64_t GetUnusedMemory() = 0;                           // 16

    // Connection.
    virtual bool CheckConnection() = 0;                                   // 17
    virtual bool IsContentChanged() = 0;                                  // 18
    virtual bool IsFlashDriveDisabled() = 0;                              // 19
    virtual std::uint32_t GetRecordTimeLeft() = 0;                        // 20
    virtual void SetSkipSilence(bool skip) = 0;                           // 21
    virtual bool GetSkipSilence() = 0;                                    // 22
    virtual QString GetImageFile() = 0;                                   // 23
    virtual void SetImageFile(const QString& path) = 0;                   // 24
    virtual void SetEnabled(bool enabled) = 0;                            // 25
    virtual bool IsEnabled() = 0;                                         // 26

    // Jobs: each starts on the job thread; it has ended once GetState is 1.
    // While one runs, every other slot that talks to the recorder raises
    // std::logic_error. A download writes into sink, which the caller owns
    // and keeps alive until the job has ended.
    virtual void RefreshContent() = 0;                                    // 27
    virtual void StartDownload(std::uint16_t record, std::uint32_t start, std::uint32_t length,
                               TCustomFile* sink) = 0;                    // 28
    virtual void StartDownloadPart(std::uint16_t record, int partIndex, int unused,
                                   TCustomFile* sink) = 0;                // 29
    virtual void StartDriveFileDownload(int driveFileIndex, HANDLE target) = 0;                      // 30
    virtual void StartUpload(std::uint16_t record, TWaveSource* source, const SYSTEMTIME& time) = 0; // 31
    virtual void StartDriveFileUpload(const QString& name, HANDLE source, const SYSTEMTIME& time) = 0;  // 32
    virtual void SetSoundFileStatus(std::uint16_t record, std::uint8_t status) = 0;                  // 33
    virtual void StartEraseSoundFile(std::uint16_t record) = 0;                                      // 34
    virtual void StartEraseDriveFile(int driveFileIndex) = 0;                                        // 35
    virtual void StartFormat() = 0;                                                                  // 36
    virtual void Abort() = 0;                                                                        // 37

    // Uploads, settings and password.
    virtual std::int64_t GetUploadSize(TWaveSource* source) = 0;          // 38
    virtual int ChooseUploadFormat() = 0;                                 // 39
    virtual int Reserved40() = 0;                                         // 40: always 0
    virtual void SetHiddenSettingsVisible(bool visible) = 0;              // 41
    virtual void SetDebugLog(std::uint8_t level) = 0;                     // 42
    virtual int ResetToDefaults() = 0;                                    // 43
    virtual int ResetDefaultsNoErase() = 0;                               // 44
    virtual bool CheckPassword(const QString& password) = 0;              // 45

    // How the last job ended and why it failed (read once GetState is 1).
    virtual TJobOutcome LastJobOutcome() = 0;
    virtual TJobError LastJobError() = 0;

    // The connect path, once the recorder answers and before the content is
    // scanned: writes back every block whose rewrite in place a crash or a
    // lost link left unfinished (recovery files of this serial number).
    // One text per recording repaired; the content is marked changed then.
    // Link failures (TERecXchange) reach the caller; what is not done yet
    // is tried again on the next connect.
    virtual QStringList HealInterruptedRewrites() { return {}; }

    // The flash-drive path ("A\B\c.txt") is stored whole; the upload job
    // refuses one that is not (it would be cut).
    virtual bool DriveNameFits(const QString& name) { return !name.isEmpty(); }
    // GetFreeDriveMemory as it will be once the flash-drive file of that
    // index is erased (an overwrite); a lower bound by default.
    virtual std::int64_t GetFreeDriveMemoryAfterErase(int driveFileIndex)
    {
        (void)driveFileIndex;
        return GetFreeDriveMemory();
    }
};
