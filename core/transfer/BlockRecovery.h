#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/flash/FlashGeometry.h"

// A block rewritten in place (erased, then written again) is kept on the PC
// meanwhile: a recovery file in the folder of the main settings file, named
// by the recorder's serial number and the block number, with a CRC-32. It
// is flushed before the erase and removed once the block reads back as it
// was written; a file left behind (the program killed, the link lost) lets
// the next connect write the block back.

// What a recovery file holds.
struct TBlockRecoveryData {
    QString Serial;
    std::uint32_t Block = 0;
    std::uint16_t Record = 0;  // the recording whose first block it is
    std::vector<std::uint8_t> Data;
};

// Where the recovery file of a block goes: "<serial>-<block>.blk" beside
// the main settings file.
QString BlockRecoveryPath(const QString& serial, std::uint32_t block);

// Writes the file and syncs it and its folder. EFileWriteError on a failure.
void SaveBlockRecovery(const TBlockRecoveryData& data);
// The file's content; none when it is missing or damaged (size, CRC).
std::optional<TBlockRecoveryData> LoadBlockRecovery(const QString& path);
void RemoveBlockRecovery(const QString& serial, std::uint32_t block);
// The recovery files of this recorder.
QStringList BlockRecoveryFiles(const QString& serial);

// Rewrites a block from data: erase, write (tried once more on a link
// failure), read back. False when it read back otherwise.
bool RewriteBlock(std::uint32_t connectType, const TFlashGeometry& geometry, std::uint32_t block,
                  std::span<const std::uint8_t> data);

// The connect path: for each recovery file of this recorder, a block that
// holds the saved bytes only loses its file; an erased block, a half-written
// one or the old one is written back from the file. A block that another
// item owns now (the recorder was formatted and used since) is left alone
// and the file dropped. Answers one text per recording repaired
// (RecordRepairedStr). Link failures (TERecXchange) reach the caller; the
// files not done yet stay for the next connect.
QStringList HealBlockRewrites(std::uint32_t connectType, const TFlashGeometry& geometry, const QString& serial);
