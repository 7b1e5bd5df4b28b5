#include "app/services/MainUiLock.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QToolBar>
#include <QWidgetAction>

TMainUiLock::TMainUiLock(QMainWindow& window, QWidget& mainPanel) : m_window(window), m_mainPanel(mainPanel) {}

void TMainUiLock::Lock()
{
    if (m_depth++ == 0)
        DisableControls();
}

void TMainUiLock::Unlock()
{
    if (m_depth > 0 && --m_depth == 0)
        RestoreControls();
}

void TMainUiLock::RememberFocus()
{
    QWidget* focused = QApplication::focusWidget();
    if (focused && m_window.isAncestorOf(focused))
        m_remembered = focused;
}

void TMainUiLock::DisableControls()
{
    RememberFocus();
    m_mainPanel.setEnabled(false);
    const auto disableBar = [this](QWidget* bar) {
        if (bar && bar->isEnabled()) {
            bar->setEnabled(false);
            m_disabledBars.append(bar);
        }
    };
    if (m_window.menuWidget())
        disableBar(m_window.menuWidget());
    for (QToolBar* toolBar : m_window.findChildren<QToolBar*>())
        disableBar(toolBar);
    // The window's own actions; the tool bar's widget actions follow the bar.
    for (QAction* action : m_window.findChildren<QAction*>(Qt::FindDirectChildrenOnly)) {
        if (action->isEnabled() && !action->menu() && !qobject_cast<QWidgetAction*>(action)) {
            action->setEnabled(false);
            m_disabledActions.append(action);
        }
    }
}

void TMainUiLock::RestoreControls()
{
    for (const QPointer<QAction>& action : std::as_const(m_disabledActions))
        if (action)
            action->setEnabled(true);
    m_disabledActions.clear();
    for (const QPointer<QWidget>& bar : std::as_const(m_disabledBars))
        if (bar)
            bar->setEnabled(true);
    m_disabledBars.clear();
    m_mainPanel.setEnabled(true);
    QWidget* target = m_remembered ? m_remembered.data() : m_focusControl.data();
    if (target && target->isEnabled())
        target->setFocus(Qt::OtherFocusReason);
    if (m_onUnlocked)
        m_onUnlocked();
}

TBusyCursorScope::TBusyCursorScope()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

TBusyCursorScope::~TBusyCursorScope()
{
    QApplication::restoreOverrideCursor();
}
