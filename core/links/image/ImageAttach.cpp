#include "core/links/image/ImageAttach.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
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
// Enough names for any number of earlier copies a user keeps.
constexpr int kMaxAsideNames = 10000;

QString SystemErrorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString AsideName(const QString& path, int n)
{
    QString aside = path + QStringLiteral(".bad");
    if (n > 0)
        aside += QLatin1Char('.') + QString::number(n);
    return aside;
}

// Moves an unusable image to the first free aside name, never over an
// earlier copy: nothing the user had is destroyed. The name taken, or empty
// (reason then says why).
QString MoveAside(const QString& path, QString& reason)
{
    const QByteArray from = QFile::encodeName(path);
    for (int n = 0; n < kMaxAsideNames; ++n) {
        const QString aside = AsideName(path, n);
        const QByteArray to = QFile::encodeName(aside);
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
            return aside;
        if (errno == EEXIST)
            continue;
        if (errno != EINVAL && errno != ENOSYS) {
            reason = SystemErrorText(errno);
            return {};
        }
        // A file system without the no-replace rename: a hard link fails
        // the same way on a taken name.
        if (::link(from.constData(), to.constData()) != 0) {
            if (errno == EEXIST)
                continue;
            reason = SystemErrorText(errno);
            return {};
        }
        if (::unlink(from.constData()) == 0)
            return aside;
        reason = SystemErrorText(errno);
        ::unlink(to.constData());
        return {};
    }
    reason = SystemErrorText(EEXIST);
    return {};
}

enum class TVerdict { Missing, Unreadable, Unusable, Usable };

// Judges the image by reading it only.
TVerdict Judge(const QString& path, QString& reason)
{
    QFile file(path);
    if (!file.exists())
        return TVerdict::Missing;
    if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
        return TVerdict::Unreadable;
    }
    const QByteArray header = file.read(image_header::kSize);
    if (header.size() != static_cast<qsizetype>(image_header::kSize))
        return TVerdict::Unusable;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(header.constData());
    const auto size = static_cast<std::uint64_t>(file.size());
    if (!ImageHeaderValid(bytes) || !ImageLayoutUsable(bytes, size))
        return TVerdict::Unusable;
    // The block table is rebuilt in the first block of the default layout.
    const TLinkGeometry& g = LinkGeometry;
    return size >= std::uint64_t{g.dataStart} + g.blockStride ? TVerdict::Usable : TVerdict::Unusable;
}

}  // namespace

bool ImageLayoutUsable(const std::uint8_t* header, std::uint64_t fileSize)
{
    const std::uint64_t stride = GetU16(header + image_header::kPageStride);
    const std::uint64_t pages = GetU16(header + image_header::kPagesPerBlock);
    return stride >= kTableSectorSize && pages > 0 && fileSize >= image_header::kSize + stride * pages;
}

bool CreateBlankImage(const QString& path, QString* reason)
{
    int fd;
    do
        fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_TRUNC | O_DSYNC | O_CLOEXEC, 0644);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (reason)
            *reason = SystemErrorText(errno);
        return false;
    }
    LinkGeometry.imageHandle = fd;
    const std::vector<std::uint8_t> erased(LinkGeometry.blockStride, 0xFF);
    bool written = true;
    for (std::uint32_t b = 0; b < kBlankBlocks && written; ++b)
        written = WriteImageAt(LinkGeometry.dataStart + static_cast<std::uint64_t>(b) * LinkGeometry.blockStride,
                               erased.data(), erased.size());
    const int error = errno;
    CloseImage();
    if (!written) {
        if (reason)
            *reason = SystemErrorText(error);
        return false;
    }

    auto& header = LinkGeometry.header;
    header.fill(0xFF);
    PutU16(header.data() + image_header::kFirstDataBlock, 1);
    PutU16(header.data() + image_header::kPageStride, LinkGeometry.pageStride);
    PutU16(header.data() + image_header::kPagesPerBlock, static_cast<std::uint16_t>(LinkGeometry.pagesPerBlock));
    PutU32(header.data() + image_header::kFirstImageBlock, 0);
    PutU16(header.data() + image_header::kFirmwareMajor, 10);
    if (WriteImageHeader())
        return true;
    if (reason)
        *reason = SystemErrorText(errno);
    return false;
}

TImageAttachNotice AttachImageFile(const QString& path, bool create)
{
    CloseImage();
    LinkGeometry.imagePath = path;
    ForgetImageIdentity();
    LinkGeometry.imageReplacedNotice = false;
    if (!create)
        return {};
    CloseImage();
    SetDefaultImageGeometry(LinkGeometry);

    TImageAttachNotice notice;
    notice.Path = path;
    const auto notOpened = [&notice](const QString& reason) {
        notice.Kind = TImageAttachNotice::TKind::NotOpened;
        notice.Reason = reason;
        return notice;
    };
    QString reason;
    switch (Judge(path, reason)) {
    case TVerdict::Unreadable:
        return notOpened(reason);
    case TVerdict::Unusable:
        notice.Aside = MoveAside(path, reason);
        if (notice.Aside.isEmpty())
            return notOpened(reason);
        notice.Kind = TImageAttachNotice::TKind::MovedAside;
        [[fallthrough]];
    case TVerdict::Missing:
        if (!CreateBlankImage(path, &reason))
            return notOpened(reason);
        break;
    case TVerdict::Usable:
        break;
    }
    // The file judged, or the blank one made in its place, is the image.
    ForgetImageIdentity();
    ImageSession session;
    if (!session.IsOpen())
        return notOpened(SystemErrorText(errno));
    RebuildBlockTable();
    return notice;
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
