#include "app/dialogs/SplashWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

#include "app/dialogs/JpegDecoder.h"
#include "core/protocol/DebugLog.h"

TfrmSplash::TfrmSplash(bool stayOnTop, const QString& picturePath)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | (stayOnTop ? Qt::WindowStaysOnTopHint : Qt::Widget))
{
    BuildWidgets();
    FormCreate(picturePath);
}

QString TfrmSplash::DefaultPicturePath()
{
    const QString name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() + QStringLiteral(".spl");
    const QString inCurrentFolder = QDir::current().filePath(name);
    if (QFileInfo::exists(inCurrentFolder))
        return inCurrentFolder;
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

void TfrmSplash::BuildWidgets()
{
    setObjectName(QStringLiteral("frmSplash"));
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Image1);
    resize(400, 300);
}

void TfrmSplash::FormCreate(const QString& picturePath)
{
    m_hasPicture = LoadPicture(picturePath);
    if (m_hasPicture)
        resize(Image1->pixmap().size());
    if (const QScreen* screen = this->screen()) {
        QRect area = rect();
        area.moveCenter(screen->geometry().center());
        move(area.topLeft());
    }
    show();
    Image1->repaint();
}

bool TfrmSplash::LoadPicture(const QString& picturePath)
{
    QFile file(picturePath);
    if (!file.open(QIODevice::ReadOnly))
        return false; // no splash picture
    QString error;
    const QImage picture = DecodeJpeg(file.readAll(), &error);
    if (picture.isNull()) {
        DebugLog(QStringLiteral("Splash picture %1 not shown: %2").arg(picturePath, error));
        return false;
    }
    Image1->setPixmap(QPixmap::fromImage(picture));
    return true;
}
