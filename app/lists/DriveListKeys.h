#pragma once

#include <QObject>
#include <functional>

class TDriveListView;

// lvDrvContentKeyDown and lvDrvContentDblClick: Enter and a double click
// open the selected folder, Backspace runs Level Up, Ctrl+A selects every
// row. The keys count only with exactly those modifiers (none; Ctrl for A).
class TDriveListKeys : public QObject {
    Q_OBJECT
public:
    // levelUp: what Backspace runs (actDrvLevelUp).
    TDriveListKeys(TDriveListView& drive, std::function<void()> levelUp, QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TDriveListView& m_drive;
    QObject* m_view = nullptr;  // compared only: the view may be going
    std::function<void()> m_levelUp;
};
