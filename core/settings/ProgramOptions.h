#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

// The program's options as the main settings file holds them. The settings
// dialog is handed the whole record, so the order of the fields stays.
// Flags are bytes: false 0, true 1.
struct TProgramOptions {
    QString DefFolder;
    QString FileNameMask;
    bool Split = false;
    // Megabytes per part of a split download. Kept as read: the download
    // treats a value <= 0 as "no split" and clamps larger ones.
    std::int64_t MaxOutputSize = 0;
    bool SyncTime = false;
    bool AutoDownload = false;
    bool NonDownOnly = false;
    bool AutoDelete = false;
    bool SkipSilence = false;
    bool ShowVoiceParts = false;
    bool HideEditor = false;
    bool DisableEditor = false;
    bool HideFlashDrive = false;
    bool DisableFlashDrive = false;
    bool SimpleQualitySetup = false;
    bool SimpleVasSetup = false;
    bool HideMaskEdit = false;
    bool HideSplitting = false;
    bool NonSavedEraseDisable = false;
    bool HideExpert = false;
    bool HideAdvExpert = false;
    bool AonOnly = false;
    bool DialectFormat = false;
    std::int32_t ConnectType = 0;
    QString ImageFileName;
    std::uint8_t RecentCount = 0;
    QStringList RecentFiles; // recent image files, in menu order
};

// The one record of the program, read by the core, the audio layer and the
// main window; written by the settings file, the settings dialog and the
// connection menus, all on the GUI thread.
extern TProgramOptions ProgramOptions;

// The language of a first start (a Windows language ID). The language in
// use is the language manager's active one.
inline constexpr std::uint16_t kDefaultLangID = 1033;

// Back to the start of the program: a zeroed record and the user's own
// documents folder (see DocumentsFolder.h).
void ResetProgramOptions();
