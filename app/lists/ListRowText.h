#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

#include "platform/SystemTime.h"

struct TFileListItem;
namespace TRecords {
class TRecordItem;
}

// The texts of the record and flash-drive view rows.

// Bytes in KiB rounded up, thousands-grouped in the current locale: "1 KB".
QString KiloBytesText(std::int64_t bytes);
// "dd.mm.yyyy hh:mm:ss".
QString RowDateText(const SYSTEMTIME& time);
// "hh:mm:ss"; the hours are not limited to 24 (or 99).
QString DurationText(std::uint32_t seconds);
// "Downloaded" (0x55), "Uploaded" (0xAA), else "Non-downloaded".
QString RecordStatusText(std::uint8_t status);

// A recording's row: "Record #", "Size", "Date", "Duration", "Mode", "Status".
QStringList FillRecordRow(const TRecords::TRecordItem& item);
// A voice part's row: caption indented by five blanks, size, date, duration.
QStringList VoicePartRow(const TRecords::TRecordItem& item);
// The row of either kind.
QStringList RecordRowTexts(const TRecords::TRecordItem& item);

// A flash-drive row: name, "Dir" or the size, the date with one blank after.
QStringList DriveRowTexts(const TFileListItem& item);

// The tool tip of a row: "column: caption", then each further column's
// line after LF CR.
QString RowInfoTip(const QStringList& captions, const QStringList& texts);
// A tip as the screen shows it: lines joined by line feeds alone (Qt draws
// the CR of "LF CR" as a blank at the start of the next line).
QString ShownTip(QString tip);
