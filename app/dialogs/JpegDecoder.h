#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Decodes JPEG data with libjpeg into an RGB image; a null image when the
// data is no JPEG or is damaged (error then holds libjpeg's text).
QImage DecodeJpeg(const QByteArray& data, QString* error = nullptr);
