#include "app/main/MainWindowCommands.h"

#include <QAction>
#include <QMainWindow>
#include <QScreen>

#include "app/connection/ConnectionController.h"
#include "app/dialogs/AboutBox.h"
#include "app/dialogs/RecSettingsDialog.h"
#include "core/links/ConnectType.h"
#include "core/settings/ProgramOptions.h"

namespace {

int PlaceOnAxis(int mainStart, int mainLength, int length, int screenStart, int screenLength)
{
    int start = mainStart + (mainLength - length) / 2;
    if (start + length > screenStart + screenLength)
        start = screenStart + screenLength - length;
    if (start < screenStart)
        start = screenStart;
    return start;
}

// The pass runs every second: an unchanged action is left alone.
void Enable(QAction* action, bool enabled)
{
    if (action && action->isEnabled() != enabled)
        action->setEnabled(enabled);
}

}  // namespace

QPoint PlaceOverMainWindow(const QRect& mainWindow, const QSize& dialog, const QRect& screen)
{
    return {PlaceOnAxis(mainWindow.left(), mainWindow.width(), dialog.width(), screen.left(), screen.width()),
            PlaceOnAxis(mainWindow.top(), mainWindow.height(), dialog.height(), screen.top(), screen.height())};
}

TMainWindowCommands::TMainWindowCommands(QMainWindow& window, TConnectionController& connection,
                                         const TConnectedActions& actions, TfrmRecSettings* recSettings)
    : QObject(&window), m_window(window), m_connection(connection), m_actions(actions), m_recSettings(recSettings)
{
}

void TMainWindowCommands::UpdateActions()
{
    const bool connected = m_connection.FConnected;
    Enable(m_actions.ActRecRefresh, connected);
    Enable(m_actions.ActFormat, connected);
    Enable(m_actions.ActRecSettings, connected);
    Enable(m_actions.ActSyncClock, connected && HasLiveStatus(ProgramOptions.ConnectType));
}

void TMainWindowCommands::actRecSettingsExecute()
{
    if (!m_recSettings)
        return;
    // A dialog never shown takes its size when it is.
    if (!m_recSettings->testAttribute(Qt::WA_Resized))
        m_recSettings->adjustSize();
    const QScreen* screen = m_window.screen();
    if (screen)
        m_recSettings->move(
            PlaceOverMainWindow(m_window.frameGeometry(), m_recSettings->frameGeometry().size(), screen->geometry()));
    // The lists are rebuilt with or without voice-part rows by the next pass.
    if (m_recSettings->Execute(ProgramOptions))
        m_connection.FContentChanged = true;
}

void TMainWindowCommands::About1Click()
{
    if (m_aboutBox)
        m_aboutBox->exec();
}

void TMainWindowCommands::Exit1Click()
{
    m_window.close();
}

void TMainWindowCommands::HiddenSettingsKey()
{
    m_connection.FlipProfMode();
}
