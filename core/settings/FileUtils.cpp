#include "core/settings/FileUtils.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <system_error>

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
    if (QFileInfo(path).isDir())
        return false;
    QFile file(path);
    const QIODevice::OpenMode mode = forWrite ? QIODevice::WriteOnly | QIODevice::Append | QIODevice::ExistingOnly
                                              : QIODevice::ReadOnly | QIODevice::ExistingOnly;
    return file.open(mode);
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
