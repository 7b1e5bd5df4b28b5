#include "core/recorder/RecorderStatusValues.h"

#include <iterator>

std::uint8_t BatteryLevel(std::uint16_t supplyVoltage, std::uint16_t firmwareVersion,
                          const std::array<std::uint16_t, 4>& thresholds)
{
    const std::uint32_t divisor = (firmwareVersion >> 8) == 9 ? 5000 : 2500;
    const std::uint32_t scaled = std::uint32_t{supplyVoltage} * 4095 / divisor;
    std::uint8_t level = 3;
    while (level > 0 && scaled < thresholds[level])
        --level;
    return level;
}

std::uint32_t HardwareVariantForMajor(std::uint8_t major, std::uint32_t current)
{
    switch (major) {
    case 1:
        return 0;
    case 9:
        return 1;
    case 10:
        return 2;
    case 11:
        return 3;
    case 12:
        return 4;
    case 13:
        return 5;
    default:
        return current;
    }
}

QString ModelDisplayName(const QString& model, std::uint32_t hardwareVariant, std::uint64_t totalBytes)
{
    static const char* const kSuffixes[] = {" M1", " M9", " M10", " M11", " M12"};
    QString text = model;
    if (hardwareVariant < std::size(kSuffixes))
        text += QLatin1String(kSuffixes[hardwareVariant]);
    text += QLatin1Char(' ');
    text += QString::number(totalBytes / 2003 / 3600);
    return text;
}
