#pragma once

#include <cstdint>
#include <optional>

// What the battery bar of the status panel shows.
struct TBatteryBarState {
    int Maximum = 0;
    int Position = 0;
    bool Smooth = false;
    // COLORREF (0x00BBGGRR); none leaves the colour as it was.
    std::optional<std::uint32_t> Colour;
};

// Hardware variant 0 shows the raw supply voltage above 3500 mV on 0..500
// (clamped, in signed arithmetic); other variants show the level 0..3.
// Levels 1, 2, 3 colour the bar red, yellow, green.
TBatteryBarState BatteryBarState(int hardwareVariant, std::uint16_t supplyVoltage, std::uint8_t batteryLevel);
