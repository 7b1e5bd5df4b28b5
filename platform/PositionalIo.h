#pragma once

#include <cstddef>
#include <cstdint>

// Whole reads and writes at a file offset, without moving the file position:
// pread/pwrite repeated over short transfers and interruptions.

// The bytes read: fewer than asked at the end of the file or on an error
// (errno tells which; 0 at the end).
std::size_t ReadFullyAt(int fd, void* buffer, std::size_t length, std::uint64_t offset);

// True once every byte is written; on false errno holds the reason.
bool WriteFullyAt(int fd, const void* data, std::size_t length, std::uint64_t offset);
