#include "app/services/LongOperation.h"

#include <QApplication>
#include <QThread>

#include "app/services/ProgressWindow.h"

TLongOperation::TLongOperation(TMainUiLock& uiLock) : m_uiLock(uiLock) {}

void TLongOperation::ShowProgressWindow(const QString& caption, bool canCancel)
{
    if (!m_status)
        return;
    m_status->ShowProgress(caption, canCancel);
}

void TLongOperation::SetProgress(std::uint8_t percent)
{
    if (m_status)
        m_status->SetProgress(percent);
}

void TLongOperation::CloseProgressWindow(int settleMs)
{
    if (!m_status || !m_status->ProgressShown())
        return;
    m_status->SetProgress(100);
    QApplication::processEvents();
    QThread::msleep(static_cast<unsigned long>(settleMs));
    m_status->HideProgress();
}

void TLongOperation::CloseProgressBeforeMessage()
{
    if (!m_status || !m_status->ProgressShown())
        return;
    CloseProgressWindow(0);
    QApplication::processEvents();
}
