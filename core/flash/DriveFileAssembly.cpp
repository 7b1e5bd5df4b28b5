#include "core/flash/DriveFileAssembly.h"

#include <vector>

#include "core/flash/DriveFileInfo.h"
#include "core/flash/PageReads.h"
#include "core/protocol/RecorderClock.h"
#include "core/protocol/RecorderCommands.h"

void CollectDriveFileInfo(const TScanContext& context, TDriveFileInfo& file)
{
    if (file.Blocks->Count() == 0)
        return;
    const TFlashGeometry& g = context.Geometry;
    std::vector<std::uint8_t> page(g.PageSize);
    ReadPagePart(static_cast<std::uint32_t>(g.FirstPageOf(file.Blocks->Item(0)->Block)), g.PageSize, page.data());

    file.Size = file.Header.DriveFileSize();
    file.Flag = file.Header.IsFolderEntry() ? 1 : 0;
    QString name;
    for (std::size_t at = TBlockHeader::kAreaSize; at + 1 < page.size(); at += 2) {
        const std::uint16_t unit = GetU16(page.data() + at);
        if (unit == 0)
            break;
        name += QChar(unit);
    }
    file.Name = name;
    file.Time = RtcToSystemTime(file.Header.Time());
    file.SecondText.clear();
}
