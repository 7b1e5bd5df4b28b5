#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include "app/dialogs/JpegDecoder.h"
#include "app/dialogs/SplashWindow.h"
#include "tests/support/TempDir.h"

namespace {

QByteArray EncodeJpeg(const QImage& picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(rgb.width());
    info.image_height = static_cast<JDIMENSION>(rgb.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<uchar*>(rgb.constScanLine(static_cast<int>(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    QByteArray bytes(reinterpret_cast<const char*>(buffer), static_cast<qsizetype>(size));
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

QImage TestPicture()
{
    QImage picture(64, 48, QImage::Format_RGB888);
    picture.fill(QColor(200, 40, 40));
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 64; ++x)
            picture.setPixelColor(x, y, QColor(20, 60, 220));
    return picture;
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(JpegDecoder, DecodesWhatLibjpegWroteAndRefusesDamagedData)
{
    const QByteArray jpeg = EncodeJpeg(TestPicture());
    const QImage image = DecodeJpeg(jpeg);
    ASSERT_EQ(image.size(), QSize(64, 48));
    const QColor top = image.pixelColor(32, 5), bottom = image.pixelColor(32, 40);
    EXPECT_NEAR(top.blue(), 220, 12);
    EXPECT_NEAR(bottom.red(), 200, 12);

    QString error;
    EXPECT_TRUE(DecodeJpeg(QByteArray("not a picture at all"), &error).isNull());
    EXPECT_FALSE(error.isEmpty());
    const QImage truncated = DecodeJpeg(jpeg.left(jpeg.size() / 3)); // libjpeg pads the missing rows
    EXPECT_TRUE(truncated.isNull() || truncated.size() == QSize(64, 48));
    EXPECT_TRUE(DecodeJpeg(QByteArray()).isNull());
}

// A header that claims a picture beyond Qt's image allocation limit is
// refused before anything is allocated or decoded.
TEST(JpegDecoder, RefusesAPictureLargerThanTheAllocationLimit)
{
    QByteArray jpeg = EncodeJpeg(TestPicture());
    const qsizetype frame = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GE(frame, 0);
    // Height and width, big-endian, after the marker, length and precision.
    for (const qsizetype at : {frame + 5, frame + 7}) {
        jpeg[at] = static_cast<char>(10000 >> 8);
        jpeg[at + 1] = static_cast<char>(10000 & 0xFF);
    }
    ASSERT_GT(qint64{10000} * 10000 * 3, qint64{QImageReader::allocationLimit()} * 1024 * 1024);

    QString error;
    EXPECT_TRUE(DecodeJpeg(jpeg, &error).isNull());
    EXPECT_EQ(error, u"picture too large");
}

TEST(SplashWindow, WithoutAPictureStartsEmpty)
{
    TempDir temp;
    TfrmSplash splash(true, QString::fromStdString(temp.File("Trellavox.spl")));
    EXPECT_FALSE(splash.HasPicture());
    EXPECT_TRUE(splash.isVisible());
    EXPECT_TRUE(splash.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
}

TEST(SplashWindow, DecodesThePictureInPlaceAndLeavesTheFileAsItWas)
{
    TempDir temp;
    const QString path = QString::fromStdString(temp.File("Trellavox.spl"));
    const QByteArray bytes = EncodeJpeg(TestPicture());
    WriteFile(path, bytes);
    QFile::setPermissions(path, QFileDevice::ReadOwner);
    QFile::setPermissions(QString::fromStdString(temp.Path().string()), QFileDevice::ReadOwner | QFileDevice::ExeOwner);

    TfrmSplash splash(false, path);
    QFile::setPermissions(QString::fromStdString(temp.Path().string()),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_TRUE(splash.HasPicture());
    EXPECT_EQ(splash.Image1->pixmap().size(), QSize(64, 48));
    EXPECT_FALSE(splash.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(ReadFile(path), bytes);
    EXPECT_EQ(QDir(QString::fromStdString(temp.Path().string())).entryList(QDir::Files),
              QStringList{QStringLiteral("Trellavox.spl")});
}

TEST(SplashWindow, ADamagedPictureShowsNothingAndStaysUntouched)
{
    TempDir temp;
    const QString path = QString::fromStdString(temp.File("Trellavox.spl"));
    WriteFile(path, QByteArray("\xFF\xD8\xFF garbage", 12));
    TfrmSplash splash(true, path);
    EXPECT_FALSE(splash.HasPicture());
    EXPECT_EQ(ReadFile(path), QByteArray("\xFF\xD8\xFF garbage", 12));
}

TEST(SplashWindow, ThePictureIsNamedAfterTheProgramInTheCurrentFolder)
{
    TempDir temp;
    const QString folder = QString::fromStdString(temp.Path().string());
    const QString name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() + QStringLiteral(".spl");
    WriteFile(folder + QLatin1Char('/') + name, QByteArray("x"));
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder);
    const QString found = TfrmSplash::DefaultPicturePath();
    QDir::setCurrent(previous);
    EXPECT_EQ(QFileInfo(found).canonicalFilePath(), QFileInfo(folder + QLatin1Char('/') + name).canonicalFilePath());
    EXPECT_EQ(QFileInfo(TfrmSplash::DefaultPicturePath()).fileName(), name);
}

} // namespace
