#pragma once

#include <QString>
#include <array>
#include <cstdint>

// Battery level 0..3 of a raw supply voltage against the settings'
// thresholds (entries 1..3 for levels 1..3); firmware major 9 scales the
// voltage by 4095 / 5000, every other by 4095 / 2500.
std::uint8_t BatteryLevel(std::uint16_t supplyVoltage, std::uint16_t firmwareVersion,
                          const std::array<std::uint16_t, 4>& thresholds);

// The hardware variant for a firmware major; a major outside the table
// keeps the current variant.
std::uint32_t HardwareVariantForMajor(std::uint8_t major, std::uint32_t current);

// Model text, variant suffix, " ", and the hours of audio the flash holds
// (total bytes / 2003 / 3600).
QString ModelDisplayName(const QString& model, std::uint32_t hardwareVariant, std::uint64_t totalBytes);
