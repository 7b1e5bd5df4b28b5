#pragma once

#include <cstdlib>

#include "core/recorder/ProcessState.h"
#include "localizer/LanguageManager.h"

// The per-input reset of the targets whose inputs only look texts up: the
// process state as ResetProcessState() leaves it, but the language manager
// built once, as rebuilding it costs more than most inputs. An input that
// switched the language would make the next inputs depend on it, so that
// stops the run.
inline void ResetKeepingLanguages()
{
    ResetProcessStateKeepingLanguages();
    if (LangManager().GetActiveLangID() != TLanguageManager::kEnglishLangID)
        std::abort();
}
