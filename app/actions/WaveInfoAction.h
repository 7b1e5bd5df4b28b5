#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QAction;
class QWidget;

// actShowAddInfo: what a downloaded wave file stored, for the one file
// selected in the explorer pane, in one message box.
class TWaveInfoAction : public QObject {
    Q_OBJECT
public:
    // The path of the one file selected in the shown explorer pane, or
    // empty (the pane hidden, no file or several selected).
    using TShownFilePath = std::function<QString()>;

    // Builds the action, owned by window.
    TWaveInfoAction(QWidget& window, TShownFilePath shownFilePath);

    QAction* Action() const { return m_action; }

    // Enabled while the pane is shown and exactly one item is selected in it.
    void actShowAddInfoUpdate();
    // Reads the whole file with the hourglass shown, then shows the box.
    void actShowAddInfoExecute();

private:
    TShownFilePath m_shownFilePath;
    QAction* m_action = nullptr;
};
