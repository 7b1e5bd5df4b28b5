#include "core/links/image/DemoImage.h"

#include "core/links/image/ImageAttach.h"

QString DemoImagePath(const QString& folder)
{
    QString path = folder;
    if (!path.isEmpty() && !path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path + QLatin1String(kDemoImageName);
}

void AttachDemoImage(const QString& folder)
{
    AttachImageFile(DemoImagePath(folder), true);
}
