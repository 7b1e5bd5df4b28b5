#pragma once

#include <QObject>
#include <functional>

// Brings the actions' enabled states up to date before a key is matched
// against their shortcuts, as the class library's actions update before
// they execute. Otherwise the states are the last idle pass's: a click that
// selects a row and F6 right after it, handled in one go without a pass
// between them, would meet a disabled action and the key would be lost.
class TShortcutActionUpdate : public QObject {
    Q_OBJECT
public:
    // update: the idle pass's action updates; blocked: nothing may run now
    // (the interface is locked).
    TShortcutActionUpdate(std::function<void()> update, std::function<bool()> blocked, QObject* parent = nullptr);
    ~TShortcutActionUpdate() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> m_update;
    std::function<bool()> m_blocked;
    bool m_updating = false;
};
