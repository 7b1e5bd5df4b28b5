#include "app/dialogs/RecSettingsDialog.h"

#include "core/recorder/RecorderSettingsModel.h"

TfrmRecSettings::TfrmRecSettings(QWidget* mainWindow) : TModalDialog(mainWindow)
{
    setObjectName(QStringLiteral("frmRecSettings"));
    setWindowTitle(QStringLiteral("Recorder settings"));
}

void TfrmRecSettings::SetModel(TRecorderSettingsModel* model)
{
    m_model = model;
    RestoreControls();
}

void TfrmRecSettings::RestoreControls()
{
    m_settings = m_model ? m_model->Settings() : TRecorderSettings{};
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
