#include "core/settings/StagedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <utility>
#include <zlib.h>

#include "core/settings/AtomicFile.h"
#include "core/settings/FileUtils.h"
#include "localizer/LangFormat.h"

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;
constexpr std::size_t kReadBackSize = 1024 * 1024;

std::atomic<int> WriteFaultCountdown{0};
std::atomic<int> WriteFaultError{0};

// The injected fault, counted down by every write to the disk.
bool WriteFaultHits(int& error)
{
    int left = WriteFaultCountdown.load();
    while (left > 0 && !WriteFaultCountdown.compare_exchange_weak(left, left - 1)) {
    }
    if (left != 1)
        return false;
    error = WriteFaultError.load();
    return true;
}

std::uint32_t Crc32Of(std::uint32_t crc, const std::uint8_t* data, std::size_t length)
{
    while (length > 0) {
        const auto piece = static_cast<uInt>(std::min<std::size_t>(length, 1u << 30));
        crc = static_cast<std::uint32_t>(::crc32(crc, data, piece));
        data += piece;
        length -= piece;
    }
    return crc;
}

int Close(int fd)
{
    int result = ::close(fd);
    return result < 0 && errno == EINTR ? 0 : result;
}

}  // namespace

EFileWriteError::EFileWriteError(const QString& path, const QString& reason)
    : std::runtime_error(("Writing error: " + QDir::toNativeSeparators(path) + ": " + reason).toStdString()),
      m_path(path), m_reason(reason)
{
}

EFileWriteError::EFileWriteError(const QString& path, int error) : EFileWriteError(path, GetSystemErrorText(error))
{
    m_error = error;
}

QString EFileWriteError::Text() const
{
    return QStringLiteral("Writing error\n") + QDir::toNativeSeparators(m_path) + QLatin1Char('\n') + m_reason;
}

TStagedFile::TStagedFile(QString finalPath) : m_finalPath(std::move(finalPath)) {}

TStagedFile::~TStagedFile()
{
    Discard();
}

void TStagedFile::Fail(int error)
{
    Discard();
    throw EFileWriteError(m_finalPath, error);
}

void TStagedFile::Fail(const QString& reason)
{
    Discard();
    throw EFileWriteError(m_finalPath, reason);
}

void TStagedFile::Create()
{
    if (IsOpen() || m_sealed)
        throw std::logic_error("A staged file is created once.");
    const QFileInfo info(m_finalPath);
    QByteArray name = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName()) + ".XXXXXX.part";
    const int fd = ::mkostemps(name.data(), 5, O_CLOEXEC);
    if (fd < 0)
        throw EFileWriteError(m_finalPath, errno);
    m_fd = fd;
    m_temporaryPath = QFile::decodeName(name);
    if (::fchmod(m_fd, ReplacementFileMode(QFile::encodeName(m_finalPath))) != 0)
        Fail(errno);
    m_position = m_size = m_flushed = 0;
    m_crc = static_cast<std::uint32_t>(::crc32(0, nullptr, 0));
    m_buffer.reserve(kBufferSize);
}

void TStagedFile::Write(const void* data, std::size_t length)
{
    if (!IsOpen() || m_sealed)
        throw std::logic_error("A staged file is written only while open.");
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    // Below the end: a patch of bytes written before.
    if (m_position < m_size) {
        const std::size_t patch = static_cast<std::size_t>(std::min<std::uint64_t>(length, m_size - m_position));
        Flush();
        Patch(m_position, bytes, patch);
        m_position += patch;
        bytes += patch;
        length -= patch;
    }
    if (length == 0)
        return;
    m_crc = Crc32Of(m_crc, bytes, length);
    m_size += length;
    m_position += length;
    if (m_buffer.size() + length > kBufferSize)
        Flush();
    if (length >= kBufferSize)
        WriteOut(m_flushed, bytes, length), m_flushed += length;
    else
        m_buffer.insert(m_buffer.end(), bytes, bytes + length);
}

void TStagedFile::Seek(std::uint64_t position)
{
    if (position > m_size)
        throw std::logic_error("A staged file has no holes.");
    m_position = position;
}

void TStagedFile::Flush()
{
    if (m_buffer.empty())
        return;
    WriteOut(m_flushed, m_buffer.data(), m_buffer.size());
    m_flushed += m_buffer.size();
    m_buffer.clear();
}

void TStagedFile::WriteOut(std::uint64_t offset, const std::uint8_t* data, std::size_t length)
{
    while (length > 0) {
        int error = 0;
        if (WriteFaultHits(error))
            Fail(error);
        const ssize_t done = ::pwrite(m_fd, data, length, static_cast<off_t>(offset));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            Fail(done < 0 ? errno : ENOSPC);
        data += done;
        offset += static_cast<std::uint64_t>(done);
        length -= static_cast<std::size_t>(done);
    }
}

