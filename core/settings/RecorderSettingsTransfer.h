#pragma once

#include <cstdint>
#include <functional>

#include "core/settings/RecorderSettings.h"

// Moving the settings record between the PC and the recorder. Image and
// demo connections use the image file's header; every other connection
// type (the adapters and the device access library) uses the settings
// command pairs through LinkTransaction.
//
// A failing command ends the transfer at that point with TERecXchange; the
// items read before it keep their new values, the others their old ones.

// Told after each item read: items done and items in all.
using TSettingsReadProgress = std::function<void(int done, int total)>;

// Fills settings from the recorder or the image, then normalises it.
void ReadRecorderSettings(TRecorderSettings& settings, std::uint32_t connectType,
                          const TSettingsReadProgress& progress = {});

// Writes settings back. Over commands each reply overwrites its item and
// the whole record is read back afterwards; an image header is written
// once and not read back.
void StoreRecorderSettings(TRecorderSettings& settings, std::uint32_t connectType);
