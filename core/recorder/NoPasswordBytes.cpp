#include "core/recorder/NoPasswordBytes.h"

#include <QStringEncoder>
#include <algorithm>

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

bool HasPassword(const TPasswordBytes& bytes)
{
    return !std::all_of(bytes.begin(), bytes.begin() + kPasswordCommandBytes, [](std::uint8_t b) { return b == 0xFF; });
}

QString PasswordText(const TPasswordBytes& bytes)
{
    if (!HasPassword(bytes))
        return {};
    const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    return QString::fromUtf8(reinterpret_cast<const char*>(bytes.data()), end - bytes.begin());
}
