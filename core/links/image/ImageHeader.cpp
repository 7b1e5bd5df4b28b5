#include "core/links/image/ImageHeader.h"

#include "core/protocol/Crc16.h"
#include "core/protocol/RecorderCommands.h"

std::uint16_t ImageHeaderCrc(const std::uint8_t* header)
{
    std::uint16_t crc = image_header::kCrcInitial;
    for (const auto& range : image_header::kCrcRanges)
        crc = Crc16Update(header + range.first, static_cast<std::uint32_t>(range.last - range.first + 1), crc);
    return crc;
}

bool ImageHeaderValid(const std::uint8_t* header)
{
    return ImageHeaderCrc(header) == GetU16(header + image_header::kCrc);
}
