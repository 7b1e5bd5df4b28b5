#pragma once

#include <QString>
#include <cstdint>

#include "core/settings/QualityPreset.h"
#include "core/settings/RecorderSettings.h"
#include "core/settings/VasPreset.h"

class TRecorder;

// The program folder followed by the current text of RecFilePrefixStr.
QString PresetBasePath();
// The preset files beside the program: the base path with the extension of
// its last component removed, then "_req.ini" or "_vas.ini".
QString QualityPresetFileName(const QString& basePath);
QString VasPresetFileName(const QString& basePath);

// Refill a list from a preset file, one preset per section in file order;
// display names under the language ID (decimal key), else the section
// name. A missing file leaves the list empty.
void LoadQualityPresets(TQualityPresetList& list, const QString& fileName, std::uint16_t langId);
void LoadVasPresets(TVasPresetList& list, const QString& fileName, std::uint16_t langId);

// Index of the first preset with the profile's rate and compression, or -1.
int FindQualityPreset(const TQualityPresetList& list, const TRecordProfile& profile);
// Index of the first preset whose 12 parameter bytes equal these, or -1.
int FindVasPreset(const TVasPresetList& list, const TVasParams& params);

// The same on the recorder object's lists, under the language ID the object
// froze when it was made.
void LoadQualityPresets(TRecorder& recorder);
void LoadVasPresets(TRecorder& recorder);
int FindQualityPreset(const TRecorder& recorder, const TRecordProfile& profile);
int FindVasPreset(const TRecorder& recorder, const TVasParams& params);
