#pragma once

#include <QString>

// Escapes of language-file values: "\n" is CR LF, "\t" a tab, "\\" a
// backslash, a backslash and two decimal digits the character of that code.
// Any other backslash stays as written.
QString DecodeLangEscapes(const QString& value);

// The reverse, as a writer of language files encodes: tab "\t"; CR LF, LF CR,
// a lone CR or LF one "\n"; a backslash "\\"; other codes below 32 a
// backslash and two digits.
QString EncodeLangEscapes(const QString& text);
