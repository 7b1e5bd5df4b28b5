#include "core/links/LinkGeometry.h"

#include <unistd.h>

TLinkGeometry LinkGeometry;

void ResetLinkGeometry()
{
    if (LinkGeometry.imageHandle != TLinkGeometry::kClosed)
        ::close(LinkGeometry.imageHandle);
    LinkGeometry = TLinkGeometry{};
}

void SetDefaultImageGeometry(TLinkGeometry& geometry)
{
    const TLinkGeometry defaults;
    geometry.chipCount = defaults.chipCount;
    geometry.pagesPerBlock = defaults.pagesPerBlock;
    geometry.blocksPerChip = defaults.blocksPerChip;
    geometry.pageSize = defaults.pageSize;
    geometry.spareSize = defaults.spareSize;
    geometry.pageStride = defaults.pageStride;
    geometry.blockStride = defaults.blockStride;
    geometry.dataStart = defaults.pageStride;
}
