#pragma once

#include "core/settings/RecorderSettings.h"

// The settings route of image and demo connections: through the header of
// the attached image file.

// Reads the header (a header that cannot be read leaves the buffer as it
// was) and takes the settings from it; not normalised.
void ReadSettingsFromImage(TRecorderSettings& settings);

// Sets the current profile with command 57 (the image link copies its frame
// into the header), fills the header and writes it.
void StoreSettingsToImage(TRecorderSettings& settings);
