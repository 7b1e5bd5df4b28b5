#include "core/links/image/ImageAttach.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

#include "core/flash/FlashLayout.h"
#include "core/links/LinkGeometry.h"
#include "core/links/image/ImageFile.h"
#include "core/links/image/ImageHeader.h"
#include "core/protocol/Crc16.h"
#include "core/protocol/RecorderCommands.h"

namespace {

constexpr std::uint32_t kBlankBlocks = 64;
constexpr std::uint32_t kTableEntriesPerSector = 256;
constexpr std::size_t kTableSectorSize = kTableEntriesPerSector * 2;

// Moves an unusable image aside so nothing the user had is destroyed.
bool MoveAside(const QString& path)
{
    if (!QFileInfo::exists(path))
        return true;
    const QString aside = path + QStringLiteral(".bad");
    return ::rename(QFile::encodeName(path).constData(), QFile::encodeName(aside).constData()) == 0;
}

// A valid header on a file cut short still leaves no block to answer from.
bool HoldsAWholeBlock()
{
    ImageSession session;
    const std::optional<std::uint64_t> size = session.IsOpen() ? ImageFileSize() : std::nullopt;
    return size && *size >= std::uint64_t{LinkGeometry.dataStart} + LinkGeometry.blockStride;
}

}  // namespace

bool CreateBlankImage(const QString& path)
{
    int fd;
    do
        fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_TRUNC | O_DSYNC | O_CLOEXEC, 0644);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return false;
    LinkGeometry.imageHandle = fd;
    const std::vector<std::uint8_t> erased(LinkGeometry.blockStride, 0xFF);
    bool written = true;
    for (std::uint32_t b = 0; b < kBlankBlocks && written; ++b)
        written = WriteImageAt(LinkGeometry.dataStart + static_cast<std::uint64_t>(b) * LinkGeometry.blockStride,
                               erased.data(), erased.size());
    CloseImage();
    if (!written)
        return false;

    auto& header = LinkGeometry.header;
    header.fill(0xFF);
    PutU16(header.data() + image_header::kFirstDataBlock, 1);
    PutU16(header.data() + image_header::kPageStride, LinkGeometry.pageStride);
    PutU16(header.data() + image_header::kPagesPerBlock, static_cast<std::uint16_t>(LinkGeometry.pagesPerBlock));
    PutU32(header.data() + image_header::kFirstImageBlock, 0);
    PutU16(header.data() + image_header::kFirmwareMajor, 10);
    return WriteImageHeader();
}

void AttachImageFile(const QString& path, bool create)
{
    LinkGeometry.imagePath = path;
    if (!create)
        return;
    CloseImage();
    SetDefaultImageGeometry(LinkGeometry);
    if (!ReadImageHeader() || !HoldsAWholeBlock()) {
        if (!MoveAside(path) || !CreateBlankImage(path))
            return;
    }
    ImageSession session;
    if (session.IsOpen())
        RebuildBlockTable();
}

bool RebuildBlockTable()
{
    const TLinkGeometry& g = LinkGeometry;
    const std::uint32_t total = g.TotalBlocks();
    const std::uint32_t sectors = (total + kTableEntriesPerSector - 1) / kTableEntriesPerSector;
    const std::uint32_t firstImageBlock = GetU32(g.header.data() + image_header::kFirstImageBlock);
    if (g.dataStart == TLinkGeometry::kNoDataStart)
        return false;

    // The table as stored, little-endian u16 entries.
    std::vector<std::uint8_t> table(static_cast<std::size_t>(sectors) * kTableSectorSize, 0xFF);
    for (std::uint32_t i = 0; i < sectors; ++i)
        ReadImageAt(g.dataStart + static_cast<std::uint64_t>(i + 1) * g.pageStride, table.data() + i * kTableSectorSize,
                    kTableSectorSize);
    for (std::uint32_t b = 0; b < total; ++b) {
        std::uint8_t owner[2] = {0xFF, 0xFF};
        if (b >= firstImageBlock) {
            const std::uint64_t at = g.dataStart + static_cast<std::uint64_t>(b - firstImageBlock) * g.blockStride;
            if (ReadImageAt(at + flash_layout::kOwnerOffset, owner, 2) != 2)
                PutU16(owner, flash_layout::kFreeOwner);
        }
        std::copy_n(owner, 2, table.data() + 2 * static_cast<std::size_t>(b));
    }

    bool written = WriteImageAt(g.dataStart, ImageMagic.data(), ImageMagic.size());
    for (std::uint32_t i = 0; i < sectors && written; ++i)
        written = WriteImageAt(g.dataStart + static_cast<std::uint64_t>(i + 1) * g.pageStride,
                               table.data() + i * kTableSectorSize, kTableSectorSize);
    std::uint16_t crc = Crc16Update(ImageMagic.data(), ImageMagic.size(), 0);
    crc = Crc16Update(table.data(), 2 * total, crc);
    std::uint8_t stored[2];
    PutU16(stored, crc);
    return written && WriteImageAt(g.dataStart + static_cast<std::uint64_t>(sectors + 1) * g.pageStride, stored, 2);
}
