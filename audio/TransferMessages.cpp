#include "audio/TransferMessages.h"

#include <QFileInfo>

#include "core/recorder/RecorderHost.h"
#include "core/settings/FileUtils.h"
#include "localizer/LangConst.h"

namespace {

void Show(const QString& text)
{
    RecorderHost().AppMessageBox(text, 0, LangConst(QStringLiteral("AppNameStr")));
}

}  // namespace

void ShowCantCreate(const QString& fileName, int error)
{
    Show(LangConst(QStringLiteral("CantCreateStr")) + QLatin1Char(' ') + QFileInfo(fileName).fileName() +
         QLatin1Char('\n') + GetSystemErrorText(error));
}

void ShowWritingError(const QString& systemText)
{
    Show(QStringLiteral("Writing error\n") + systemText);
}

void ShowFileError(const QString& text)
{
    Show(text);
}
