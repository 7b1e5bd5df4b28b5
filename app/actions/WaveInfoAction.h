#pragma once

#include <QObject>

class QAction;
class QWidget;
class TExplorerPane;

// actShowAddInfo: what a downloaded wave file stored, for the one file
// selected in the explorer pane, in one message box.
class TWaveInfoAction : public QObject {
    Q_OBJECT
public:
    // Builds the action, owned by window.
    TWaveInfoAction(QWidget& window, TExplorerPane& explorer);

    QAction* Action() const { return m_action; }

    // Enabled while the pane is shown and exactly one item is selected in it.
    void actShowAddInfoUpdate();
    // Reads the whole file with the hourglass shown, then shows the box.
    void actShowAddInfoExecute();

private:
    TExplorerPane& m_explorer;
    QAction* m_action = nullptr;
};
