#include "core/links/image/ImageFile.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/links/LinkGeometry.h"
#include "core/links/image/ImageHeader.h"
#include "core/protocol/RecorderCommands.h"
#include "platform/PositionalIo.h"

static_assert(sizeof(off_t) == 8, "image offsets are 64-bit");

bool OpenImage()
{
    if (LinkGeometry.imageHandle != TLinkGeometry::kClosed)
        return true;
    if (LinkGeometry.imagePath.isEmpty())
        return false;
    const QByteArray name = QFile::encodeName(LinkGeometry.imagePath);
    int fd;
    do
        fd = ::open(name.constData(), O_RDWR | O_DSYNC | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        ::close(fd);
        return false;
    }
    TLinkGeometry& g = LinkGeometry;
    const auto device = static_cast<std::uint64_t>(info.st_dev);
    const auto inode = static_cast<std::uint64_t>(info.st_ino);
    if (g.imageKnown && (device != g.imageDevice || inode != g.imageInode)) {
        ::close(fd);
        g.imageReplaced = true;
        g.imageReplacedNotice = true;
        errno = ESTALE;
        return false;
    }
    g.imageKnown = true;
    g.imageDevice = device;
    g.imageInode = inode;
    g.imageHandle = fd;
    return true;
}

void ForgetImageIdentity()
{
    LinkGeometry.imageKnown = false;
    LinkGeometry.imageReplaced = false;
}

bool TakeImageReplaced()
{
    if (!LinkGeometry.imageReplaced)
        return false;
    ForgetImageIdentity();
    return true;
}

bool TakeImageReplacedNotice(QString& path)
{
    if (!LinkGeometry.imageReplacedNotice)
        return false;
    LinkGeometry.imageReplacedNotice = false;
    path = LinkGeometry.imagePath;
    return true;
}

void CloseImage()
{
    if (LinkGeometry.imageHandle == TLinkGeometry::kClosed)
        return;
    ::close(LinkGeometry.imageHandle);
    LinkGeometry.imageHandle = TLinkGeometry::kClosed;
}

std::size_t ReadImageAt(std::uint64_t offset, void* buffer, std::size_t length)
{
    return ReadFullyAt(LinkGeometry.imageHandle, buffer, length, offset);
}

bool WriteImageAt(std::uint64_t offset, const void* buffer, std::size_t length)
{
    return WriteFullyAt(LinkGeometry.imageHandle, buffer, length, offset);
}

std::optional<std::uint64_t> ImageFileSize()
{
    struct stat info {};
    if (::fstat(LinkGeometry.imageHandle, &info) != 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(info.st_size);
}

bool ReadImageHeader()
{
    ImageSession session;
    if (!session.IsOpen())
        return false;
    std::array<std::uint8_t, image_header::kSize> sector{};
    if (ReadImageAt(0, sector.data(), sector.size()) != sector.size())
        return false;
    LinkGeometry.header = sector;
    return ImageHeaderValid(sector.data());
}

bool WriteImageHeader()
{
    auto& header = LinkGeometry.header;
    header[image_header::kWriteMark] = 0xFF;
    PutU16(header.data() + image_header::kCrc, ImageHeaderCrc(header.data()));
    ImageSession session;
    return session.IsOpen() && WriteImageAt(0, header.data(), header.size());
}
