#pragma once

#include <QString>
#include <cstdint>

#include "core/flash/CodecTable.h"
#include "core/recorder/MessageBoxCodes.h"

class TCustomRecorder;
class TERecXchange;

// The settings dialog's built-in captions of the compression controls and
// of the scale entries 0..4 ("1" ... "16"; "" outside).
QString BuiltInCompressionCaption(TCompressionCaption which);
QString BuiltInScaleCaption(int index);

// What the recorder object needs of the user interface. The program
// registers its implementation at start-up; tests register a fake. Message
// boxes and errors may be raised on a job thread: the implementation takes
// them to the GUI thread.
class TRecorderHost {
public:
    virtual ~TRecorderHost() = default;

    // The recorder settings dialog: keep the recorder, reload its controls
    // from the recorder's settings, show or hide its hidden page.
    virtual void SetSettingsRecorder(TCustomRecorder* recorder) = 0;
    virtual void RecorderDestroyed(TCustomRecorder* recorder) = 0;
    virtual void RestoreSettingsControls() = 0;
    virtual void SetHiddenSettingsVisible(bool visible) = 0;

    // The compression dialog for uploads: false when cancelled. compress
    // and param come in with the current choice and go out with the new one.
    virtual bool ChooseUploadFormat(std::uint8_t& compress, std::uint8_t& param) = 0;

    // The application's message box: the button number pressed.
    virtual int AppMessageBox(const QString& text, std::uint32_t flags, const QString& caption) = 0;
    // "ERROR: %s. Error code %d" for a link failure.
    virtual void ShowRecorderError(const TERecXchange& error) = 0;
    // Any other failure of a job, as its text.
    virtual void ShowError(const QString& text) = 0;

    // Current (translated) captions of the dialog's compression controls,
    // and the entries of its scale list ("1", "2", "4", "8", "16").
    virtual QString CompressionCaption(TCompressionCaption which) = 0;
    virtual QString ScaleCaption(int index) = 0;
};

// The registered host, or a quiet one that shows nothing and answers every
// question with Cancel (its errors go to the debug log).
TRecorderHost& RecorderHost();
// Registers a host (null: back to the quiet one). The host must outlive
// every recorder object.
void SetRecorderHost(TRecorderHost* host);
