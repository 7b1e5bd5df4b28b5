#include "app/main/AppRecorderHost.h"

#include "app/dialogs/FmtChooseDialog.h"
#include "app/dialogs/RecSettingsDialog.h"
#include "app/services/AppMessageBox.h"
#include "app/services/ApplicationTitle.h"
#include "app/services/GuiThreadCall.h"

TAppRecorderHost::TAppRecorderHost(QWidget* mainWindow, TfrmRecSettings* settingsDialog)
    : m_mainWindow(mainWindow), m_settings(settingsDialog)
{
}

void TAppRecorderHost::SetHiddenSettingsVisible(bool visible)
{
    CallOnGuiThread([&] { m_settings->SetHiddenPageVisible(visible); });
}

bool TAppRecorderHost::ChooseUploadFormat(std::uint8_t& compress, std::uint8_t& param)
{
    return CallOnGuiThread([&] { return ::ChooseUploadFormat(m_mainWindow, compress, param); });
}

int TAppRecorderHost::AppMessageBox(const QString& text, std::uint32_t flags, const QString& caption)
{
    // Core has no application title: an empty caption asks for it.
    return ::AppMessageBox(text, flags, caption.isEmpty() ? ApplicationTitle() : caption);
}

void TAppRecorderHost::JobEnded()
{
    // An empty queued call wakes the GUI thread's wait for the job.
    if (QCoreApplication* application = QCoreApplication::instance())
        QMetaObject::invokeMethod(application, [] {}, Qt::QueuedConnection);
}

QString TAppRecorderHost::CompressionCaption(TCompressionCaption which)
{
    return CallOnGuiThread([&] { return m_settings->CompressionCaption(which); });
}

QString TAppRecorderHost::ScaleCaption(int index)
{
    return CallOnGuiThread([&] { return m_settings->ScaleCaption(index); });
}
