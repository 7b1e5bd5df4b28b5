#pragma once

#include <QString>

// The user's documents folder with "/" at the end, created when missing.
// The settings file and the demo image live there.
QString GetDocumentsFolder();

// Puts the documents folder elsewhere (tests run in a temporary home); an
// empty folder goes back to the user's own. ResetProgramOptions clears it.
void SetDocumentsFolderOverride(const QString& folder);
