#pragma once

#include <QString>
#include <cstdint>
#include <memory>

#include "core/flash/BlockHeader.h"
#include "core/flash/BlockList.h"
#include "platform/SystemTime.h"

// One file in the recorder's flash-drive area.
class TDriveFileInfo {
public:
    TDriveFileInfo() : Blocks(std::make_unique<TBlockList>()) {}
    virtual ~TDriveFileInfo() = default;
    TDriveFileInfo(const TDriveFileInfo&) = delete;
    TDriveFileInfo& operator=(const TDriveFileInfo&) = delete;

    std::uint16_t Number = 0;            // flash-drive file number (owner without bit 15)
    QString Name;                        // may hold folder parts, "\"-separated
    std::int64_t Size = 0;               // bytes, from the header
    SYSTEMTIME Time{};                   // local date and time of the header stamp
    QString SecondText;                  // empty after the scan
    std::uint8_t Flag = 0;               // non-zero: a folder entry without data
    std::unique_ptr<TBlockList> Blocks;  // the file's blocks in sequence order
    TBlockHeader Header{};               // header of the block with sequence 1
};
