#pragma once

#include <QString>

#include "app/dialogs/ModalDialog.h"
#include "core/recorder/RecorderHost.h"
#include "core/settings/RecorderSettings.h"

class TRecorderSettingsModel;

// The recorder settings dialog frmRecSettings as the rest of the program
// calls it. It exists for the whole run; its pages come with the settings
// dialog itself, which fills these operations in. It reaches the
// recorder's settings through the model alone.
class TfrmRecSettings : public TModalDialog {
    Q_OBJECT
public:
    explicit TfrmRecSettings(QWidget* mainWindow = nullptr);

    // The connected recorder's settings (not owned; null: no recorder).
    // The connection hands it over on connect and takes it back before the
    // recorder goes.
    void SetModel(TRecorderSettingsModel* model);
    TRecorderSettingsModel* Model() const { return m_model; }
    // Reloads the controls from the model: after every read of the
    // recorder's settings.
    void RestoreControls();
    // The record the controls edit, a copy of the model's.
    const TRecorderSettings& EditedSettings() const { return m_settings; }
    void SetHiddenPageVisible(bool visible) { m_hiddenPageVisible = visible; }
    bool HiddenPageVisible() const { return m_hiddenPageVisible; }
    void SetDefaultFolder(const QString& folder) { m_defaultFolder = folder; }
    QString DefaultFolder() const { return m_defaultFolder; }

    // Captions of the compression controls and the scale list entries.
    QString CompressionCaption(TCompressionCaption which) const;
    QString ScaleCaption(int index) const;

private:
    TRecorderSettingsModel* m_model = nullptr;
    TRecorderSettings m_settings{};
    bool m_hiddenPageVisible = false;
    QString m_defaultFolder;
};
