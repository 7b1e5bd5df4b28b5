#pragma once

#include <cstdint>

// The recorder command set answered from the attached image file. Each
// command opens the image, serves the code and closes it again; an answer
// is left as the pending reply, which a command clears before it runs.
// Writes are refused outside the blocks the file holds.

// Serves one command; false when it failed (image not open, request too
// short, block or page outside the image).
bool ImageEmulate(std::uint8_t code, const void* request, std::uint32_t requestLength);

// The link transaction of image and demo connections: ImageEmulate, then,
// when a reply is expected, fetches it. The time-out is not used. Raises
// TERecXchange{"I/O Error", code, 0} on any failure.
void ImageExecute(std::uint8_t code, const void* request, std::uint32_t requestLength, void* reply,
                  std::uint32_t replyLength, std::uint32_t timeoutMs);

// Drops the pending reply and closes the image (tests).
void ResetImageEmulator();
