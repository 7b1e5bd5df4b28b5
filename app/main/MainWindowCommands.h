#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>

class QAction;
class QMainWindow;
class TAboutBox;
class TConnectionController;
class TfrmRecSettings;

// Where a dialog opens over the main window: centred on it (halves rounded
// toward zero), then kept inside the screen, the left and top edges last so
// that a dialog larger than the screen keeps its title bar on it.
QPoint PlaceOverMainWindow(const QRect& mainWindow, const QSize& dialog, const QRect& screen);

// The actions of the main window that enable with the connection.
struct TConnectedActions {
    QAction* ActRecRefresh = nullptr;
    QAction* ActFormat = nullptr;
    QAction* ActRecSettings = nullptr;
    QAction* ActSyncClock = nullptr;
};

// The small commands of the main window: the recorder settings dialog, the
// about box, leaving the program, the key of the settings dialog's hidden
// page, and the update rule of the actions that need a connection.
class TMainWindowCommands : public QObject {
    Q_OBJECT
public:
    TMainWindowCommands(QMainWindow& window, TConnectionController& connection, const TConnectedActions& actions,
                        TfrmRecSettings* recSettings);

    void SetAboutBox(TAboutBox* aboutBox) { m_aboutBox = aboutBox; }

    // Run by the idle pass: the refresh, format and settings actions enable
    // when connected; the clock also needs a type with a live clock.
    void UpdateActions();
    void actRecSettingsExecute();
    void About1Click();
    void Exit1Click();
    // Ctrl+Alt+Shift+P: the "prof" switch flips.
    void HiddenSettingsKey();

private:
    QMainWindow& m_window;
    TConnectionController& m_connection;
    TConnectedActions m_actions;
    TfrmRecSettings* m_recSettings = nullptr;
    TAboutBox* m_aboutBox = nullptr;
};
