#include "core/settings/FileUtils.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

SYSTEMTIME SystemTimeOf(const QDateTime& local)
{
    const QDate date = local.date();
    const QTime clock = local.time();
    SYSTEMTIME time;
    time.wYear = static_cast<std::uint16_t>(date.year());
    time.wMonth = static_cast<std::uint16_t>(date.month());
    time.wDayOfWeek = static_cast<std::uint16_t>(date.dayOfWeek() % 7);
    time.wDay = static_cast<std::uint16_t>(date.day());
    time.wHour = static_cast<std::uint16_t>(clock.hour());
    time.wMinute = static_cast<std::uint16_t>(clock.minute());
    time.wSecond = static_cast<std::uint16_t>(clock.second());
    time.wMilliseconds = static_cast<std::uint16_t>(clock.msec());
    return time;
}

QString GetSystemErrorText(int errorCode)
{
    return QString::fromStdString(std::error_code(errorCode, std::system_category()).message());
}

bool FileCanBeOpened(const QString& path, bool forWrite)
{
    // Without O_NONBLOCK a FIFO would hold the program until a writer came.
    const int flags = (forWrite ? O_WRONLY | O_APPEND : O_RDONLY) | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
    const int fd = ::open(QFile::encodeName(path).constData(), flags);
    if (fd < 0)
        return false;
    struct stat status {};
    const bool regular = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    ::close(fd);
    return regular;
}

void GetFileLocalTime(const QString& path, SYSTEMTIME& time)
{
    if (!FileCanBeOpened(path, false))
        return;
    const QDateTime written = QFileInfo(path).lastModified();
    if (!written.isValid()) {
        time = civil::LocalNow();
        return;
    }
    time = SystemTimeOf(written.toLocalTime());
}
