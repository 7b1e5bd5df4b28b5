#pragma once

#include <QObject>
#include <functional>
#include <vector>

class QAction;
class TContentListsController;
class TCustomRecorder;
class TLongOperation;
struct TFileListItem;
namespace TRecords {
class TRecordItem;
}

// actRecErase and actFormat of the main window. Whatever they erased, the
// content is scanned again at their end.
class TEraseActions : public QObject {
public:
    TEraseActions(QAction& erase, QAction& format, TContentListsController& lists, TLongOperation& operation,
                  std::function<TCustomRecorder*()> recorder, QObject* parent);

    void actRecEraseExecute();
    void actFormatExecute();
    // Move's and the automatic delete's erase: the erase question of the
    // view, then only these items (their copies were checked).
    void EraseItems(const std::vector<const TRecords::TRecordItem*>& records,
                    const std::vector<const TFileListItem*>& driveEntries);

    // Fills the lists' drive selection from the selected flash-drive rows,
    // folders with everything beneath them (the copy actions' collector).
    std::function<void()> CollectDriveSelection;
    // Scans the recorder's content again and refills the lists.
    std::function<void()> RefreshContent;

private:
    bool Confirmed(bool driveFiles) const;
    void Rescan();
    void EraseThenRescan(TCustomRecorder& recorder, const std::vector<const TRecords::TRecordItem*>& records,
                         const std::vector<const TFileListItem*>& driveEntries);

    TContentListsController& m_lists;
    TLongOperation& m_operation;
    std::function<TCustomRecorder*()> m_recorder;
};
