#include "core/settings/RecorderSettingsImage.h"

#include <QString>

#include "core/links/Link.h"
#include "core/links/LinkGeometry.h"
#include "core/links/image/ImageFile.h"
#include "core/protocol/DebugLog.h"
#include "core/protocol/RecXchange.h"
#include "core/protocol/RecorderCommands.h"
#include "core/settings/RecorderSettingsHeader.h"

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
