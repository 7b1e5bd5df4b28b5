#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

#include "localizer/LangCompTranslations.h"

// The text of a language file: told by a byte-order mark (UTF-8, UTF-16 LE or
// BE); without one UTF-8, or, when the bytes are not valid UTF-8, the 8-bit
// code page of the file's LANGID.
QString DecodeLangFileText(const QByteArray& bytes);

// Reads the text of a language file into a loaded language. With paramsOnly
// reading stops at the first line that begins with "[". An error in a line
// raises "Loading translations failed.\r\nLine %d: %s" (zero-based line).
std::unique_ptr<TLangCompTranslations> ReadLangText(const QString& text, bool paramsOnly = false);

// Reads a language file from disk; raises when it cannot be read.
std::unique_ptr<TLangCompTranslations> ReadLangFile(const QString& path, bool paramsOnly = false);
