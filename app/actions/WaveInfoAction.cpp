#include "app/main/WaveInfoAction.h"

#include <QAction>
#include <QApplication>
#include <QWidget>

#include "app/main/ApplicationTitle.h"
#include "app/main/ExplorerPane.h"
#include "app/main/MainUiLock.h"
#include "app/services/AppMessageBox.h"
#include "audio/AonLibrary.h"
#include "audio/WaveFileInfo.h"

TWaveInfoAction::TWaveInfoAction(QWidget& window, TExplorerPane& explorer) : QObject(&window), m_explorer(explorer)
{
    m_action = new QAction(QStringLiteral("Show wave-file info"), &window);
    m_action->setObjectName(QStringLiteral("actShowAddInfo"));
    m_action->setToolTip(m_action->text());
    m_action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    m_action->setEnabled(false);
    window.addAction(m_action);
    connect(m_action, &QAction::triggered, this, [this] { RunGuarded([this] { actShowAddInfoExecute(); }); });
}

void TWaveInfoAction::actShowAddInfoUpdate()
{
    const bool enabled = m_explorer.ExplorerShown() && !m_explorer.SelectedFilePath().isEmpty();
    if (m_action->isEnabled() != enabled)
        m_action->setEnabled(enabled);
}

void TWaveInfoAction::actShowAddInfoExecute()
{
    const QString path = m_explorer.SelectedFilePath();
    if (path.isEmpty())
        return;
    TWaveFileInfoText info;
    {
        // The whole file is read here, on the GUI thread.
        TBusyCursorScope busy;
        const TAonLibrary decoder;
        info = BuildWaveFileInfo(path, decoder.Functions());
    }
    if (info.Beep)
        QApplication::beep();
    AppMessageBox(info.Text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")), MB_OK, ApplicationTitle());
}
