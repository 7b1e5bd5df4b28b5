#include "core/recorder/NoPasswordBytes.h"

#include <QStringEncoder>

TPasswordBytes PasswordBytes(const QString& text)
{
    TPasswordBytes bytes = NoPasswordBytes;
    if (text.isEmpty())
        return bytes;

    constexpr std::size_t kMaxTextBytes = bytes.size() - 1;  // room for the terminator
    std::size_t used = 0;
    for (qsizetype i = 0; i < text.size();) {
        // One code point at a time, so a character is never split.
        const qsizetype units = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QByteArray encoded = text.mid(i, units).toUtf8();
        if (used + static_cast<std::size_t>(encoded.size()) > kMaxTextBytes)
            break;
        for (char c : encoded)
            bytes[used++] = static_cast<std::uint8_t>(c);
        i += units;
    }
    bytes[used] = 0;
    return bytes;
}
