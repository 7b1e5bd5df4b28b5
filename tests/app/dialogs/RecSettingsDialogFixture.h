#pragma once

#include <gtest/gtest.h>

#include <QDate>
#include <QString>
#include <deque>
#include <memory>
#include <optional>
#include <stdexcept>

#include "app/dialogs/PasswordDialog.h"
#include "app/dialogs/RecSettingsDialog.h"
#include "app/dialogs/RecSettingsMapping.h"
#include "app/dialogs/SettingsOptionEffects.h"
#include "app/services/FileDialogs.h"
#include "core/protocol/RecorderClock.h"
#include "core/recorder/NoPasswordBytes.h"
#include "core/recorder/ProcessState.h"
#include "core/recorder/RecorderSettingsModel.h"
#include "core/settings/DocumentsFolder.h"
#include "core/settings/ProgramFolder.h"
#include "core/settings/QualityPreset.h"
#include "core/settings/VasPreset.h"
#include "tests/app/ScriptedMessageBoxes.h"
#include "tests/support/FakeRecorderHost.h"
#include "tests/support/TempDir.h"

// A recorder's settings in memory: stores go into the record, or fail.
class FakeSettingsModel : public TRecorderSettingsModel {
public:
    TRecorderSettings Settings() const override { return Record; }
    const TQualityPresetList& QualityPresets() const override { return Quality; }
    const TVasPresetList& VasPresets() const override { return Vas; }
    void Store(const TRecorderSettings& settings) override
    {
        ++Stores;
        if (FailStore)
            throw std::runtime_error("the recorder did not answer");
        Record = settings;
    }
    std::uint64_t RecordTime(const TRecordProfile& profile) const override
    {
        return profile.SampleRate == 16000 ? 1800 : 3725;
    }
    QString ModelText() const override { return Model; }

    TRecorderSettings Record{};
    TQualityPresetList Quality;
    TVasPresetList Vas;
    QString Model = QStringLiteral("Test recorder");
    int Stores = 0;
    bool FailStore = false;
};

// Answers the file dialogs with queued paths (nullopt: Cancel) and records
// the requests.
class ScriptedFileDialogs : public TFileDialogAnswerer {
public:
    ScriptedFileDialogs() { SetFileDialogAnswerer(this); }
    ~ScriptedFileDialogs() override { SetFileDialogAnswerer(nullptr); }
    std::optional<QString> Answer(const TFileDialogRequest& request) override
    {
        Requests.push_back(request);
        if (Answers.empty())
            return std::nullopt;
        std::optional<QString> answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    std::deque<std::optional<QString>> Answers;
    std::vector<TFileDialogRequest> Requests;
};

class RecordingEffects : public TSettingsOptionEffects {
public:
    void SetCopySelPartHidden(bool hidden) override { CopySelPartHidden = hidden; }
    void SetFlashDriveOptions(bool disabled, bool hidden) override
    {
        FlashDisabled = disabled;
        FlashHidden = hidden;
        ++FlashCalls;
    }
    bool CopySelPartHidden = false;
    bool FlashDisabled = false;
    bool FlashHidden = false;
    int FlashCalls = 0;
};

// A settings record as a recorder holds it after a read: every value in
// the range its control offers, the caller-ID block in the dialog's order.
inline TRecorderSettings RealisticSettings()
{
    TRecorderSettings s;
    for (std::size_t i = 0; i < s.Profiles.size(); ++i)
        s.Profiles[i] = {static_cast<std::uint8_t>(i), 8000, 1, 2, 0, 0, 100};
    s.Profiles[2] = {2, 16000, 0, 0, 1, 255, 60};
    s.Vas = {8, 4, 40, 3, 20, 95, 64, 50};
    s.SearchStep = 10;
    s.PressType = 0;
    s.AccessLevel = 2;
    s.BatteryLevels = {0, 0x0C10, 0x0C30, 0x0C50};
    s.CodecGain = 20;
    s.ExtDevice = 1;
    const auto at = [](int y, int mo, int d, int h, int mi) {
        return TRecSettingsMapping::TimerSeconds(QDate(y, mo, d), h, mi);
    };
    s.OnceTimer = {at(2024, 3, 5, 14, 5), at(2024, 3, 6, 10, 0), 0};
    s.DailyTimer = {at(2024, 3, 6, 8, 0), at(2024, 3, 6, 18, 30), 255};
    s.CurrentProfile = 2;
    s.Password = NoPasswordBytes;
    TAonControls aon;
    aon.DetectType = TRecSettingsMapping::kDetectRussian;
    aon.RingVoltage = 40;
    aon.BusyVoltage = 20;
    aon.NumLen = 7;
    aon.SkipRings = 2;
    aon.FirstReqDelay = 300;
    aon.ReqDur = 120;
    aon.ReqForms = 5;
    aon.ReqCount = 3;
    aon.ReqAmp = -12;
    aon.MinDigCount = 4;
    aon.NextReqDelay = 250;
    aon.DTMFVoltage = 120;
    aon.DialDelay = 5;
    s.Aon = TRecSettingsMapping::WriteAon(aon, false);
    return s;
}

// The dialog with a password dialog, scripted boxes and file dialogs, a
// fixed clock and the effects recorded, in a temporary home.
class RecSettingsDialogFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessState();
        SetProgramFolderOverride(QString::fromStdString(m_dir.Path().string()) + QLatin1Char('/'));
        SetDocumentsFolderOverride(QString::fromStdString(m_dir.Path().string()) + QLatin1Char('/'));
        password = std::make_unique<TPasswordDlg>();
        dialog = std::make_unique<TfrmRecSettings>();
        dialog->SetPasswordDialog(password.get());
        dialog->SetOptionEffects(&effects);
        dialog->SetClock([] {
            SYSTEMTIME time;
            time.wYear = 2024;
            time.wMonth = 3;
            time.wDay = 5;
            time.wHour = 14;
            time.wMinute = 5;
            time.wSecond = 9;
            return time;
        });
    }

    void TearDown() override
    {
        password->SetAnswerer(nullptr);
        dialog.reset();
        password.reset();
        ResetProcessState();
    }

    template <typename T> T* W(const char* name) const
    {
        T* widget = dialog->findChild<T*>(QLatin1String(name));
        if (!widget)
            throw std::logic_error(std::string("no widget ") + name);
        return widget;
    }

    // The password dialog's answers in order (nullopt: Cancel).
    void AnswerPasswords(std::deque<std::optional<QString>> answers)
    {
        m_passwordAnswers = std::move(answers);
        password->SetAnswerer([this](const QString& prompt) -> std::optional<QString> {
            PasswordPrompts.push_back(prompt);
            if (m_passwordAnswers.empty())
                return std::nullopt;
            std::optional<QString> answer = m_passwordAnswers.front();
            m_passwordAnswers.pop_front();
            return answer;
        });
    }

    std::string File(const std::string& name) const { return m_dir.File(name); }

    TempDir m_dir;
    FakeRecorderHost host;
    ScriptedMessageBoxes boxes;
    ScriptedFileDialogs files;
    RecordingEffects effects;
    std::unique_ptr<TPasswordDlg> password;
    std::unique_ptr<TfrmRecSettings> dialog;
    std::vector<QString> PasswordPrompts;

private:
    std::deque<std::optional<QString>> m_passwordAnswers;
};
