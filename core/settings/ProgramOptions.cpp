#include "ProgramOptions.h"

#include "DocumentsFolder.h"

TProgramOptions ProgramOptions;
std::uint16_t LangID = kDefaultLangID;

void ResetProgramOptions()
{
    ProgramOptions = TProgramOptions();
    LangID = kDefaultLangID;
    SetDocumentsFolderOverride(QString());
}
