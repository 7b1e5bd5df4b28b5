#pragma once

#include <QObject>
#include <functional>
#include <vector>

#include "app/actions/EraseItems.h"

class QAction;
class TContentListsController;
class TCustomRecorder;
class TLongOperation;

// actRecErase and actFormat of the main window. Whatever they erased, the
// content is scanned again at their end.
class TEraseActions : public QObject {
public:
    TEraseActions(QAction& erase, QAction& format, TContentListsController& lists, TLongOperation& operation,
                  std::function<TCustomRecorder*()> recorder, QObject* parent);

    void actRecEraseExecute();
    void actFormatExecute();
    // Move's and the automatic delete's erase: these items shown selected
    // in their list (the records view shown for records), the view's erase
    // question, then these items, each only when gate lets it go.
    void EraseItems(const std::vector<const TRecords::TRecordItem*>& records,
                    const std::vector<const TFileListItem*>& driveEntries, const TEraseGate& gate);

    // Fills the lists' drive selection from the selected flash-drive rows,
    // folders with everything beneath them (the copy actions' collector).
    std::function<void()> CollectDriveSelection;
    // Scans the recorder's content again and refills the lists.
    std::function<void()> RefreshContent;

private:
    bool Confirmed(bool driveFiles) const;
    void Rescan();
    void EraseThenRescan(TCustomRecorder& recorder, const std::vector<const TRecords::TRecordItem*>& records,
                         const std::vector<const TFileListItem*>& driveEntries, const TEraseGate& gate = {});
    void ShowSelected(const std::vector<const TRecords::TRecordItem*>& records,
                      const std::vector<const TFileListItem*>& driveEntries);

    TContentListsController& m_lists;
    TLongOperation& m_operation;
    std::function<TCustomRecorder*()> m_recorder;
};
