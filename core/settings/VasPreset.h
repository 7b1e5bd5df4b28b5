#pragma once

#include <QString>

#include "OwnedList.h"
#include "RecorderSettings.h"

// A named set of voice-activation parameters offered by the settings dialog.
struct TVasPreset {
    QString Name;
    TVasParams Params;
};

// In file order.
class TVasPresetList : public TOwnedList<TVasPreset> {};
