#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <span>

#include "core/flash/FlashGeometry.h"
#include "core/transfer/BlockRecoveryFile.h"

// A block rewritten in place (erased, then written again) is kept on the PC
// meanwhile: a recovery file (BlockRecoveryFile.h), saved and synced before
// the erase and removed once the block reads back as it was written. A file
// left behind (the program killed, the link lost) lets the next connect
// write the block back, but only onto that block's own interrupted rewrite.

// Rewrites a block from data: erase, write (tried once more on a link
// failure), read back. False when it read back otherwise.
bool RewriteBlock(std::uint32_t connectType, const TFlashGeometry& geometry, std::uint32_t block,
                  std::span<const std::uint8_t> data);

// What the flash shows of the rewrite a recovery file was saved for.
enum class TRewriteTrace : std::uint8_t {
    Finished,        // the block holds the saved bytes
    Interrupted,     // erased, half-written with the saved pages, or the old block
    OtherData,       // anything else: another item, other audio
    FirstElsewhere,  // another block carries the saved block's header
    NextGone,        // the recording's next block no longer carries its header
};

// Reads the flash around the saved block and tells which. The file must be
// of this recorder and this flash (the caller checks).
TRewriteTrace TraceRewrite(const TFlashGeometry& geometry, const TBlockRecoveryData& saved);

// The connect path: for each recovery file of this recorder, a block that
// holds the saved bytes only loses its file; the block's own interrupted
// rewrite is written back from the file (RecordRepairedStr). A file of
// another recorder or flash, one that is not a regular file of a block
// copy's size, or one whose block shows anything else is set aside unread
// or unused, and the flash is left alone; each such file is told once, and
// so is a rewrite that did not read back (its file stays for the next
// connect). Answers the texts for the user. Link failures (TERecXchange)
// reach the caller; the files not done yet stay for the next connect.
QStringList HealBlockRewrites(std::uint32_t connectType, const TFlashGeometry& geometry, const QString& serial);
