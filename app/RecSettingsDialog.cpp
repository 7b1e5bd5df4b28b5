#include "RecSettingsDialog.h"

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

QString TfrmRecSettings::CompressionCaption(TCompressionCaption which) const
{
    switch (which) {
    case TCompressionCaption::NoCompress:
        return QStringLiteral("No compress");
    case TCompressionCaption::uLaw:
        return QStringLiteral("uLaw");
    case TCompressionCaption::Adpcm2:
        return QStringLiteral("ADPCM 2 bit");
    case TCompressionCaption::Adpcm4:
        return QStringLiteral("ADPCM 4 bit");
    }
    return {};
}

QString TfrmRecSettings::ScaleCaption(int index) const
{
    return index >= 0 && index <= 4 ? QString::number(1 << index) : QString();
}
