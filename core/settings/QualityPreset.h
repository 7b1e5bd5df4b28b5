#pragma once

#include <QString>
#include <cstdint>

#include "core/recorder/OwnedList.h"

// A named recording quality offered by the settings dialog.
struct TQualityPreset {
    QString Name;
    std::uint8_t Compress = 0;       // as TRecordProfile::Compress
    std::uint8_t CompressParam = 0;  // as TRecordProfile::CompressParam
    std::uint16_t BitRate = 0;       // the sample rate in Hz
};

// In file order.
class TQualityPresetList : public TOwnedList<TQualityPreset> {};
