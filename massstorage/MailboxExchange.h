#pragma once

#include <cstddef>
#include <cstdint>

#include "massstorage/DrcbCommand.h"

namespace q71 {

// The steps of one exchange on the open mailbox file, all at offset 0 and
// through the state's aligned buffer. Each returns false when the transfer
// failed or moved fewer bytes than asked.

// Writes the command as one whole sector.
bool SendCommand(const DrcbCommand& command);
// Reads length bytes rounded up to whole sectors into the buffer; the
// caller takes the first length bytes from ExchangeBuffer().
bool ReadReply(std::size_t length);
// Writes length bytes (whole sectors) of data through the buffer.
bool WriteData(const void* data, std::size_t length);

std::uint8_t* ExchangeBuffer();

// Rounds up to whole sectors of the connected disk.
std::size_t WholeSectors(std::size_t length);

}  // namespace q71
