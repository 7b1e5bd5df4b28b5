#include "core/links/image/DemoImage.h"

QString DemoImagePath(const QString& folder)
{
    QString path = folder;
    if (!path.isEmpty() && !path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path + QLatin1String(kDemoImageName);
}

TImageAttachNotice AttachDemoImage(const QString& folder)
{
    return AttachImageFile(DemoImagePath(folder), true);
}
