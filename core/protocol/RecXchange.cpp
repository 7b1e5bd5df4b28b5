#include "core/protocol/RecXchange.h"

TERecXchange::TERecXchange(const QString& text, int code, int extra)
    : Text(text.left(kMaxTextLength)), Code(code), Extra(extra), m_utf8(Text.toStdString())
{
}

void ThrowIoError(int code)
{
    throw TERecXchange(QString::fromLatin1(kIoErrorText), code, 0);
}
