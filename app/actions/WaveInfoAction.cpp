#include "app/actions/WaveInfoAction.h"

#include <QAction>
#include <QApplication>
#include <QWidget>
#include <utility>

#include "app/services/AppMessageBox.h"
#include "app/services/ApplicationTitle.h"
#include "app/services/MainUiLock.h"
#include "audio/AonLibrary.h"
#include "audio/WaveFileInfo.h"

TWaveInfoAction::TWaveInfoAction(QWidget& window, TShownFilePath shownFilePath)
    : QObject(&window), m_shownFilePath(std::move(shownFilePath))
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
    const bool enabled = !m_shownFilePath().isEmpty();
    if (m_action->isEnabled() != enabled)
        m_action->setEnabled(enabled);
}

void TWaveInfoAction::actShowAddInfoExecute()
{
    const QString path = m_shownFilePath();
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