// The CRC follows the patch: CRC-32 is affine, so the change of the bytes
// moves it by the CRC of the difference, shifted over what follows it.
void TStagedFile::Patch(std::uint64_t offset, const std::uint8_t* data, std::size_t length)
{
    std::vector<std::uint8_t> old(length);
    std::size_t got = 0;
    while (got < length) {
        const ssize_t n = ::pread(m_fd, old.data() + got, length - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            Fail(n < 0 ? errno : EIO);
        got += static_cast<std::size_t>(n);
    }
    std::vector<std::uint8_t> difference(length);
    for (std::size_t i = 0; i < length; ++i)
        difference[i] = old[i] ^ data[i];
    const std::vector<std::uint8_t> zeros(length, 0);
    const std::uint32_t linear = Crc32Of(0, difference.data(), length) ^ Crc32Of(0, zeros.data(), length);
    const std::uint64_t after = m_size - offset - length;
    const uLong shift = ::crc32_combine_gen64(static_cast<z_off64_t>(after));
    m_crc ^= static_cast<std::uint32_t>(::crc32_combine_op(linear, 0, shift));
    WriteOut(offset, data, length);
}

void TStagedFile::AdoptHandleWrites()
{
    if (!IsOpen() || m_sealed)
        throw std::logic_error("A staged file takes writes only while open.");
    Flush();
    std::vector<std::uint8_t> buffer(kReadBackSize);
    std::uint32_t crc = static_cast<std::uint32_t>(::crc32(0, nullptr, 0));
    std::uint64_t total = 0;
    for (;;) {
        const ssize_t n = ::pread(m_fd, buffer.data(), buffer.size(), static_cast<off_t>(total));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            Fail(errno);
        if (n == 0)
            break;
        crc = Crc32Of(crc, buffer.data(), static_cast<std::size_t>(n));
        total += static_cast<std::uint64_t>(n);
    }
    m_crc = crc;
    m_size = m_flushed = m_position = total;
}

void TStagedFile::Seal()
{
    if (m_sealed)
        return;
    if (!IsOpen())
        throw std::logic_error("A staged file is sealed only once created.");
    Flush();
    if (::fsync(m_fd) != 0)
        Fail(errno);
    struct stat info {};
    if (::fstat(m_fd, &info) != 0)
        Fail(errno);
    // A folder removed while we wrote leaves the file with no name at all.
    if (info.st_nlink == 0)
        Fail(ENOENT);
    if (static_cast<std::uint64_t>(info.st_size) != m_size)
        Fail(QStringLiteral("%1 bytes on the disk, %2 written").arg(info.st_size).arg(m_size));
    const int fd = std::exchange(m_fd, -1);
    if (Close(fd) != 0)
        Fail(errno);
    m_sealed = true;
}

TWrittenFile TStagedFile::Publish()
{
    if (m_published)
        return Written();
    Seal();
    const QByteArray from = QFile::encodeName(m_temporaryPath);
    const QByteArray to = QFile::encodeName(m_finalPath);
    if (::rename(from.constData(), to.constData()) != 0)
        Fail(errno);
    m_published = true;
    // The new name itself reaches the disk with the folder.
    const QByteArray folder = QFile::encodeName(QFileInfo(m_finalPath).absolutePath());
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        Close(dir);
    }
    return Written();
}

void TStagedFile::Discard() noexcept
{
    if (m_fd >= 0)
        Close(std::exchange(m_fd, -1));
    if (!m_published && !m_temporaryPath.isEmpty())
        ::unlink(QFile::encodeName(m_temporaryPath).constData());
    m_temporaryPath.clear();
    m_buffer.clear();
    m_sealed = false;
}

TFileCheck VerifyWrittenFile(const TWrittenFile& file)
{
    using TResult = TFileCheck::TResult;
    const QByteArray path = QFile::encodeName(file.Path);
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {TResult::Missing, GetSystemErrorText(errno)};
    struct TCloser {
        int Fd;
        ~TCloser() { Close(Fd); }
    } closer{fd};
    // What the cache holds may never have reached the disk: read the disk.
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return {TResult::ReadFailed, GetSystemErrorText(errno)};
    if (!S_ISREG(info.st_mode))
        return {TResult::Missing, GetSystemErrorText(EISDIR)};
    if (static_cast<std::uint64_t>(info.st_size) != file.Size)
        return {TResult::SizeDiffers,
                QStringLiteral("%1 bytes on the disk, %2 written").arg(info.st_size).arg(file.Size)};
    std::vector<std::uint8_t> buffer(kReadBackSize);
    std::uint32_t crc = static_cast<std::uint32_t>(::crc32(0, nullptr, 0));
    std::uint64_t total = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return {TResult::ReadFailed, GetSystemErrorText(errno)};
        if (n == 0)
            break;
        crc = Crc32Of(crc, buffer.data(), static_cast<std::size_t>(n));
        total += static_cast<std::uint64_t>(n);
    }
    if (total != file.Size)
        return {TResult::SizeDiffers, QStringLiteral("%1 bytes read back, %2 written").arg(total).arg(file.Size)};
    if (crc != file.Crc)
        return {TResult::ChecksumDiffers, QStringLiteral("The bytes read back differ from those written.")};
    return {};
}

std::optional<std::uint64_t> FreeDiskBytes(const QString& folder)
{
    struct statvfs info {};
    if (::statvfs(QFile::encodeName(folder).constData(), &info) != 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
}

std::optional<QString> CheckDiskSpace(const QString& folder, std::uint64_t bytes)
{
    const std::optional<std::uint64_t> free = FreeDiskBytes(folder);
    if (!free || bytes <= *free)
        return std::nullopt;
    const QLocale locale;
    return LangConstFormat(QStringLiteral("NotEnoughDiskSpaceStr"), QDir::toNativeSeparators(folder),
                           locale.formattedDataSize(static_cast<qint64>(bytes)),
                           locale.formattedDataSize(static_cast<qint64>(*free)));
}

void SetStagedFileWriteFault(int nthWrite, int error)
{
    WriteFaultError.store(error);
    WriteFaultCountdown.store(nthWrite > 0 ? nthWrite : 0);
}
