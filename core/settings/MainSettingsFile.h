#pragma once

#include <QString>
#include <cstdint>

#include "core/settings/MainSettings.h"

// The main settings file: the program options, the main window's layout and
// the recent image files, in one INI file in the documents folder. Its keys
// are the table of MainSettingsKeys.h, which drives both load and save.

// The file's name: the built-in text of RecFilePrefixStr ("ZEL4") and
// ".set". It stays the same for the whole run, whatever a language file
// makes of the prefix, so a translation can never split the settings over
// two files.
QString SettingsFileName();

// GetDocumentsFolder() + SettingsFileName().
QString SettingsFilePath();

// A first start: copies the default file of the same name from the current
// folder when the settings file is missing. A failed copy is ignored.
void CreateSettingsFileFromDefault();

// Raises EIniFileError ("Unable to read <path>: <reason>") when the file
// exists but cannot be read. The loads below then give the values they were
// handed, and SaveSettings refuses to replace the file.
void CheckSettingsFileReadable();

// Entries of the connection menu, numbered by the connection type each stands for.
enum class TConnectMenuItem : std::int32_t {
    miUSB11 = 0,
    miImageFile = 1,
    miUSB20_ADPT = 2,
    miDemo = 3,
    miUSB20_SPI = 4,
    miQ71_ADPT = 5,
};

// The connection-menu entry that shows a connection type: unknown types,
// negative ones too, show the demo entry.
TConnectMenuItem ConnectMenuItemFor(int connectType);

// The saved language ID in 16 bits; current when the key is missing or
// unreadable.
std::uint16_t LoadLangID(std::uint16_t current);

// The saved placement when it holds exactly 44 bytes, otherwise the window's
// present placement, so that applying it changes nothing.
WINDOWPLACEMENT LoadWindowPlacement(const WINDOWPLACEMENT& present);

// Every key but the language and the placement, read over the present
// options and layout: a missing or unreadable key keeps the present value
// unless the table names a default. The column lists keep their length.
// A ConnectType that names no connection type (out of range, empty, text)
// reads as kDefaultConnectType, so a save writes that back.
TMainSettings LoadSettings(const TMainSettings& present);

// Writes every key in one save, the language as the language manager has it.
// Raises EIniFileError ("Unable to write to <path>") when the system refuses
// or the file could not be read; the old file then stays whole.
void SaveSettings(const TMainSettings& settings);
