#pragma once

#include <QString>
#include <functional>

class TLanguageManager;

// The Language menu as the main window shows it: radio items of one group
// whose click runs LanguageMenuClick with the item's position.
class TLanguageMenuView {
public:
    virtual ~TLanguageMenuView() = default;
    virtual void Clear() = 0;
    virtual void AddItem(const QString& caption) = 0;
    virtual void InsertItem(int position, const QString& caption) = 0;
    // Checks one item (and so unchecks the others); -1 checks none.
    virtual void CheckItem(int position) = 0;
};

// What the menu logic asks of the main window.
struct TLanguageMenuHooks {
    std::function<void(const QString&)> ShowError;
    // Before a switch chosen from the menu (the main window disconnects).
    std::function<void()> BeforeSwitch;
    // After it, whatever the outcome (the main window stops the back-off).
    std::function<void()> AfterSwitch;
};

// What the menu remembers between clicks.
struct TLanguageMenuState {
    bool EnglishFileExists = false; // then the menu has no base item
    int CheckedPosition = -1;
};

// The mask of the language files beside a program file: its name without
// folder and extension, then "_*.lng".
QString LanguageFileMask(const QString& programFile);

// Start-up: scans the program's folder, fills the menu, falls back to 1033
// for a saved ID without an item and selects the saved language. A language
// that fails to load shows the error and leaves the built-in texts; langID
// and the check mark change only after a switch that succeeded.
TLanguageMenuState BuildLanguageMenu(TLanguageManager& manager, TLanguageMenuView& menu, const QString& programFile,
                                     int& langID, const TLanguageMenuHooks& hooks);

// A click on the item at a position. Returns whether the switch succeeded;
// on failure the error is shown and the previous item is checked again. The
// language chosen is the manager's active one from then on.
bool LanguageMenuClick(TLanguageManager& manager, TLanguageMenuView& menu, TLanguageMenuState& state, int position,
                       const TLanguageMenuHooks& hooks);
