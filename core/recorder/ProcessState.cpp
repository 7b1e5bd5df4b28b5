#include "core/recorder/ProcessState.h"

#include <QString>

#include "core/links/Link.h"
#include "core/links/LinkGeometry.h"
#include "core/links/ftdi/FtdiLink.h"
#include "core/links/image/ImageEmulator.h"
#include "core/links/usb/Q71Library.h"
#include "core/links/usb/Q71Link.h"
#include "core/protocol/DebugLog.h"
#include "core/settings/FileCalls.h"
#include "core/settings/ProgramFolder.h"
#include "core/settings/ProgramOptions.h"
#include "localizer/LanguageManager.h"

void ResetProcessState()
{
    ResetProcessStateKeepingLanguages();
    ResetLangManager();
}

void ResetProcessStateKeepingLanguages()
{
    ResetLink();
    ResetImageEmulator();
    ResetLinkGeometry();
    ResetFtdiLink();
    ResetQ71Link();
    ResetQ71Library();
    ResetDebugLog();
    ResetProgramOptions();
    ResetFileCallFaults();
    SetProgramFolderOverride(QString());
}
