#pragma once

#include <QString>
#include <cstdint>

#include "core/flash/DriveFileInfo.h"
#include "core/recorder/OwnedList.h"

// The one comparison of stored flash-drive names. This program stores
// "A\b.txt"; other tools store "\A\b.txt". Leading and trailing "\" do not
// count, case does: both forms name the same entry for the list, the
// download, the erase, the duplicate check and the overwrite.
QString DriveNameKey(const QString& storedName);
bool SameDriveName(const QString& stored, const QString& wanted);

// Flash-drive files; frees its items.
class TCustomDriveFileList : public TOwnedList<TDriveFileInfo> {
public:
    // Index of the file with that number, or -1.
    int IndexOfNumber(std::uint16_t number) const;
    // Index of the first file stored under that name (SameDriveName), or -1.
    virtual int IndexOfName(const QString& name) const;
    // The file a list row shows: the row's index while the file there still
    // has the row's name (two stored forms of one name are two rows), else
    // the first file of that name; -1 when there is none.
    int IndexOfEntry(int index, const QString& name) const;
};

class TDriveFileList : public TCustomDriveFileList {};
