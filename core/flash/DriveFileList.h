#pragma once

#include <QString>
#include <cstdint>

#include "core/flash/DriveFileInfo.h"
#include "core/recorder/OwnedList.h"

// Flash-drive files; frees its items.
class TCustomDriveFileList : public TOwnedList<TDriveFileInfo> {
public:
    // Index of the file with that number, or -1.
    int IndexOfNumber(std::uint16_t number) const;
    // Index of the file whose name equals the text (case-sensitive), or -1.
    virtual int IndexOfName(const QString& name) const;
};

class TDriveFileList : public TCustomDriveFileList {};
