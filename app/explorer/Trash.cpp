#include "app/explorer/Trash.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

#include "localizer/LangConst.h"

namespace {

constexpr int kMaxNameBytes = 255;  // NAME_MAX of the file systems we meet
const QString kInfoSuffix = QStringLiteral(".trashinfo");

QByteArray Native(const QString& path)
{
    return QFile::encodeName(path);
}

QString Reason(int error)
{
    return QString::fromStdString(std::generic_category().message(error));
}

// What went wrong where: "folder: reason".
[[noreturn]] void Fail(const QString& path, int error)
{
    throw ETrashError((path + QStringLiteral(": ") + Reason(error)).toStdString());
}

QString Clean(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QString Parent(const QString& path)
{
    return QFileInfo(path).path();
}

// The device of the nearest folder of path that exists: where a folder made
// at path would be.
bool NearestDevice(QString path, dev_t& device)
{
    for (;;) {
        struct stat info {};
        if (::stat(Native(path).constData(), &info) == 0) {
            device = info.st_dev;
            return true;
        }
        const QString parent = Parent(path);
        if (parent == path)
            return false;
        path = parent;
    }
}

// The top folder of the file system that holds folder.
QString TopFolder(QString folder, dev_t device)
{
    while (folder != QLatin1String("/")) {
        const QString parent = Parent(folder);
        struct stat info {};
        if (::stat(Native(parent).constData(), &info) != 0 || info.st_dev != device)
            break;
        folder = parent;
    }
    return folder;
}

// The folders of path made where missing, private to the user.
void MakePath(const QString& path)
{
    const QByteArray native = Native(path);
    struct stat info {};
    if (::stat(native.constData(), &info) == 0) {
        if (!S_ISDIR(info.st_mode))
            Fail(path, ENOTDIR);
        return;
    }
    if (errno != ENOENT)
        Fail(path, errno);
    const QString parent = Parent(path);
    if (parent != path)
        MakePath(parent);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        Fail(path, errno);
}

// A folder of the user's own in a place others may write: made where
// missing; a link, a file or another user's folder is not taken.
void MakeOwnFolder(const QString& path, uid_t uid)
{
    const QByteArray native = Native(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        Fail(path, errno);
    struct stat info {};
    if (::lstat(native.constData(), &info) != 0)
        Fail(path, errno);
    if (!S_ISDIR(info.st_mode))
        Fail(path, ENOTDIR);
    if (info.st_uid != uid)
        Fail(path, EPERM);
}

bool Exists(const QString& path)
{
    struct stat info {};
    return ::lstat(Native(path).constData(), &info) == 0;
}

// The trash's name of an item: its own, then name.2, name.3 ...; short
// enough that its info file's name fits the file system.
QString TrashName(const QString& name, int attempt)
{
    const QString suffix = attempt == 1 ? QString() : QLatin1Char('.') + QString::number(attempt);
    QString base = name;
    while (!base.isEmpty() && Native(base + suffix + kInfoSuffix).size() > kMaxNameBytes)
        base.chop(1);
    return base + suffix;
}

QByteArray InfoText(const QString& path, const TTrashFolder& trash)
{
    // Below the top folder as the file system has it: a link on the way
    // would give a path that leaves it.
    QString shown = path;
    if (!trash.RelativeTo.isEmpty())
        shown = QDir(trash.RelativeTo)
                    .relativeFilePath(QFileInfo(Parent(path)).canonicalFilePath() + QLatin1Char('/') +
                                      QFileInfo(path).fileName());
    return QByteArrayLiteral("[Trash Info]\nPath=") + Native(shown).toPercentEncoding("/") +
           QByteArrayLiteral("\nDeletionDate=") +
           QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1() + '\n';
}

bool WriteAll(int fd, const QByteArray& bytes)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        written += n;
    }
    return true;
}

// Moves without replacing what may have come to the target since it was
// found free; a file system that cannot refuse to replace is checked just
// before.
int RenameNoReplace(const QByteArray& from, const QByteArray& to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    struct stat info {};
    if (::lstat(to.constData(), &info) == 0)
        return EEXIST;
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

}  // namespace

TTrash::TTrash() : m_uid(::getuid())
{
    // Only an absolute $XDG_DATA_HOME counts.
    const QString data = qEnvironmentVariable("XDG_DATA_HOME");
    m_dataHome =
        QDir::isAbsolutePath(data) ? QDir::cleanPath(data) : QDir::homePath() + QStringLiteral("/.local/share");
}

TTrash::TTrash(QString dataHome, uid_t uid) : m_dataHome(QDir::cleanPath(std::move(dataHome))), m_uid(uid) {}

TTrashFolder TTrash::FolderFor(const QString& path) const
{
    const QString item = Clean(path);
    try {
        // The item's entry is in its folder: that folder's file system is
        // the one the item can be renamed within.
        const QString folder = Parent(item);
        struct stat info {};
        if (::stat(Native(folder).constData(), &info) != 0)
            Fail(folder, errno);
        dev_t homeDevice = 0;
        if (NearestDevice(HomeTrashPath(), homeDevice) && homeDevice == info.st_dev) {
            const QString trash = HomeTrashPath();
            MakePath(trash + QStringLiteral("/files"));
            MakePath(trash + QStringLiteral("/info"));
            return {trash, {}};
        }
        return TopFolderTrash(TopFolder(QFileInfo(folder).canonicalFilePath(), info.st_dev));
    } catch (const ETrashError& error) {
        throw ETrashError((LangConst(QStringLiteral("NoTrashStr")) + QLatin1Char(' ') + item + QLatin1Char('\n') +
                           QString::fromStdString(error.what()))
                              .toStdString());
    }
}

TTrashFolder TTrash::TopFolderTrash(const QString& given) const
{
    const QString real = QFileInfo(given).canonicalFilePath();
    const QString top = real.isEmpty() ? given : real;
    const QString uid = QString::number(m_uid);
    // An administrator's shared trash counts only as a real folder with the
    // sticky bit, so no user can take another's folder in it.
    const QString shared = top + QStringLiteral("/.Trash");
    struct stat info {};
    if (::lstat(Native(shared).constData(), &info) == 0 && S_ISDIR(info.st_mode) && (info.st_mode & S_ISVTX)) {
        try {
            const QString trash = shared + QLatin1Char('/') + uid;
            MakeOwnFolder(trash, m_uid);
            MakeOwnFolder(trash + QStringLiteral("/files"), m_uid);
            MakeOwnFolder(trash + QStringLiteral("/info"), m_uid);
            return {trash, top};
        } catch (const ETrashError&) {
            // The user's own top-folder trash below.
        }
    }
    const QString trash = top + QStringLiteral("/.Trash-") + uid;
    MakeOwnFolder(trash, m_uid);
    MakeOwnFolder(trash + QStringLiteral("/files"), m_uid);
    MakeOwnFolder(trash + QStringLiteral("/info"), m_uid);
    return {trash, top};
}

QString TTrash::Move(const QString& path, const TTrashFolder& trash) const
{
    const QString item = Clean(path);
    const QString failed = LangConst(QStringLiteral("CantMoveToTrashStr")) + QLatin1Char(' ') + item;
    const auto fail = [&](int error) {
        return ETrashError((failed + QStringLiteral(" (") + Reason(error) + QLatin1Char(')')).toStdString());
    };
    const QByteArray from = Native(item);
    struct stat source {};
    if (::lstat(from.constData(), &source) != 0)
        throw fail(errno);
    const QByteArray info = InfoText(item, trash);
    const QString name = QFileInfo(item).fileName();
    // The info file first, made exclusively: it holds the name for us.
    for (int attempt = 1; attempt < 100000; ++attempt) {
        const QString trashName = TrashName(name, attempt);
        const QString target = trash.Folder + QStringLiteral("/files/") + trashName;
        if (Exists(target))
            continue;
        const QByteArray infoPath = Native(trash.Folder + QStringLiteral("/info/") + trashName + kInfoSuffix);
        const int fd = ::open(infoPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            throw fail(errno);
        }
        int error = WriteAll(fd, info) ? 0 : errno;
        if (::close(fd) != 0 && error == 0)
            error = errno;
        if (error != 0) {
            ::unlink(infoPath.constData());
            throw fail(error);
        }
        error = RenameNoReplace(from, Native(target));
        if (error == 0)
            return target;
        ::unlink(infoPath.constData());
        if (error != EEXIST)
            throw fail(error);
    }
    throw fail(EEXIST);
}
