#pragma once

#include <QString>
#include <QStringList>
#include <atomic>

#include "core/protocol/RecXchange.h"
#include "core/recorder/RecorderHost.h"

// Records what the recorder object asks of the user interface.
class FakeRecorderHost : public TRecorderHost {
public:
    FakeRecorderHost() { SetRecorderHost(this); }
    ~FakeRecorderHost() override { SetRecorderHost(nullptr); }

    void SetSettingsRecorder(TCustomRecorder* recorder) override { SettingsRecorder = recorder; }
    void RecorderDestroyed(TCustomRecorder* recorder) override
    {
        if (SettingsRecorder == recorder)
            SettingsRecorder = nullptr;
        ++Destroyed;
    }
    void RestoreSettingsControls() override { ++Restores; }
    void SetHiddenSettingsVisible(bool visible) override { HiddenVisible = visible; }
    bool ChooseUploadFormat(std::uint8_t& compress, std::uint8_t& param) override
    {
        SeenCompress = compress;
        SeenParam = param;
        if (!ChooseAccepts)
            return false;
        compress = ChosenCompress;
        param = ChosenParam;
        return true;
    }
    int AppMessageBox(const QString& text, std::uint32_t, const QString&) override
    {
        Messages.append(text);
        return IDOK;
    }
    void JobEnded() override { ++JobEnds; }
    QString CompressionCaption(TCompressionCaption) override { return {}; }
    QString ScaleCaption(int) override { return {}; }

    TCustomRecorder* SettingsRecorder = nullptr;
    int Destroyed = 0;
    int Restores = 0;
    bool HiddenVisible = false;
    bool ChooseAccepts = true;
    std::uint8_t ChosenCompress = 0, ChosenParam = 0, SeenCompress = 0, SeenParam = 0;
    QStringList Messages;
    std::atomic<int> JobEnds{0};
};
