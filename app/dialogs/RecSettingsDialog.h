#pragma once

#include <QString>

#include "app/dialogs/ModalDialog.h"
#include "core/recorder/RecorderHost.h"

class TCustomRecorder;

// The recorder settings dialog frmRecSettings as the rest of the program
// calls it. It exists for the whole run; its pages come with the settings
// dialog itself, which fills these operations in.
class TfrmRecSettings : public TModalDialog {
    Q_OBJECT
public:
    explicit TfrmRecSettings(QWidget* mainWindow = nullptr);

    // The recorder whose settings the dialog edits (not owned; null: none).
    void SetRecorder(TCustomRecorder* recorder) { m_recorder = recorder; }
    TCustomRecorder* Recorder() const { return m_recorder; }
    void RecorderDestroyed(TCustomRecorder* recorder);
    // Reloads the controls from the recorder's settings.
    void RestoreControls() {}
    void SetHiddenPageVisible(bool visible) { m_hiddenPageVisible = visible; }
    bool HiddenPageVisible() const { return m_hiddenPageVisible; }
    void SetDefaultFolder(const QString& folder) { m_defaultFolder = folder; }
    QString DefaultFolder() const { return m_defaultFolder; }

    // Captions of the compression controls and the scale list entries.
    QString CompressionCaption(TCompressionCaption which) const;
    QString ScaleCaption(int index) const;

private:
    TCustomRecorder* m_recorder = nullptr;
    bool m_hiddenPageVisible = false;
    QString m_defaultFolder;
};
