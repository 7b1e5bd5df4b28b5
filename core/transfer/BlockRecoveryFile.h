#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/flash/BlockHeader.h"
#include "core/flash/FlashGeometry.h"

// The recovery file of a block rewritten in place: "<serial>-<block>.blk"
// in the folder of the main settings file. It names the recorder (serial
// number) and its flash (geometry) inside as well, and ends with a CRC-32
// of all that comes before.

// What a recovery file holds.
struct TBlockRecoveryData {
    QString Serial;
    TFlashGeometry Geometry;
    std::uint32_t Block = 0;
    std::uint16_t Record = 0;  // the recording whose first block it is
    // The recording's next block and the header the lists held for it;
    // none for a recording of one block.
    std::optional<std::uint32_t> NextBlock;
    TBlockHeader NextHeader;
    std::vector<std::uint8_t> Data;  // the whole block as it is to be written
};

// Why a file was not read as a recovery file.
enum class TRecoveryFileFault : std::uint8_t {
    None,
    Unreadable,  // it could not be opened
    NotRegular,  // a link, a device, a folder, a pipe
    WrongSize,   // not the size a copy of a block of this flash has
    Damaged,     // another format or a wrong CRC
};

struct TLoadedRecovery {
    std::optional<TBlockRecoveryData> Data;
    TRecoveryFileFault Fault = TRecoveryFileFault::None;
};

QString BlockRecoveryPath(const QString& serial, std::uint32_t block);
// The size of the recovery file of one block of this flash.
std::uint64_t BlockRecoveryFileSize(const TFlashGeometry& geometry);

// Writes the file under a temporary name, syncs it, renames it and syncs
// its folder. EFileWriteError with the system's reason on any failure, and
// then no file is left under the recovery name.
void SaveBlockRecovery(const TBlockRecoveryData& data);

// Opens the file without following a link and reads it only when it is a
// regular file of exactly BlockRecoveryFileSize(geometry) bytes.
TLoadedRecovery LoadBlockRecovery(const QString& path, const TFlashGeometry& geometry);

void RemoveBlockRecovery(const QString& path);

// Moves the file aside under a name no heal reads again (it may be the only
// copy of the block, so it is never deleted). Answers the new path, or the
// old one when the rename failed.
QString SetBlockRecoveryAside(const QString& path);

// The recovery files of this recorder, whatever their kind (links and
// devices included: the reading decides).
QStringList BlockRecoveryFiles(const QString& serial);

// The serial number (as it stands in file names) and the block number that
// the file's name gives.
struct TRecoveryName {
    QString SafeSerial;
    std::uint32_t Block = 0;
};
std::optional<TRecoveryName> ParseBlockRecoveryName(const QString& path);
QString SafeRecoverySerial(const QString& serial);
// The serial number as a file stores it (its first 32 bytes of UTF-8).
QString StoredRecoverySerial(const QString& serial);
