#pragma once

#include <QString>

#include "core/settings/RecorderSettings.h"

class TRecorder;

// Recording profile files (".rpr"): the eight profiles, the VAS block, four
// switches and the caller-ID pairs of a settings record, tagged with the
// recorder model. Sections in the order written: "Recorder model",
// "Profile 0".."Profile 7", "VAS", "Settings", "AON". Fields outside these
// groups are neither written nor read.

// Writes the file anew from the record: nothing of an old file survives.
// Raises EIniFileError when the system refuses the write; the old file then
// stays whole. True when done.
bool SaveProfileFile(const QString& model, const QString& fileName, const TRecorderSettings& source);

// Reads the file into the record when its model text is exactly the given
// one; otherwise (a missing or empty file too) says "Error: invalid profile
// file format.", leaves the record untouched and gives false. A key that is
// missing or unreadable keeps its field.
bool LoadProfileFile(const QString& model, const QString& fileName, TRecorderSettings& target);

// The same, tagged with the recorder object's model text.
bool SaveProfileFile(const TRecorder& recorder, const QString& fileName, const TRecorderSettings& source);
bool LoadProfileFile(const TRecorder& recorder, const QString& fileName, TRecorderSettings& target);
