#pragma once

#include <cstdint>

#include "core/recorder/WaveSource.h"

// Audio seconds that one full block holds with the given profile values.
double SecondsPerBlock(std::uint8_t rateCode, std::uint8_t compress, std::uint8_t param, std::uint32_t pagesPerBlock,
                       std::uint32_t pageSize);

// Whole seconds of a profile over a number of free blocks (never negative).
std::uint64_t ProfileRecordSeconds(double secondsPerBlock, std::uint64_t freeBlocks);

// Bytes a wave file takes on the recorder with the chosen upload compression,
// in the unit of the free memory: the blocks its samples need, each counted
// as a block less its header area. -1 when it cannot be uploaded (only mono
// 16-bit PCM at the rates the compression allows: 16000 Hz not on hardware
// variant 2, nor with ADPCM) or without a flash geometry.
std::int64_t UploadSizeFor(const TWaveSourceFormat& format, std::uint8_t compress, std::uint8_t param,
                           std::uint32_t hardwareVariant, std::uint32_t pagesPerBlock, std::uint32_t pageSize);

struct TFlashGeometry;

// GetFreeDriveMemory: the largest flash-drive file the free blocks take
// whole (the first block gives its first page to the name, each block its
// header area); 0 without a free block or a geometry.
std::uint64_t FreeDriveFileBytes(const TFlashGeometry& geometry, std::uint64_t freeBlocks);

// Whether an entry of size bytes (a folder entry: 0) fits a flash drive
// with room bytes (GetFreeDriveMemory): every entry takes a block for its
// name, so nothing fits a drive without a free block.
bool DriveEntryFits(std::int64_t size, std::int64_t room);
