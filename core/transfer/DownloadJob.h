#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>

#include "core/flash/FlashGeometry.h"

class TCustomFile;
class TSoundFileInfo;

// Reads `pages` whole pages from page address `first` on, back to back
// into out (pages x page size bytes).
using TPageReader = std::function<void(std::uint8_t* out, std::uint32_t first, std::uint16_t pages)>;

// The link's read of whole pages (command 76), pages of `geometry`'s size.
TPageReader LinkPageReader(const TFlashGeometry& geometry);

// What to download: a span of a recording, or one of its voice parts.
struct TDownloadRequest {
    const TSoundFileInfo* Recording = nullptr;  // null: no recording has that number
    std::uint16_t RecordNumber = 0;             // for the error text
    std::uint32_t Start = 0;                    // seconds from the first page (span only)
    std::uint32_t Length = 0;                   // seconds (span only)
    std::optional<int> PartIndex;               // a voice part from 1, in place of the span
    TFlashGeometry Geometry;
    TPageReader ReadPages;  // empty: the link
};

enum class TDownloadResult : std::uint8_t {
    Completed,
    Aborted,      // the abort flag stopped it
    SinkRefused,  // a write answered 0; nothing was written after it
};

// Decodes the recording's pages into 16-bit mono PCM and writes it into the
// sink piece by piece, with silence where the page times show a pause and
// whole seconds of silence after the last page up to start + length. A span
// that ends before the recording's last page stops at start + length to the
// sample. Each
// page is read once, a block (or the part of it up to a break) a command.
// A missing recording, a part index outside the list or no sink raise
// std::invalid_argument before anything is read; link failures raise
// TERecXchange.
// The bytes of PCM that DownloadRecording writes for the request (the
// samples its runs of pages decode to, inserted silence, the tail), read
// from the lists and the geometry alone; ReadPages is not used. A pause of more than 31 days is a
// damaged time stamp: the download writes no silence for it (and says so
// in the debug log), and it counts nothing here.
std::uint64_t DownloadOutputBytes(const TDownloadRequest& request);

TDownloadResult DownloadRecording(const TDownloadRequest& request, std::atomic<std::uint8_t>& progress,
                                  const std::atomic<std::uint8_t>& abort, TCustomFile* sink);
