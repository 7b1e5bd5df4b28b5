#pragma once

#include <QObject>
#include <functional>

// Drives the main window's idle pass like the class library's idle event:
// when the event loop is about to wait and something happened since the
// last pass (an event, a pass that left Done false, or a request), a pass
// is posted; it runs from the loop, never inside the signal, and never
// while the user interface is locked (a long operation's processEvents).
class TIdleScheduler : public QObject {
    Q_OBJECT
public:
    // pass(done): done comes in true; the pass may set it false to be run
    // again without waiting for an event. blocked: no pass may run now.
    TIdleScheduler(std::function<void(bool& done)> pass, std::function<bool()> blocked, QObject* parent = nullptr);
    ~TIdleScheduler() override;

    // The next time the loop is about to wait, a pass runs.
    void SchedulePass();
    // The passes run so far (a quiet loop must not keep adding to it).
    int PassesRun() const { return m_passesRun; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void customEvent(QEvent* event) override;

private:
    void AboutToBlock();

    std::function<void(bool&)> m_pass;
    std::function<bool()> m_blocked;
    bool m_due = true;
    bool m_posted = false;
    int m_passesRun = 0;
};
