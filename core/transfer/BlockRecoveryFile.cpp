#include "core/transfer/BlockRecoveryFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <zlib.h>

#include "core/protocol/DebugLog.h"
#include "core/settings/FileCalls.h"
#include "core/settings/MainSettingsFile.h"
#include "core/settings/StagedFile.h"

namespace {

constexpr char kMagic[8] = {'T', 'V', 'X', 'B', 'L', 'K', '0', '2'};
constexpr qsizetype kSerialBytes = 32;
// magic, serial, geometry (5 x u16), block, record, next-block flag, next
// block, next header, data length
constexpr qsizetype kHead = sizeof(kMagic) + kSerialBytes + 10 + 4 + 2 + 1 + 4 + TBlockHeader::kSize + 4;
constexpr char kSuffix[] = ".blk";
constexpr char kAsideSuffix[] = ".kept";

void PutU16(QByteArray& out, std::uint16_t value)
{
    out.append(static_cast<char>(value));
    out.append(static_cast<char>(value >> 8));
}

void PutU32(QByteArray& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.append(static_cast<char>(value >> (8 * i)));
}

// Reads little-endian fields in order.
class TFieldReader {
public:
    explicit TFieldReader(const QByteArray& bytes) : m_bytes(bytes) {}
    std::uint32_t Get(int width)
    {
        std::uint32_t value = 0;
        for (int i = 0; i < width; ++i)
            value |= std::uint32_t{static_cast<std::uint8_t>(m_bytes[m_at + i])} << (8 * i);
        m_at += width;
        return value;
    }
    QByteArray Take(qsizetype count)
    {
        const QByteArray part = m_bytes.mid(m_at, count);
        m_at += count;
        return part;
    }

private:
    const QByteArray& m_bytes;
    qsizetype m_at = 0;
};

std::uint32_t CrcOf(const char* data, qsizetype length)
{
    return static_cast<std::uint32_t>(
        ::crc32(::crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(data), static_cast<uInt>(length)));
}

QByteArray SerialField(const QString& serial)
{
    QByteArray field = serial.toUtf8().left(kSerialBytes);
    field.append(kSerialBytes - field.size(), '\0');
    return field;
}

QString RecoveryFolder()
{
    return QFileInfo(SettingsFilePath()).absolutePath();
}

QByteArray Encode(const TBlockRecoveryData& data)
{
    QByteArray bytes(kMagic, sizeof(kMagic));
    bytes.append(SerialField(data.Serial));
    PutU16(bytes, data.Geometry.ChipCount);
    PutU16(bytes, data.Geometry.BlocksPerChip);
    PutU16(bytes, data.Geometry.PagesPerBlock);
    PutU16(bytes, data.Geometry.PageSize);
    PutU16(bytes, data.Geometry.FirstDataBlock);
    PutU32(bytes, data.Block);
    PutU16(bytes, data.Record);
    bytes.append(data.NextBlock ? '\1' : '\0');
    PutU32(bytes, data.NextBlock.value_or(0));
    bytes.append(reinterpret_cast<const char*>(data.NextHeader.Bytes.data()), TBlockHeader::kSize);
    PutU32(bytes, static_cast<std::uint32_t>(data.Data.size()));
    bytes.append(reinterpret_cast<const char*>(data.Data.data()), static_cast<qsizetype>(data.Data.size()));
    PutU32(bytes, CrcOf(bytes.constData(), bytes.size()));
    return bytes;
}

std::optional<TBlockRecoveryData> Decode(const QByteArray& bytes)
{
    if (bytes.size() < kHead + 4 || !bytes.startsWith(QByteArray(kMagic, sizeof(kMagic))))
        return std::nullopt;
    TFieldReader tail(bytes);
    tail.Take(bytes.size() - 4);
    if (CrcOf(bytes.constData(), bytes.size() - 4) != tail.Get(4))
        return std::nullopt;
    TFieldReader in(bytes);
    in.Take(sizeof(kMagic));
    TBlockRecoveryData data;
    const QByteArray serial = in.Take(kSerialBytes);
    data.Serial = QString::fromUtf8(serial.left(serial.indexOf('\0') < 0 ? kSerialBytes : serial.indexOf('\0')));
    data.Geometry.ChipCount = static_cast<std::uint8_t>(in.Get(2));
    data.Geometry.BlocksPerChip = static_cast<std::uint16_t>(in.Get(2));
    data.Geometry.PagesPerBlock = static_cast<std::uint16_t>(in.Get(2));
    data.Geometry.PageSize = static_cast<std::uint16_t>(in.Get(2));
    data.Geometry.FirstDataBlock = static_cast<std::uint16_t>(in.Get(2));
    data.Block = in.Get(4);
    data.Record = static_cast<std::uint16_t>(in.Get(2));
    const bool hasNext = in.Get(1) != 0;
    const std::uint32_t next = in.Get(4);
    if (hasNext)
        data.NextBlock = next;
    const QByteArray header = in.Take(TBlockHeader::kSize);
    std::copy(header.begin(), header.end(), data.NextHeader.Bytes.begin());
    const std::uint32_t length = in.Get(4);
    if (std::uint64_t{length} + kHead + 4 != static_cast<std::uint64_t>(bytes.size()))
        return std::nullopt;
    const QByteArray block = in.Take(length);
    data.Data.assign(block.begin(), block.end());
    return data;
}

// 0 when all was written, else the errno of the failure.
int WriteAll(int fd, const QByteArray& bytes)
{
    const char* at = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, at, static_cast<std::size_t>(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return errno;
        if (written == 0)
            return ENOSPC;
        at += written;
        left -= written;
    }
    return 0;
}

// Reads count bytes at most; fewer when the file is shorter.
QByteArray ReadUpTo(int fd, qsizetype count)
{
    QByteArray bytes(count, Qt::Uninitialized);
    qsizetype got = 0;
    while (got < count) {
        const ssize_t n = ::read(fd, bytes.data() + got, static_cast<std::size_t>(count - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += n;
    }
    bytes.truncate(got);
    return bytes;
}

// rename that never replaces a file: -1 with errno EEXIST when target is taken.
int RenameNoReplace(const QByteArray& from, const QByteArray& to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    // A file system without RENAME_NOREPLACE.
    struct stat taken {};
    if (::lstat(to.constData(), &taken) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::rename(from.constData(), to.constData());
}

}  // namespace

QString SafeRecoverySerial(const QString& serial)
{
    // Serial numbers are digits; anything else in one stays out of file names.
    QString safe;
    for (const QChar c : serial)
        safe.append(c.isLetterOrNumber() ? c : QLatin1Char('_'));
    return safe.isEmpty() ? QStringLiteral("unknown") : safe;
}

QString StoredRecoverySerial(const QString& serial)
{
    return QString::fromUtf8(serial.toUtf8().left(kSerialBytes));
}

QString BlockRecoveryPath(const QString& serial, std::uint32_t block)
{
    return RecoveryFolder() + QLatin1Char('/') + SafeRecoverySerial(serial) + QLatin1Char('-') +
           QString::number(block) + QLatin1String(kSuffix);
}

std::uint64_t BlockRecoveryFileSize(const TFlashGeometry& geometry)
{
    return kHead + geometry.BlockBytes() + 4;
}

void SaveBlockRecovery(const TBlockRecoveryData& data)
{
    const QByteArray bytes = Encode(data);
    const QString path = BlockRecoveryPath(data.Serial, data.Block);
    const QString folder = RecoveryFolder();
    std::error_code made;
    std::filesystem::create_directories(QFile::encodeName(folder).toStdString(), made);
    if (made)
        throw EFileWriteError(path, made.value());

    const QByteArray target = QFile::encodeName(path);
    QByteArray temporary = target + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        throw EFileWriteError(path, errno);
    int error = WriteAll(fd, bytes);
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temporary.constData(), target.constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.constData());
        throw EFileWriteError(path, error);
    }
    // Not durable without its folder's entry: a copy that may vanish is no copy.
    error = filecalls::SyncFolder(folder);
    if (error != 0) {
        ::unlink(target.constData());
        throw EFileWriteError(path, error);
    }
}

TLoadedRecovery LoadBlockRecovery(const QString& path, const TFlashGeometry& geometry)
{
    // No link is followed and a pipe or device does not block the open.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return {std::nullopt, errno == ELOOP ? TRecoveryFileFault::NotRegular : TRecoveryFileFault::Unreadable};
    TLoadedRecovery loaded;
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        loaded.Fault = TRecoveryFileFault::Unreadable;
    else if (!S_ISREG(status.st_mode))
        loaded.Fault = TRecoveryFileFault::NotRegular;
    else if (static_cast<std::uint64_t>(status.st_size) != BlockRecoveryFileSize(geometry))
        loaded.Fault = TRecoveryFileFault::WrongSize;
    else {
        const qsizetype size = static_cast<qsizetype>(status.st_size);
        const QByteArray bytes = ReadUpTo(fd, size);
        loaded.Data = bytes.size() == size ? Decode(bytes) : std::nullopt;
        if (!loaded.Data)
            loaded.Fault = TRecoveryFileFault::Damaged;
    }
    ::close(fd);
    return loaded;
}

void RemoveBlockRecovery(const QString& path)
{
    QFile::remove(path);
    // A removal lost at a power cut only brings back a file whose block
    // reads back as saved, which the next connect removes again.
    if (const int error = filecalls::SyncFolder(RecoveryFolder()); error != 0)
        DebugLog(QStringLiteral("Folder of %1 not synced: error %2").arg(path).arg(error));
}

QString SetBlockRecoveryAside(const QString& path)
{
    const QByteArray from = QFile::encodeName(path);
    int error = 0;
    for (int n = 1; n < 1000; ++n) {
        const QString aside = n == 1 ? path + QLatin1String(kAsideSuffix)
                                     : path + QLatin1Char('.') + QString::number(n) + QLatin1String(kAsideSuffix);
        if (RenameNoReplace(from, QFile::encodeName(aside)) == 0) {
            filecalls::SyncFolder(RecoveryFolder());
            return aside;
        }
        error = errno;
        if (error != EEXIST)
            break;
    }
    DebugLog(QStringLiteral("Recovery file %1 could not be set aside: %2")
                 .arg(path, QString::fromUtf8(std::strerror(error))));
    return path;
}

QStringList BlockRecoveryFiles(const QString& serial)
{
    const QDir folder(RecoveryFolder());
    QStringList paths;
    const QStringList names =
        folder.entryList({SafeRecoverySerial(serial) + QStringLiteral("-*") + QLatin1String(kSuffix)},
                         QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        const std::optional<TRecoveryName> parsed = ParseBlockRecoveryName(name);
        if (parsed && parsed->SafeSerial == SafeRecoverySerial(serial))
            paths.append(folder.filePath(name));
    }
    return paths;
}

std::optional<TRecoveryName> ParseBlockRecoveryName(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    if (!name.endsWith(QLatin1String(kSuffix)))
        return std::nullopt;
    const QString base = name.chopped(static_cast<qsizetype>(sizeof(kSuffix) - 1));
    const qsizetype dash = base.lastIndexOf(QLatin1Char('-'));
    if (dash <= 0)
        return std::nullopt;
    bool ok = false;
    const std::uint32_t block = base.mid(dash + 1).toUInt(&ok);
    if (!ok)
        return std::nullopt;
    return TRecoveryName{base.left(dash), block};
}
