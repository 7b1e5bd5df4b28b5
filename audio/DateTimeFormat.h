#pragma once

#include "platform/SystemTime.h"

#include <QLocale>
#include <QString>

// Formats a date and time in the class library's notation (not Qt's):
//   y yy        two-digit year       yyy yyyy   four-digit year
//   m mm        month (minutes right after an h)
//   mmm mmmm    short and long month name
//   d dd        day                  ddd dddd   short and long day name
//   ddddd       locale's short date  dddddd     locale's long date
//   h hh        hour (12-hour when am/pm, a/p or ampm follows)
//   n nn        minutes              s ss       seconds
//   z zzz       milliseconds
//   am/pm a/p   as written           ampm       the locale's AM/PM text
//   "x" 'x'     quoted text          / :        the locale's separators
// Any other character is copied. Fields out of range (month 0, day 32) are
// printed as numbers; names that do not exist come out empty.
QString FormatDateTime(const QString& format, const SYSTEMTIME& time, const QLocale& locale);

// The first separator of the locale's short date and time formats.
QChar LocaleDateSeparator(const QLocale& locale);
QChar LocaleTimeSeparator(const QLocale& locale);
