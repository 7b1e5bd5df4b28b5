#include "core/flash/DriveFileAssembly.h"

#include <algorithm>
#include <vector>

#include "core/flash/DriveFileInfo.h"
#include "core/flash/DriveFileLayout.h"
#include "core/flash/PageReads.h"
#include "core/protocol/RecorderClock.h"
#include "core/protocol/RecorderCommands.h"

void CollectDriveFileInfo(const TScanContext& context, TDriveFileInfo& file)
{
    if (file.Blocks->Count() == 0)
        return;
    // Writers need not allocate in ascending order: the sequence tells.
    file.Blocks->StableSort([](const TBlockRecord& a, const TBlockRecord& b) {
        return a.Header.DriveSequence() < b.Header.DriveSequence();
    });
    const TBlockRecord& first = *file.Blocks->Item(0);
    file.Header = first.Header;

    const TFlashGeometry& g = context.Geometry;
    std::vector<std::uint8_t> page(g.PageSize);
    ReadPagePart(static_cast<std::uint32_t>(g.FirstPageOf(first.Block)), g.PageSize, page.data());

    file.Size = file.Header.DriveFileSize();
    file.Flag = file.Header.IsFolderEntry() ? 1 : 0;
    // An unterminated name ends with the data area, before the ECC bytes.
    const std::size_t end = std::min<std::size_t>(page.size(), drive_layout::PageData(g.PageSize));
    QString name;
    for (std::size_t at = TBlockHeader::kAreaSize; at + 1 < end; at += 2) {
        const std::uint16_t unit = GetU16(page.data() + at);
        if (unit == 0)
            break;
        name += QChar(unit);
    }
    file.Name = name;
    file.Time = RtcToSystemTime(file.Header.Time());
    file.SecondText.clear();
}
