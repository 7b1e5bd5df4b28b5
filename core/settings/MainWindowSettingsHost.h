#pragma once

#include <cstdint>

#include "core/settings/WindowPlacement.h"

// The main-window lists whose column widths the settings file keeps.
enum class TSettingsListView {
    RecContent,   // record list, keys "lvRecContentColumn<n>Width"
    DrvContent,   // flash-drive list, "lvDrvContentColumn<n>Width"
    ShellContent, // explorer list, "lvShellContentColumn<n>Width"
};

// Entries of the connection menu, numbered by the connection type each stands for.
enum class TConnectMenuItem : std::int32_t {
    miUSB11 = 0,
    miImageFile = 1,
    miUSB20_ADPT = 2,
    miDemo = 3,
    miUSB20_SPI = 4,
    miQ71_ADPT = 5,
};

// What the main settings file reads from and writes to the main window: its
// placement and the controls whose state the file keeps without a copy in
// ProgramOptions. The main window implements it.
class TMainWindowSettingsHost {
public:
    virtual ~TMainWindowSettingsHost() = default;

    // The window's present placement (GetWindowPlacement).
    virtual WINDOWPLACEMENT CurrentPlacement() const = 0;

    virtual int ExplorerWidth() const = 0; // pnlExpWindow
    virtual void SetExplorerWidth(int width) = 0;
    virtual bool ExplorerShown() const = 0; // actViewExp checked
    virtual void SetExplorerShown(bool shown) = 0;
    virtual int FoldersWidth() const = 0; // ShellTreeView1
    virtual void SetFoldersWidth(int width) = 0;
    virtual bool FolderTreeShown() const = 0; // actFolderTree checked
    virtual void SetFolderTreeShown(bool shown) = 0;
    // ShellListView1: 0 large icons, 1 small icons, 2 list, 3 report.
    virtual int ViewStyle() const = 0;
    virtual void SetViewStyle(int style) = 0;

    virtual int ColumnCount(TSettingsListView list) const = 0;
    virtual int ColumnWidth(TSettingsListView list, int column) const = 0;
    virtual void SetColumnWidth(TSettingsListView list, int column, int width) = 0;

    virtual void CheckConnectMenuItem(TConnectMenuItem item) = 0;
    // Builds the recent-file entries from ProgramOptions.RecentFiles.
    virtual void RebuildRecentFilesMenu() = 0;
};
