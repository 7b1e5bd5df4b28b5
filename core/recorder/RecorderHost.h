#pragma once

#include <QString>
#include <cstdint>

#include "core/flash/CodecTable.h"
#include "core/recorder/MessageBoxCodes.h"

class TCustomRecorder;

// The settings dialog's built-in captions of the compression controls and
// of the scale entries 0..4 ("1" ... "16"; "" outside).
QString BuiltInCompressionCaption(TCompressionCaption which);
QString BuiltInScaleCaption(int index);

// What the recorder object needs of the user interface. The program
// registers its implementation at start-up; tests register a fake. Message
// boxes and errors may be raised on a job thread: the implementation takes
// them to the GUI thread. A job's failure is not shown from here: the code
// that waited for the job shows it.
class TRecorderHost {
public:
    virtual ~TRecorderHost() = default;

    // The recorder settings dialog shows or hides its hidden page.
    virtual void SetHiddenSettingsVisible(bool visible) = 0;

    // The compression dialog for uploads: false when cancelled. compress
    // and param come in with the current choice and go out with the new one.
    virtual bool ChooseUploadFormat(std::uint8_t& compress, std::uint8_t& param) = 0;

    // The application's message box: the button number pressed. Only for
    // questions a job must ask midway. An empty caption: the application's
    // title.
    virtual int AppMessageBox(const QString& text, std::uint32_t flags, const QString& caption) = 0;
    // A job has stored its final state (called on the job thread, never
    // blocks): a GUI waiting for it may look now.
    virtual void JobEnded() {}

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
