#include "core/flash/CallInfo.h"

#include <algorithm>

TCallInfo TCallInfo::FromBytes(const std::uint8_t* bytes)
{
    TCallInfo info;
    std::copy_n(bytes, kSize, info.Bytes.begin());
    return info;
}

std::size_t TCallInfo::DigitCount() const
{
    return std::min<std::size_t>(Bytes[5], kMaxDigits);
}

QString TCallInfo::Digits() const
{
    QString text;
    for (std::size_t i = 0; i < DigitCount(); ++i) {
        const std::uint8_t digit = Bytes[6 + i];
        text += QChar(u'0' + (digit < 10 ? digit : 0));
    }
    return text;
}

QString TCallInfo::Text(const QString& outgoingWord, const QString& incomingWord, const QString& numberSign) const
{
    return (IsOutgoing() ? outgoingWord : incomingWord) + u' ' + numberSign + u' ' + Digits();
}
