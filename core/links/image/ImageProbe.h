#pragma once

#include <cstdint>
#include <optional>

// The link probe of image and demo connections: true when the image's
// header is valid and the magic lies within its first 120 blocks. Sets the
// page stride, pages per block and block stride from the header, the data
// start from the magic, one chip, and as many blocks as the file holds
// after the first image block (counting the blocks before it).
bool ImageProbe();

// Searches the open image for the magic in reads of 16384 bytes that
// overlap by 4, giving up beyond `limit` bytes; the offset of the first hit.
std::optional<std::uint64_t> FindImageMagic(std::uint64_t limit);
