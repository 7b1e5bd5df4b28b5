#pragma once

#include "core/recorder/RecorderHost.h"

class QWidget;
class TfrmRecSettings;

// The program's side of the recorder object's host interface: boxes and
// errors through AppMessageBox, the compression dialog, the settings
// dialog. Calls from a job thread are served on the GUI thread.
class TAppRecorderHost : public TRecorderHost {
public:
    TAppRecorderHost(QWidget* mainWindow, TfrmRecSettings* settingsDialog);

    void SetHiddenSettingsVisible(bool visible) override;
    bool ChooseUploadFormat(std::uint8_t& compress, std::uint8_t& param) override;
    int AppMessageBox(const QString& text, std::uint32_t flags, const QString& caption) override;
    void JobEnded() override;
    QString CompressionCaption(TCompressionCaption which) override;
    QString ScaleCaption(int index) override;

private:
    QWidget* m_mainWindow;
    TfrmRecSettings* m_settings;
};

// Registers a host for its lifetime.
class TRecorderHostRegistration {
public:
    explicit TRecorderHostRegistration(TRecorderHost& host) { SetRecorderHost(&host); }
    ~TRecorderHostRegistration() { SetRecorderHost(nullptr); }
    TRecorderHostRegistration(const TRecorderHostRegistration&) = delete;
    TRecorderHostRegistration& operator=(const TRecorderHostRegistration&) = delete;
};
