#pragma once

#include "platform/SystemTime.h"

#include <QLocale>
#include <QString>

#include <cstdint>

// The file name (without folder) of a downloaded recording: the mask's text
// with each [token] expanded. SN is the serial number, RN the record number
// (and "_" and the part number unless partNumber is -1), EI the extra text;
// any other token is a date-and-time format (DateTimeFormat.h) applied on
// its own. Tokens are matched without regard to case. An unclosed "[" copies
// the rest of the mask.
// The name never leaves the download folder: "/", NUL and control characters
// in expansions, and "/" and "\" in the mask's own text, become "_"; a name
// that comes out empty, "." or ".." is made from the default mask instead.
QString ExpandFileNameMask(const QString& mask, const SYSTEMTIME& time, const QString& serialNumber,
                           std::uint16_t recordNumber, int partNumber, const QString& extraText,
                           const QLocale& locale = QLocale::system());

// The name of a further part file: "_" and the part number as at least four
// digits before the extension (what follows the last "." behind the last "/").
QString MakePartFileName(const QString& fileName, int partNumber);
