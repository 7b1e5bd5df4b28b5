#include "massstorage/DrcbCommand.h"

#include <cstring>

namespace {

constexpr std::uint8_t kMagic[DrcbCommand::kMagicSize] = {'D', 'R', 'C', 'B'};

void PutU16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void PutU32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint16_t GetU16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t GetU32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

bool HasDrcbMagic(const std::uint8_t* bytes, std::size_t size)
{
    return size >= DrcbCommand::kMagicSize && std::memcmp(bytes, kMagic, DrcbCommand::kMagicSize) == 0;
}

void DrcbCommand::Serialize(std::uint8_t* out) const
{
    std::memcpy(out, kMagic, kMagicSize);
    out[4] = command;
    switch (command) {
    case q71WritePages:
    case q71ReadPages:
        PutU32(out + 5, firstPage);
        PutU16(out + 9, partSize);
        PutU16(out + 11, step);
        PutU16(out + 13, offset);
        PutU16(out + 15, count);
        break;
    case q71EraseBlock:
        PutU32(out + 5, firstPage);
        break;
    case q71SendI2C:
        out[5] = length;
        if (length > 0)
            std::memcpy(out + 6, payload, length);
        break;
    case q71ReceiveI2C:
        out[5] = length;
        break;
    case q71Identify:
        break;
    }
}

bool DrcbCommand::Parse(const std::uint8_t* sector, std::size_t size, DrcbCommand& out)
{
    if (size < kMaxUsed || !HasDrcbMagic(sector, size))
        return false;
    out = DrcbCommand{};
    out.command = static_cast<TQ71Command>(sector[4]);
    switch (out.command) {
    case q71WritePages:
    case q71ReadPages:
        out.firstPage = GetU32(sector + 5);
        out.partSize = GetU16(sector + 9);
        out.step = GetU16(sector + 11);
        out.offset = GetU16(sector + 13);
        out.count = GetU16(sector + 15);
        break;
    case q71EraseBlock:
        out.firstPage = GetU32(sector + 5);
        break;
    case q71SendI2C:
        out.length = sector[5];
        out.payload = sector + 6;
        break;
    case q71ReceiveI2C:
        out.length = sector[5];
        break;
    case q71Identify:
        break;
    default:
        return false;
    }
    return true;
}
