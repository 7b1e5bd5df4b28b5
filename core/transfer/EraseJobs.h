#pragma once

#include <atomic>
#include <cstdint>

#include "core/flash/FlashGeometry.h"
#include "core/recorder/JobOutcome.h"

class TBlockList;
class TSoundFileInfo;
struct TRecorderJobContext;

// Erases every block of the list in order; progress by blocks done. It does
// not look at the abort flag: a half-erased item is worse than a late stop.
TJobOutcome EraseBlocks(const TBlockList& blocks, std::atomic<std::uint8_t>& progress);

// Erases the data blocks from the first data block up, the ones below are
// the recorder's own. Stops after the block in progress once the abort flag
// is set and then ends Aborted.
TJobOutcome FormatDataBlocks(const TFlashGeometry& geometry, std::atomic<std::uint8_t>& progress,
                             const std::atomic<std::uint8_t>& abortFlag);

// Stores the status (0x55 downloaded, 0xAA uploaded) in the recording's
// first block: reads it, votes and patches the header, erases the block and
// writes it back. A failed write is tried once more from the copy in
// memory; a second failure is raised (TERecXchange). The recording's
// status and header change only after the write succeeded.
void RewriteSoundFileStatus(std::uint32_t connectType, const TFlashGeometry& geometry, TSoundFileInfo& recording,
                            std::uint8_t status);

// The bodies of the job table's EraseSoundFile, EraseDriveFile and Format
// entries. A record number or drive-file index the lists do not hold raises
// std::out_of_range. The format reads the flash geometry when none is
// known yet and marks the content changed however it ends.
TJobOutcome EraseSoundFileJob(TRecorderJobContext& context);
TJobOutcome EraseDriveFileJob(TRecorderJobContext& context);
TJobOutcome FormatJob(TRecorderJobContext& context);
