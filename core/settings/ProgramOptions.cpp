#include "core/settings/ProgramOptions.h"

#include "core/settings/DocumentsFolder.h"

TProgramOptions ProgramOptions;

void ResetProgramOptions()
{
    ProgramOptions = TProgramOptions();
    SetDocumentsFolderOverride(QString());
}
