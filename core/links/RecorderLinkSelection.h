#pragma once

#include <cstdint>

// Points LinkProbe and LinkTransaction at the link of a connection type:
// the image emulator for 1 and 3, the device access library for 5, the FTDI
// adapter link for every other value.
void SelectRecorderLink(std::uint32_t connectType);
