#pragma once

#include <vector>

#include "core/settings/ProgramOptions.h"
#include "core/settings/WindowPlacement.h"

// The main window's layout as the settings file keeps it.
struct TMainWindowLayout {
    WINDOWPLACEMENT Placement;
    int ExplorerWidth = 0;        // pnlExpWindow
    bool ExplorerShown = true;    // actViewExp checked
    int FoldersWidth = 0;         // ShellTreeView1
    bool FolderTreeShown = true;  // actFolderTree checked
    int ViewStyle = 3;            // ShellListView1: 0 large icons, 1 small icons, 2 list, 3 report
    // Column widths, one per column the list has.
    std::vector<int> RecContentColumns;    // lvRecContent
    std::vector<int> DrvContentColumns;    // lvDrvContent
    std::vector<int> ShellContentColumns;  // ShellListView1
};

// Everything the main settings file holds but the language, which is the
// language manager's.
struct TMainSettings {
    TProgramOptions Options;
    TMainWindowLayout Layout;
};
