#pragma once

#include <QString>
#include <functional>
#include <vector>

class TCustomRecorder;
class TLongOperation;
struct TFileListItem;
namespace TRecords {
class TRecordItem;
}

// Asked right before an item's erase job starts: false keeps the item and
// the loop goes on with the next. Move checks its copies here, so whatever
// happened to them while its question was up counts. Unset: every item goes.
struct TEraseGate {
    std::function<bool(const TRecords::TRecordItem& record)> Record;
    std::function<bool(const TFileListItem& entry)> DriveEntry;
};

// The erase loop of actRecErase, also run by Move and the automatic delete
// with only the items whose copy completed. Erases the recordings in order
// (voice parts skipped; with NonSavedEraseDisable a recording the recorder
// lists as never downloaded is reported instead), then the flash-drive
// entries from the last to the first, each the file its row shows (its
// index while that file still has the row's name under driveFolder, else
// the file of that name; "Can't open <name>" for one the recorder no longer
// lists).
// Each job is waited for with the status window; Cancel stops before the
// next item. A failed job is shown once and ends the loop.
void EraseRecorderItems(TCustomRecorder& recorder, TLongOperation& operation,
                        const std::vector<const TRecords::TRecordItem*>& records,
                        const std::vector<const TFileListItem*>& driveEntries, const QString& driveFolder,
                        const TEraseGate& gate = {});
