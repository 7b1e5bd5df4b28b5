#include "core/protocol/Majority.h"

#include <cstring>

void MajorityOf3(const std::uint8_t* copies, std::uint8_t* out, std::uint32_t length)
{
    const std::uint8_t* copy0 = copies;
    const std::uint8_t* copy1 = copies + length;
    const std::uint8_t* copy2 = copies + 2 * static_cast<std::size_t>(length);
    for (std::uint32_t i = 0; i < length; ++i)
        out[i] = copy0[i] == copy1[i] ? copy0[i] : copy2[i];
}

void WriteThreeCopies(const void* source, std::uint8_t* target, std::uint32_t length)
{
    for (int copy = 0; copy < 3; ++copy)
        std::memcpy(target + copy * static_cast<std::size_t>(length), source, length);
}
