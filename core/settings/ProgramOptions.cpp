#include "core/settings/ProgramOptions.h"

#include "core/settings/DocumentsFolder.h"

TProgramOptions ProgramOptions;
std::uint16_t LangID = kDefaultLangID;

void ResetProgramOptions()
{
    ProgramOptions = TProgramOptions();
    LangID = kDefaultLangID;
    SetDocumentsFolderOverride(QString());
}
