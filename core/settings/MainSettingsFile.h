#pragma once

#include <QString>

#include "core/settings/MainWindowSettingsHost.h"
#include "core/settings/WindowPlacement.h"

// The main settings file: the program options, the main window's layout and
// the recent image files, in one INI file in the documents folder.

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

// The connection-menu entry that shows a connection type: unknown types,
// negative ones too, show the demo entry.
TConnectMenuItem ConnectMenuItemFor(int connectType);

// Reads LangID (default: its present value).
void LoadLangID();

// The saved placement when it holds exactly 44 bytes, otherwise the window's
// present placement, so that applying it changes nothing.
WINDOWPLACEMENT LoadWindowPlacement(const TMainWindowSettingsHost& window);

// Reads every other key into ProgramOptions and the window's controls. A
// missing or unreadable key leaves the present value.
void LoadSettings(TMainWindowSettingsHost& window);

// Writes everything in one save. Raises EIniFileError ("Unable to write to
// <path>") when the system refuses; the old file then stays whole.
void SaveSettings(const TMainWindowSettingsHost& window);
