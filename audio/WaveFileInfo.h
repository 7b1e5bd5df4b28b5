#pragma once

#include <QString>

#include <array>
#include <cstdint>

#include "audio/AonApi.h"
#include "audio/WaveFile.h"

// The wave-file info view's text: the format and length, what the private
// chunk stored, the CRC check of the data and the call the decoder found.
struct TWaveFileInfoText {
    QString Text;       // line breaks as the constants have them
    bool Beep = false;  // the CRC check failed
};

// Reads the whole file; decoder null leaves the call text out. A folder,
// a file that cannot be read and one that is no wave file give their
// message alone.
TWaveFileInfoText BuildWaveFileInfo(const QString& path, const TAonFunctions* decoder);

// The caption of a source codec id as the settings dialog shows it.
QString SourceCodecCaption(std::uint16_t codec);

// The decoder's result as words, and the call text it tells. Lengths and
// counts in it come from the library: nothing outside the 128 words, or
// outside block B's length, is read.
using TAonResult = std::array<std::uint16_t, aon::kResultWords>;
QString CallText(const TAonResult& result);
