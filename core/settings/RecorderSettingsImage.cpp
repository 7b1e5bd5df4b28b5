#include "RecorderSettingsImage.h"

#include <QString>

#include "DebugLog.h"
#include "ImageFile.h"
#include "Link.h"
#include "LinkGeometry.h"
#include "RecXchange.h"
#include "RecorderCommands.h"
#include "RecorderSettingsHeader.h"

void ReadSettingsFromImage(TRecorderSettings& settings)
{
    // An unreadable or invalid header still gives its fields: the buffer
    // keeps what was read last.
    ReadImageHeader();
    SettingsFromImageHeader(LinkGeometry.header.data(), settings);
}

void StoreSettingsToImage(TRecorderSettings& settings)
{
    DebugLog(QStringLiteral("Fill profiles"));
    std::uint8_t request = settings.CurrentProfile;
    std::uint8_t reply = 0;
    RunCommand(cmdSetCurrentProfile, &request, 1, &reply, 1);
    settings.CurrentProfile = reply;
    DebugLog(QStringLiteral("Fill VAS"));
    DebugLog(QStringLiteral("Fill BatLevels"));
    DebugLog(QStringLiteral("Fill Xprt"));
    DebugLog(QStringLiteral("Fill password"));
    SettingsToImageHeader(settings, LinkGeometry.header.data());
    // A header that did not reach the file must not pass for stored settings.
    if (!WriteImageHeader())
        ThrowIoError(cmdSetCurrentProfile);
}
