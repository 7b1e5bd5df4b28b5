#include "app/main/LongOperation.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QThread>

#include "app/dialogs/StatusWindow.h"
#include "widgets/MyGauge.h"

TLongOperation::TLongOperation(TMainUiLock& uiLock) : m_uiLock(uiLock) {}

void TLongOperation::ShowProgressWindow(const QString& caption, bool canCancel)
{
    if (!m_status)
        return;
    m_status->lbStatus->setText(caption);
    m_status->cg1->SetProgress(0);
    m_status->cg1->setVisible(true);
    m_status->Button1->setEnabled(canCancel);
    m_status->show();
    m_status->repaint();
}

void TLongOperation::SetProgress(std::uint8_t percent)
{
    if (m_status)
        m_status->cg1->SetProgress(percent);
}

void TLongOperation::CloseProgressWindow(int settleMs)
{
    if (!m_status || !m_status->isVisible())
        return;
    m_status->cg1->SetProgress(100);
    QApplication::processEvents();
    QThread::msleep(static_cast<unsigned long>(settleMs));
    m_status->hide();
    m_status->Button1->setVisible(true);
}

void TLongOperation::CloseProgressBeforeMessage()
{
    if (!m_status || !m_status->isVisible())
        return;
    CloseProgressWindow(0);
    QApplication::processEvents();
}
