#include "audio/WaveAddInfo.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace waveaddinfo {

int VersionOfSize(std::int64_t size)
{
    switch (size) {
    case 46:
        return 1;
    case 62:
        return 2;
    case 104:
        return 3;
    case 168:
        return 4;
    case 170:
        return 5;
    default:
        return 0;
    }
}

}  // namespace waveaddinfo

namespace {

using namespace waveaddinfo;

QString Text8At(const std::uint8_t* data, std::size_t at)
{
    const char* text = reinterpret_cast<const char*>(data + at);
    return QString::fromLatin1(text, static_cast<qsizetype>(qstrnlen(text, kTextRoom)));
}

QString Text16At(const std::uint8_t* data, std::size_t at)
{
    QString text;
    for (std::size_t i = 0; i < kTextRoom; ++i) {
        const std::uint16_t c = qFromLittleEndian<std::uint16_t>(data + at + 2 * i);
        if (c == 0)
            break;
        text += QChar(c);
    }
    return text;
}

SYSTEMTIME TimeAt(const std::uint8_t* data, std::size_t at)
{
    SYSTEMTIME t;
    std::uint16_t* fields[] = {&t.wYear, &t.wMonth,  &t.wDayOfWeek, &t.wDay,
                               &t.wHour, &t.wMinute, &t.wSecond,    &t.wMilliseconds};
    for (std::size_t i = 0; i < std::size(fields); ++i)
        *fields[i] = qFromLittleEndian<std::uint16_t>(data + at + 2 * i);
    return t;
}

void PutText16(std::uint8_t* data, std::size_t at, const QString& text)
{
    const qsizetype n = std::min<qsizetype>(text.size(), kTextRoom - 1);
    for (qsizetype i = 0; i < n; ++i)
        qToLittleEndian<std::uint16_t>(text[i].unicode(), data + at + 2 * i);
}

void PutTime(std::uint8_t* data, std::size_t at, const SYSTEMTIME& t)
{
    const std::uint16_t fields[] = {t.wYear, t.wMonth,  t.wDayOfWeek, t.wDay,
                                    t.wHour, t.wMinute, t.wSecond,    t.wMilliseconds};
    for (std::size_t i = 0; i < std::size(fields); ++i)
        qToLittleEndian(fields[i], data + at + 2 * i);
}

}  // namespace

TWaveAddInfo ReadWaveAddInfo(const std::uint8_t* data, std::int64_t length)
{
    TWaveAddInfo info;
    const int version = data ? VersionOfSize(length) : 0;
    if (version == 0)
        return info;
    info.Version = version;
    const std::uint32_t crc = qFromLittleEndian<std::uint32_t>(data + kCrcAt);
    info.Crc = version >= 4 ? MaskCrc(crc) : crc;
    if (version <= 2) {
        info.SerialNumber = Text8At(data, 4);
        info.ModelName = Text8At(data, 25);
        if (version == 2)
            info.Time = TimeAt(data, 46);
        return info;
    }
    info.SerialNumber = Text16At(data, kSerialAt);
    info.ModelName = Text16At(data, kModelAt);
    info.Time = TimeAt(data, kTimeAt);
    if (version >= 4)
        std::memcpy(info.Mark.data(), data + kMarkAt, kMarkBlockSize);
    if (version == 5)
        info.Codec = qFromLittleEndian<std::uint16_t>(data + kCodecAt);
    return info;
}

TWaveAddInfoV5 BuildWaveAddInfo(const TWaveAddInfo& info)
{
    TWaveAddInfoV5 chunk{};
    qToLittleEndian(MaskCrc(info.Crc), chunk.data() + kCrcAt);
    PutText16(chunk.data(), kSerialAt, info.SerialNumber);
    PutText16(chunk.data(), kModelAt, info.ModelName);
    PutTime(chunk.data(), kTimeAt, info.Time);
    std::memcpy(chunk.data() + kMarkAt, info.Mark.data(), kMarkBlockSize);
    qToLittleEndian(info.Codec, chunk.data() + kCodecAt);
    return chunk;
}
