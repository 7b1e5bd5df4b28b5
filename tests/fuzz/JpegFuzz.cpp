// The splash picture's decoder over any bytes.
#include <QByteArray>
#include <QImage>
#include <QString>
#include <cstdint>

#include "app/dialogs/JpegDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QString error;
    DecodeJpeg(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), &error);
    return 0;
}
