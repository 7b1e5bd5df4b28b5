#pragma once

#include <QString>
#include <cstdint>

#include "audio/MarkBlocks.h"

class MarkStream;
class TWaveFile;

// The mark parameters of a downloaded recording's file: the serial number
// (8-bit, first 20 bytes), framing on, the recording's time from the file's
// private chunk (0 without one), the file's format, the source codec and
// the no-private-chunk flag, and three tones drawn at random.
TMarkParams RecordMarkParams(const TWaveFile& wave, const QString& serialNumber, std::uint8_t codec,
                             std::uint8_t noPrivateChunk);

// Starts stream over for the next part file with those parameters.
void SetupRecordMarks(MarkStream& stream, const TWaveFile& wave, const QString& serialNumber, std::uint8_t codec,
                      std::uint8_t noPrivateChunk);
