#pragma once

// What the options of the settings dialog change in the main window. The
// main window implements it; the dialog calls it whenever such an option's
// check box changes, and once for each when the options are shown.
class TSettingsOptionEffects {
public:
    virtual ~TSettingsOptionEffects() = default;

    // "Hide "Copy selected part" command".
    virtual void SetCopySelPartHidden(bool hidden) = 0;
    // The flash-drive view: disabled and hidden; a view that is then not
    // both enabled and visible gives way to the records view.
    virtual void SetFlashDriveOptions(bool disabled, bool hidden) = 0;
};
