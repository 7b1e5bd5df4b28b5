#include "ProcessState.h"

#include <QString>

#include "DebugLog.h"
#include "FtdiLink.h"
#include "ImageEmulator.h"
#include "LanguageManager.h"
#include "Link.h"
#include "LinkGeometry.h"
#include "ProgramFolder.h"
#include "ProgramOptions.h"
#include "Q71Library.h"
#include "Q71Link.h"

void ResetProcessState()
{
    ResetLink();
    ResetImageEmulator();
    ResetLinkGeometry();
    ResetFtdiLink();
    ResetQ71Link();
    ResetQ71Library();
    ResetDebugLog();
    ResetProgramOptions();
    SetProgramFolderOverride(QString());
    ResetLangManager();
}
