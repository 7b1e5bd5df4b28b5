// The splash picture's decoder over any bytes. The allocation bound that
// the decoder takes from Qt is 1 MB here (Qt's default is 256 MB): a few
// damaged bytes can claim a picture of many megapixels, which libjpeg
// then fills line by line, and the bound's check is the same either way.
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QString>
#include <cstdint>

#include "app/dialogs/JpegDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool bounded = [] {
        QImageReader::setAllocationLimit(1);
        return true;
    }();
    (void)bounded;
    QString error;
    DecodeJpeg(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), &error);
    return 0;
}
