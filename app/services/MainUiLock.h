#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>
#include <functional>

class QAction;
class QMainWindow;
class QWidget;

// Holds the user interface during a long operation. Locking remembers the
// focused control and disables mainPanel, the menu bar, the tool bar and the
// window's enabled actions; unlocking undoes exactly that and gives the
// focus back. Locks nest; the outermost pair acts.
class TMainUiLock {
public:
    TMainUiLock(QMainWindow& window, QWidget& mainPanel);

    void Lock();
    void Unlock();
    // The form's own name for it: the argument says whether the interface
    // is enabled, so LockMainUi(false) locks and LockMainUi(true) unlocks.
    void LockMainUi(bool enableUi) { enableUi ? Unlock() : Lock(); }
    bool IsLocked() const { return m_depth > 0; }

    // The control that gets the focus back when nothing was remembered.
    void SetFocusControl(QWidget* control) { m_focusControl = control; }
    // Remembers the focused control (also when the window is deactivated).
    void RememberFocus();
    // Run after the outermost unlock (the main window asks for an idle pass).
    void SetOnUnlocked(std::function<void()> onUnlocked) { m_onUnlocked = std::move(onUnlocked); }

private:
    void DisableControls();
    void RestoreControls();

    QMainWindow& m_window;
    QWidget& m_mainPanel;
    int m_depth = 0;
    QPointer<QWidget> m_focusControl;
    QPointer<QWidget> m_remembered;
    QList<QPointer<QAction>> m_disabledActions;
    QList<QPointer<QWidget>> m_disabledBars;
    std::function<void()> m_onUnlocked;
};

// Locks for a scope, unlocked on every path.
class TMainUiLockScope {
public:
    explicit TMainUiLockScope(TMainUiLock& lock) : m_lock(lock) { m_lock.Lock(); }
    ~TMainUiLockScope() { m_lock.Unlock(); }
    TMainUiLockScope(const TMainUiLockScope&) = delete;
    TMainUiLockScope& operator=(const TMainUiLockScope&) = delete;

private:
    TMainUiLock& m_lock;
};

// The hourglass for a scope, restored on every path.
class TBusyCursorScope {
public:
    TBusyCursorScope();
    ~TBusyCursorScope();
    TBusyCursorScope(const TBusyCursorScope&) = delete;
    TBusyCursorScope& operator=(const TBusyCursorScope&) = delete;
};
