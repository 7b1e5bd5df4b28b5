#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "core/flash/FlashGeometry.h"
#include "core/recorder/JobOutcome.h"

class TWaveSource;
struct TRecorderJobContext;

// What to upload: the source's 16-bit mono samples from its current
// position, encoded with the codec of (Compress, Param) at SampleRate, into
// the free blocks in list order.
struct TUploadRequest {
    std::uint16_t RecordNumber = 0;
    std::uint32_t Time = 0;  // seconds since 1970 of the first block
    std::uint8_t Compress = 0;
    std::uint8_t Param = 0;
    std::uint32_t SampleRate = 0;
    std::uint64_t SourceSamples = 0;  // samples the source holds
    TWaveSource* Source = nullptr;
    TFlashGeometry Geometry;
    std::vector<std::uint32_t> FreeBlocks;
};

// Rate code of header byte 10 for a source rate.
std::uint8_t UploadRateCode(std::uint32_t sampleRate);

// Lays the samples out in pages as the download reads them and writes them
// page by page (commands 14 and 16) with their blocks' headers (sequence
// from 1, times a block's seconds apart). Pages past the end of the source
// stay erased; a source longer than the free blocks is cut at the last one.
// Never looks at an abort flag. A failed source read raises
// std::runtime_error after the pages before it were written; an unknown
// codec, a missing source or no geometry raise std::invalid_argument before
// anything is written; link failures raise TERecXchange.
// Returns the number of blocks written (the first ones of the free list).
std::uint64_t UploadRecording(const TUploadRequest& request, std::atomic<std::uint8_t>& progress);

// The body of the job table's Upload entry: the request from the context's
// parameters, snapshot and free-block list; state 5 while it writes.
TJobOutcome UploadJob(TRecorderJobContext& context);
