#include "app/connection/BatteryBar.h"

#include <algorithm>

TBatteryBarState BatteryBarState(int hardwareVariant, std::uint16_t supplyVoltage, std::uint8_t batteryLevel)
{
    TBatteryBarState state;
    if (hardwareVariant == 0) {
        state.Maximum = 500;
        state.Smooth = true;
        state.Position = std::clamp(static_cast<int>(supplyVoltage) - 3500, 0, 500);
    } else {
        state.Maximum = 3;
        state.Position = std::min<int>(batteryLevel, 3);
    }
    switch (batteryLevel) {
    case 1:
        state.Colour = 0x0000FFu;
        break;
    case 2:
        state.Colour = 0x00FFFFu;
        break;
    case 3:
        state.Colour = 0x008000u;
        break;
    default:
        break;
    }
    return state;
}
