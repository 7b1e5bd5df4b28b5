#include "core/flash/DriveFileList.h"

int TCustomDriveFileList::IndexOfNumber(std::uint16_t number) const
{
    return IndexWhere([number](const TDriveFileInfo& info) { return info.Number == number; });
}

int TCustomDriveFileList::IndexOfName(const QString& name) const
{
    return IndexWhere([&name](const TDriveFileInfo& info) { return info.Name == name; });
}
