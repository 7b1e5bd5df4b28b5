#include "core/settings/StagedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <utility>
#include <zlib.h>

#include "core/settings/AtomicFile.h"
#include "core/settings/FileCalls.h"
#include "core/settings/FileUtils.h"
#include "core/settings/StagedLeftovers.h"
#include "localizer/LangFormat.h"

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;
constexpr std::size_t kReadBackSize = 1024 * 1024;

constexpr int kNameAttempts = 100;

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

// Each sealed part of a split download holds its descriptor until the parts
// are named: a long one may need more than the usual soft limit allows.
bool RaiseOpenFileLimit()
{
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max)
        return false;
    limit.rlim_cur = limit.rlim_max;
    return ::setrlimit(RLIMIT_NOFILE, &limit) == 0;
}

// An unnamed file gets its name through its /proc link; without /proc
// (and without the privilege AT_EMPTY_PATH needs) it never could.
bool CanNameUnnamedFiles()
{
    return ::access("/proc/self/fd", X_OK) == 0;
}

bool RefusesUnnamedFiles(int error)
{
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

int LockExclusive(int fd)
{
    int result = 0;
    do {
        result = ::flock(fd, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    return result;
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
    if (IsOpen() || m_sealed || m_published)
        throw std::logic_error("A staged file is created once.");
    const QByteArray folder = QFile::encodeName(QFileInfo(m_finalPath).absolutePath());
    const mode_t mode = ReplacementFileMode(QFile::encodeName(m_finalPath));
    RemoveStagedLeftovers(folder);
    m_unnamed = false;
    int fd = -1;
    errno = EOPNOTSUPP;
    if (CanNameUnnamedFiles()) {
        fd = filecalls::OpenUnnamed(folder.constData(), mode);
        if (fd < 0 && errno == EMFILE && RaiseOpenFileLimit())
            fd = filecalls::OpenUnnamed(folder.constData(), mode);
    }
    if (fd >= 0) {
        m_fd = fd;
        m_unnamed = true;
        // The lock covers the hidden name that Link gives the file.
        if (LockExclusive(m_fd) != 0)
            Fail(errno);
    } else if (RefusesUnnamedFiles(errno)) {
        CreateNamed(folder, mode);
    } else {
        throw EFileWriteError(m_finalPath, errno);
    }
    if (::fchmod(m_fd, mode) != 0)
        Fail(errno);
    m_position = m_size = m_flushed = 0;
    m_crc = static_cast<std::uint32_t>(::crc32(0, nullptr, 0));
    m_buffer.reserve(kBufferSize);
}

// The hidden file, locked while it may still get its final name.
void TStagedFile::CreateNamed(const QByteArray& folder, mode_t mode)
{
    const QByteArray name = QFile::encodeName(QFileInfo(m_finalPath).fileName());
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const QByteArray path = StagedTemporaryPath(folder, name);
        int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode & 0600);
        if (fd < 0 && errno == EMFILE && RaiseOpenFileLimit())
            fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode & 0600);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            throw EFileWriteError(m_finalPath, errno);
        m_fd = fd;
        m_temporaryPath = QFile::decodeName(path);
        bool lostName = false;
        if (LockStagedFile(m_fd, path, lostName))
            return;
        if (!lostName)
            Fail(errno);
        // A clearing in another program took it for a leftover: a new name.
        Close(std::exchange(m_fd, -1));
        m_temporaryPath.clear();
    }
    throw EFileWriteError(m_finalPath, EEXIST);
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
        const ssize_t done = filecalls::Pwrite(m_fd, data, length, static_cast<off_t>(offset));
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
    if (filecalls::Fsync(m_fd) != 0)
        Fail(errno);
    struct stat info {};
    if (::fstat(m_fd, &info) != 0)
        Fail(errno);
    // A folder removed while we wrote leaves the hidden file with no name.
    if (!m_unnamed && info.st_nlink == 0)
        Fail(ENOENT);
    if (static_cast<std::uint64_t>(info.st_size) != m_size)
        Fail(QStringLiteral("%1 bytes on the disk, %2 written").arg(info.st_size).arg(m_size));
    m_sealed = true;
}

void TStagedFile::Link()
{
    if (m_published)
        return;
    Seal();
    if (!m_temporaryPath.isEmpty())
        return;
    const QFileInfo info(m_finalPath);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    const QByteArray name = QFile::encodeName(info.fileName());
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const QByteArray path = StagedTemporaryPath(folder, name);
        if (filecalls::LinkOpenFile(m_fd, path.constData()) == 0) {
            m_temporaryPath = QFile::decodeName(path);
            return;
        }
        // A folder removed while we wrote fails here (ENOENT).
        if (errno != EEXIST)
            Fail(errno);
    }
    Fail(EEXIST);
}

TWrittenFile TStagedFile::Rename()
{
    if (m_published)
        return Written();
    Link();
    const QByteArray from = QFile::encodeName(m_temporaryPath);
    const QByteArray to = QFile::encodeName(m_finalPath);
    if (filecalls::Rename(from.constData(), to.constData()) != 0)
        Fail(errno);
    m_published = true;
    m_temporaryPath.clear();
    // Synced before: what a close could still report was reported then.
    Close(std::exchange(m_fd, -1));
    // The new name itself reaches the disk with the folder.
    if (const int error = filecalls::SyncFolder(QFileInfo(m_finalPath).absolutePath()))
        throw EFileWriteError(m_finalPath, error);
    return Written();
}

void TStagedFile::Discard() noexcept
{
    // The name goes while the lock is held, so no clearing races for it.
    if (!m_published && !m_temporaryPath.isEmpty())
        ::unlink(QFile::encodeName(m_temporaryPath).constData());
    if (m_fd >= 0)
        Close(std::exchange(m_fd, -1));
    m_temporaryPath.clear();
    m_buffer.clear();
    m_sealed = false;
}

std::vector<TWrittenFile> PublishTogether(const std::vector<TStagedFile*>& files)
{
    try {
        for (TStagedFile* file : files)
            file->Link();
        // A folder in the way of a final name would stop the renames midway.
        for (TStagedFile* file : files) {
            struct stat info {};
            if (::lstat(QFile::encodeName(file->FinalPath()).constData(), &info) == 0 && S_ISDIR(info.st_mode))
                throw EFileWriteError(file->FinalPath(), EISDIR);
        }
    } catch (const EFileWriteError&) {
        for (TStagedFile* file : files)
            file->Discard();
        throw;
    }
    std::vector<TWrittenFile> written;
    std::optional<EFileWriteError> syncFailure;
    for (std::size_t i = 0; i < files.size(); ++i) {
        try {
            written.push_back(files[i]->Rename());
        } catch (const EFileWriteError& error) {
            if (!files[i]->IsPublished()) {
                for (std::size_t rest = i + 1; rest < files.size(); ++rest)
                    files[rest]->Discard();
                throw;
            }
            // Named but not synced: the others still get their names.
            if (!syncFailure)
                syncFailure = error;
        }
    }
    if (syncFailure)
        throw *syncFailure;
    return written;
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
    // The name too: a file whose name is lost in a crash is no copy.
    if (filecalls::Fdatasync(fd) != 0)
        return {TResult::ReadFailed, GetSystemErrorText(errno)};
    if (const int error = filecalls::SyncFolder(QFileInfo(file.Path).absolutePath()))
        return {TResult::ReadFailed, GetSystemErrorText(error)};
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
    FailFileCall(TFileCall::Write, nthWrite, error);
}
