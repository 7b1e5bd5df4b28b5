#include "app/dialogs/JpegDecoder.h"

#include <QImageReader>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

namespace {

// libjpeg reports fatal errors through error_exit, which must not return:
// it jumps back to the decoding function with the message kept.
struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

extern "C" void JpegErrorExit(j_common_ptr info)
{
    auto* errors = reinterpret_cast<JpegErrors*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

extern "C" void JpegQuietMessage(j_common_ptr) {}

// No object with a destructor is made between setjmp and the jumps: the
// image lives in the caller's frame.
bool DecodeInto(jpeg_decompress_struct* info, JpegErrors* errors, const unsigned char* bytes, unsigned long size,
                QImage* image)
{
    if (setjmp(errors->jump)) {
        jpeg_destroy_decompress(info);
        return false;
    }
    jpeg_create_decompress(info);
    jpeg_mem_src(info, bytes, size);
    jpeg_read_header(info, TRUE);
    // The header alone must not make us allocate: a few damaged bytes can
    // claim gigabytes. The bound is Qt's own for image readers.
    const qint64 limit = qint64{QImageReader::allocationLimit()} * 1024 * 1024;
    if (limit > 0 && qint64{info->image_width} * info->image_height * 3 > limit) {
        std::strcpy(errors->message, "picture too large");
        jpeg_destroy_decompress(info);
        return false;
    }
    info->out_color_space = JCS_RGB;
    jpeg_start_decompress(info);
    *image = QImage(static_cast<int>(info->output_width), static_cast<int>(info->output_height), QImage::Format_RGB888);
    if (image->isNull() || info->output_components != 3) {
        std::strcpy(errors->message, "picture too large");
        jpeg_destroy_decompress(info);
        return false;
    }
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = image->scanLine(static_cast<int>(info->output_scanline));
        jpeg_read_scanlines(info, &row, 1);
    }
    jpeg_finish_decompress(info);
    jpeg_destroy_decompress(info);
    return true;
}

} // namespace

QImage DecodeJpeg(const QByteArray& data, QString* error)
{
    if (data.isEmpty()) {
        if (error)
            *error = QStringLiteral("empty file");
        return {};
    }
    jpeg_decompress_struct info;
    std::memset(&info, 0, sizeof info);
    JpegErrors errors;
    std::memset(&errors, 0, sizeof errors);
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = JpegErrorExit;
    errors.manager.output_message = JpegQuietMessage;

    QImage image;
    if (!DecodeInto(&info, &errors, reinterpret_cast<const unsigned char*>(data.constData()),
                    static_cast<unsigned long>(data.size()), &image)) {
        if (error)
            *error = QString::fromLocal8Bit(errors.message);
        return {};
    }
    return image;
}
