#pragma once

#include <QString>

#include "platform/SystemTime.h"

class QDateTime;

// The date and time fields of a local date and time, with its day of the week.
SYSTEMTIME SystemTimeOf(const QDateTime& local);

// The system's text for an error number (errno).
QString GetSystemErrorText(int errorCode);

// True when an existing file opens for reading (or, with forWrite, for
// writing without being truncated); the file is closed at once. Only
// regular files count: folders, FIFOs, sockets and devices never do.
bool FileCanBeOpened(const QString& path, bool forWrite);

// The local time of the file's last write when the file opens for reading;
// the present local time when the file has none. A file that does not open
// leaves time as it was.
void GetFileLocalTime(const QString& path, SYSTEMTIME& time);
