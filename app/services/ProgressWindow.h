#pragma once

#include <QString>
#include <cstdint>

// The window a long operation shows its progress in (the status window of
// the dialogs room): a status text, a gauge and Cancel.
class TProgressWindow {
public:
    virtual ~TProgressWindow() = default;

    // The caption, the gauge at 0 and Cancel enabled or not; shown (not
    // modal) and painted.
    virtual void ShowProgress(const QString& caption, bool canCancel) = 0;
    virtual void SetProgress(std::uint8_t percent) = 0;
    virtual void SetStatusText(const QString& text) = 0;
    virtual bool ProgressShown() const = 0;
    // Hidden, with Cancel back in place for the next operation.
    virtual void HideProgress() = 0;
};
