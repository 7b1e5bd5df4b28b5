#pragma once

#include "core/recorder/CustomRecorder.h"

// The program's exported functions that make and destroy the recorder
// object for a connection type (0 USB 1.1 adapter, 1 image file, 2 USB 2.0
// adapter, 3 demo, 4 USB 2.0 SPI adapter, 5 "USB 2.0" through the device
// library). Making the object does no device I/O.
extern "C" {
__attribute__((visibility("default"))) TCustomRecorder* CreateRecorder(int connectType);
// Null is ignored.
__attribute__((visibility("default"))) void DestroyRecorder(TCustomRecorder* recorder);
}
