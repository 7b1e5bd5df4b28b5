#pragma once

#include <atomic>
#include <thread>

#include "core/links/Link.h"
#include "core/protocol/RecorderCommands.h"
#include "core/recorder/CustomRecorder.h"
#include "core/recorder/RecorderJobs.h"

// A recorder object that is not TRecorder: always connected, never grants
// access, and its format job fails with a link fault of command 18 on its
// own thread. The clearing commands go over the current link so a test can
// count them.
class StubRecorder final : public TCustomRecorder {
public:
    ~StubRecorder() override
    {
        if (m_job.joinable())
            m_job.join();
    }

    std::uint16_t GetSupplyVoltage() override { return 0; }
    std::uint16_t GetFirmwareVersion() override { return 0; }
    std::uint8_t GetBatteryLevel() override { return 0; }
    SYSTEMTIME GetRecorderTime() override { return {}; }
    int SetRecorderTime(const SYSTEMTIME&) override { return 0; }
    QString GetSerialNumber() override { return {}; }
    void Reserved6(std::intptr_t) override {}
    QString GetModelName() override { return {}; }
    int GetHardwareVariant() override { return 0; }
    TSoundFileList* GetSoundFiles() override { return nullptr; }
    TDriveFileList* GetDriveFiles() override { return nullptr; }
    std::uint8_t GetProgress() override { return 0; }
    int GetState() override { return static_cast<int>(m_state.load()); }
    std::int64_t GetTotalMemory() override { return 0; }
    std::int64_t GetFreeMemory() override { return 0; }
    std::int64_t GetFreeDriveMemory() override { return 0; }
    std::int64_t GetUnusedMemory() override { return 0; }
    bool CheckConnection() override { return m_enabled; }
    bool IsContentChanged() override { return false; }
    bool IsFlashDriveDisabled() override { return false; }
    std::uint32_t GetRecordTimeLeft() override { return 0; }
    void SetSkipSilence(bool) override {}
    bool GetSkipSilence() override { return false; }
    QString GetImageFile() override { return {}; }
    void SetImageFile(const QString&) override {}
    void SetEnabled(bool enabled) override { m_enabled = enabled; }
    bool IsEnabled() override { return m_enabled; }
    void RefreshContent() override {}
    void StartDownload(std::uint16_t, std::uint32_t, std::uint32_t, TCustomFile*) override {}
    void StartDownloadPart(std::uint16_t, int, int, TCustomFile*) override {}
    void StartDriveFileDownload(int, HANDLE) override {}
    void StartUpload(std::uint16_t, TWaveSource*, const SYSTEMTIME&) override {}
    void StartDriveFileUpload(const QString&, HANDLE, const SYSTEMTIME&) override {}
    void SetSoundFileStatus(std::uint16_t, std::uint8_t) override {}
    void StartEraseSoundFile(std::uint16_t) override {}
    void StartEraseDriveFile(int) override {}
    void StartFormat() override
    {
        ++FormatRuns;
        m_state = rsFormatting;
        m_job = std::thread([this] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            m_error = TJobError{TJobError::TKind::LinkFault, QStringLiteral("I/O Error"), cmdEraseBlock};
            m_outcome = TJobOutcome::Failed;
            m_state.store(rsIdle);
        });
    }
    void Abort() override {}
    std::int64_t GetUploadSize(TWaveSource*) override { return -1; }
    int ChooseUploadFormat() override { return -1; }
    int Reserved40() override { return 0; }
    void SetHiddenSettingsVisible(bool) override {}
    void SetDebugLog(std::uint8_t) override {}
    int ResetToDefaults() override
    {
        RunCommand(cmdSetDefault, nullptr, 0, nullptr, 0);
        return 0;
    }
    int ResetDefaultsNoErase() override
    {
        RunCommand(cmdSetDefNoFlashErase, nullptr, 0, nullptr, 0);
        return 0;
    }
    bool CheckPassword(const QString&) override { return false; }
    TJobOutcome LastJobOutcome() override { return m_outcome.load(); }
    TJobError LastJobError() override { return m_state.load() == rsIdle ? m_error : TJobError{}; }

    std::atomic<int> FormatRuns{0};

private:
    bool m_enabled = true;
    std::atomic<std::uint32_t> m_state{rsIdle};
    std::atomic<TJobOutcome> m_outcome{TJobOutcome::None};
    TJobError m_error;
    std::thread m_job;
};
