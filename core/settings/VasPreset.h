#pragma once

#include <QString>

#include "core/recorder/OwnedList.h"
#include "core/settings/RecorderSettings.h"

// A named set of voice-activation parameters offered by the settings dialog.
struct TVasPreset {
    QString Name;
    TVasParams Params;
};

// In file order.
class TVasPresetList : public TOwnedList<TVasPreset> {};
