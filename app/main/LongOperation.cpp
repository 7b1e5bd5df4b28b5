#include "app/main/LongOperation.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QThread>

#include "app/dialogs/StatusWindow.h"
#include "core/recorder/CustomRecorder.h"
#include "core/recorder/RecorderJobs.h"
#include "widgets/MyGauge.h"

TLongOperation::TLongOperation(TMainUiLock& uiLock) : m_uiLock(uiLock) {}

void TLongOperation::ShowProgressWindow(bool canCancel)
{
    if (!m_status)
        return;
    m_status->cg1->SetProgress(0);
    m_status->Button1->setEnabled(canCancel);
    m_status->show();
    m_status->repaint();
    QApplication::processEvents();
}

void TLongOperation::WaitForJob(TCustomRecorder& recorder, bool abortOnCancel)
{
    while (recorder.GetState() != rsIdle) {
        if (abortOnCancel && FCancelRequested)
            recorder.Abort();
        if (m_status)
            m_status->cg1->SetProgress(recorder.GetProgress());
        QApplication::processEvents();
        QThread::msleep(1);
    }
    if (m_status)
        m_status->cg1->SetProgress(100);
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
