#pragma once

#include <QString>

// The folder of the program file with "/" at the end; the preset files lie
// there.
QString GetProgramFolder();

// Puts the program folder elsewhere (tests); an empty folder goes back to
// the program's own.
void SetProgramFolderOverride(const QString& folder);
