#include "core/flash/DriveFileList.h"

#include "core/flash/DrivePath.h"

QString DriveNameKey(const QString& storedName)
{
    return TrimBackslashes(storedName);
}

bool SameDriveName(const QString& stored, const QString& wanted)
{
    return DriveNameKey(stored) == DriveNameKey(wanted);
}

int TCustomDriveFileList::IndexOfNumber(std::uint16_t number) const
{
    return IndexWhere([number](const TDriveFileInfo& info) { return info.Number == number; });
}

int TCustomDriveFileList::IndexOfName(const QString& name) const
{
    const QString key = DriveNameKey(name);
    return IndexWhere([&key](const TDriveFileInfo& info) { return DriveNameKey(info.Name) == key; });
}

int TCustomDriveFileList::IndexOfEntry(int index, const QString& name) const
{
    if (index >= 0 && index < Count() && SameDriveName(Item(index)->Name, name))
        return index;
    return IndexOfName(name);
}
