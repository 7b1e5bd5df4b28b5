#pragma once

#include <atomic>
#include <cstdint>

#include <QString>

#include "core/flash/FlashGeometry.h"
#include "core/recorder/JobOutcome.h"
#include "core/transfer/BlockOwner.h"

class TBlockList;
class TSoundFileInfo;
struct TRecorderJobContext;

// Erases every block of the list in order; progress by blocks done. It does
// not look at the abort flag: a half-erased item is worse than a late stop.
// First every block's header is read: one that is not the item's (another
// owner, sequence or time than the list says) raises EContentChanged and
// nothing is erased.
TJobOutcome EraseBlocks(const TFlashGeometry& geometry, const TBlockList& blocks, TBlockOwnerKind kind,
                        std::atomic<std::uint8_t>& progress);

// Erases the data blocks from the first data block up, the ones below are
// the recorder's own. Stops after the block in progress once the abort flag
// is set and then ends Aborted.
TJobOutcome FormatDataBlocks(const TFlashGeometry& geometry, std::atomic<std::uint8_t>& progress,
                             const std::atomic<std::uint8_t>& abortFlag);

// Stores the status (0x55 downloaded, 0xAA uploaded) in the recording's
// first block: reads it (its header must still be the recording's, else
// EContentChanged), votes and patches the header, keeps the new block in a
// recovery file of serial (BlockRecovery.h), erases the block and writes it
// back. A recovery file that cannot be saved raises EFileWriteError before
// anything on the flash changes. A failed write is tried once more from the copy in memory; a second
// failure is raised (TERecXchange) and the recovery file stays for the next
// connect. Once the block reads back as written the file goes. The
// recording's status and header change only after that.
void RewriteSoundFileStatus(std::uint32_t connectType, const TFlashGeometry& geometry, const QString& serial,
                            TSoundFileInfo& recording, std::uint8_t status);

// The bodies of the job table's EraseSoundFile, EraseDriveFile and Format
// entries. A record number or drive-file index the lists do not hold raises
// std::out_of_range. The format reads the flash geometry when none is
// known yet and marks the content changed however it ends.
TJobOutcome EraseSoundFileJob(TRecorderJobContext& context);
TJobOutcome EraseDriveFileJob(TRecorderJobContext& context);
TJobOutcome FormatJob(TRecorderJobContext& context);
