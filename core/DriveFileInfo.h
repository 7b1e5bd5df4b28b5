#pragma once

#include <QString>
#include <cstdint>

// One file in the recorder's flash-drive area. The content scan adds the
// rest of what it learns about a file.
class TDriveFileInfo {
public:
    virtual ~TDriveFileInfo() = default;

    std::uint16_t Number = 0;  // flash-drive file number
    QString Name;              // may hold folder parts, "\"-separated
};
