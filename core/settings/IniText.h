#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The text form of an INI file on disk.
enum class TIniEncoding {
    Utf8, // also what a new file gets
    Utf8Bom,
    Utf16LeBom,
    Legacy8Bit, // read only: such a file is written back as UTF-8
};

struct TIniText {
    QStringList Lines; // without line ends
    TIniEncoding Encoding = TIniEncoding::Utf8;
};

// UTF-16LE with its byte-order mark, UTF-8 with or without one, otherwise
// 8-bit text in the Windows code page legacyCodePage. Lines end at LF or CR LF.
TIniText DecodeIniText(const QByteArray& bytes, int legacyCodePage);

// Every line followed by CR LF, in the file's own encoding (UTF-8 for a
// legacy 8-bit file, so no character is lost).
QByteArray EncodeIniText(const QStringList& lines, TIniEncoding encoding);
