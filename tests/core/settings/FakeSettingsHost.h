#pragma once

#include <array>
#include <vector>

#include "core/settings/MainWindowSettingsHost.h"

// A main window as the settings file sees it: a placement and the controls.
class FakeSettingsHost : public TMainWindowSettingsHost {
public:
    FakeSettingsHost()
    {
        Placement.showCmd = 1;
        Placement.ptMinPosition = {-1, -1};
        Placement.ptMaxPosition = {-1, -1};
        Placement.rcNormalPosition = {100, 80, 900, 680};
    }

    WINDOWPLACEMENT CurrentPlacement() const override { return Placement; }

    int ExplorerWidth() const override { return ExpWidth; }
    void SetExplorerWidth(int width) override { ExpWidth = width; }
    bool ExplorerShown() const override { return ExpWindow; }
    void SetExplorerShown(bool shown) override { ExpWindow = shown; }
    int FoldersWidth() const override { return FoldersWidthValue; }
    void SetFoldersWidth(int width) override { FoldersWidthValue = width; }
    bool FolderTreeShown() const override { return FolderTree; }
    void SetFolderTreeShown(bool shown) override { FolderTree = shown; }
    int ViewStyle() const override { return ViewStyleValue; }
    void SetViewStyle(int style) override { ViewStyleValue = style; }

    int ColumnCount(TSettingsListView list) const override { return static_cast<int>(Columns(list).size()); }
    int ColumnWidth(TSettingsListView list, int column) const override { return Columns(list).at(column); }
    void SetColumnWidth(TSettingsListView list, int column, int width) override { Columns(list).at(column) = width; }

    void CheckConnectMenuItem(TConnectMenuItem item) override
    {
        CheckedItem = item;
        ++CheckCalls;
    }
    void RebuildRecentFilesMenu() override { ++RecentMenuRebuilds; }

    std::vector<int>& Columns(TSettingsListView list) { return ColumnWidths[static_cast<int>(list)]; }
    const std::vector<int>& Columns(TSettingsListView list) const { return ColumnWidths[static_cast<int>(list)]; }

    WINDOWPLACEMENT Placement;
    int ExpWidth = 250;
    bool ExpWindow = false;
    int FoldersWidthValue = 180;
    bool FolderTree = true;
    int ViewStyleValue = 3;
    std::array<std::vector<int>, 3> ColumnWidths{std::vector<int>{40, 140, 80, 60, 90, 120},
                                                 std::vector<int>{200, 80, 120}, std::vector<int>{180, 70, 90, 110}};
    TConnectMenuItem CheckedItem = TConnectMenuItem::miImageFile;
    int CheckCalls = 0;
    int RecentMenuRebuilds = 0;
};
