#include "app/dialogs/RecSettingsDialog.h"

TfrmRecSettings::TfrmRecSettings(QWidget* mainWindow) : TModalDialog(mainWindow)
{
    setObjectName(QStringLiteral("frmRecSettings"));
    setWindowTitle(QStringLiteral("Recorder settings"));
}

void TfrmRecSettings::RecorderDestroyed(TCustomRecorder* recorder)
{
    if (m_recorder == recorder)
        m_recorder = nullptr;
}

// The controls come with the settings pages; until then their built-in captions.
QString TfrmRecSettings::CompressionCaption(TCompressionCaption which) const
{
    return BuiltInCompressionCaption(which);
}

QString TfrmRecSettings::ScaleCaption(int index) const
{
    return BuiltInScaleCaption(index);
}
