#include "core/transfer/BlockOwner.h"

#include <algorithm>

#include "core/flash/BlockHeader.h"
#include "core/flash/BlockList.h"
#include "core/flash/PageReads.h"
#include "core/protocol/DebugLog.h"
#include "localizer/LangConst.h"

EContentChanged::EContentChanged() : std::runtime_error(LangConst(QStringLiteral("ContentChangedStr")).toStdString()) {}

bool SameOwner(const TBlockHeader& onFlash, const TBlockHeader& listed, TBlockOwnerKind kind)
{
    if (onFlash.Owner() != listed.Owner() || onFlash.Time() != listed.Time())
        return false;
    return kind == TBlockOwnerKind::Recording ? onFlash.Sequence() == listed.Sequence()
                                              : onFlash.DriveSequence() == listed.DriveSequence();
}

void CheckBlocksBelong(const TFlashGeometry& geometry, const TBlockList& blocks, TBlockOwnerKind kind, int count)
{
    const int total = count < 0 ? blocks.Count() : std::min(count, blocks.Count());
    for (int i = 0; i < total; ++i) {
        const TBlockRecord& record = *blocks.Item(i);
        TBlockHeader onFlash;
        ReadBlockHeaders(geometry, &onFlash, record.Block, 1);
        if (!SameOwner(onFlash, record.Header, kind)) {
            DebugLog(QStringLiteral("Block %1 holds owner %2, sequence %3; the list says owner %4, sequence %5")
                         .arg(record.Block)
                         .arg(onFlash.Owner())
                         .arg(onFlash.Sequence())
                         .arg(record.Header.Owner())
                         .arg(record.Header.Sequence()));
            throw EContentChanged();
        }
    }
}
