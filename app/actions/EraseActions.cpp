#include "app/actions/EraseActions.h"

#include <QAction>

#include "app/lists/ContentListsController.h"
#include "app/lists/DriveListView.h"
#include "app/lists/RecordList.h"
#include "app/lists/RecordListView.h"
#include "app/services/AppMessageBox.h"
#include "app/services/ApplicationTitle.h"
#include "app/services/FormatRecorderMemory.h"
#include "app/services/LongOperation.h"
#include "app/services/MainUiLock.h"
#include "core/protocol/RecXchange.h"
#include "localizer/LangConst.h"

TEraseActions::TEraseActions(QAction& erase, QAction& format, TContentListsController& lists, TLongOperation& operation,
                             std::function<TCustomRecorder*()> recorder, QObject* parent)
    : QObject(parent), m_lists(lists), m_operation(operation), m_recorder(std::move(recorder))
{
    connect(&erase, &QAction::triggered, this, [this] { RunGuarded([this] { actRecEraseExecute(); }); });
    connect(&format, &QAction::triggered, this, [this] { RunGuarded([this] { actFormatExecute(); }); });
}

bool TEraseActions::Confirmed(bool driveFiles) const
{
    const QString text =
        LangConst(driveFiles ? QStringLiteral("ReallyEraseSelFilesStr") : QStringLiteral("ReallyEraseSelRecStr"));
    return AppMessageBox(text, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, ApplicationTitle()) == IDYES;
}

void TEraseActions::Rescan()
{
    if (RefreshContent && m_recorder())
        RefreshContent();
}

void TEraseActions::EraseThenRescan(TCustomRecorder& recorder, const std::vector<const TRecords::TRecordItem*>& records,
                                    const std::vector<const TFileListItem*>& driveEntries, const TEraseGate& gate)
{
    // The lists follow the flash however far the erase got.
    try {
        EraseRecorderItems(recorder, m_operation, records, driveEntries, m_lists.DriveFolderView().Folder(), gate);
    } catch (...) {
        Rescan();
        throw;
    }
    Rescan();
}

void TEraseActions::actRecEraseExecute()
{
    TCustomRecorder* recorder = m_recorder();
    if (!recorder)
        return;
    TMainUiLockScope lock(m_operation.UiLock());
    m_operation.ResetCancel();
    try {
        if (m_lists.DriveView()) {
            if (!CollectDriveSelection || !Confirmed(true))
                return;
            CollectDriveSelection();
            const TFileList& selection = m_lists.DriveSelection();
            std::vector<const TFileListItem*> entries;
            for (int i = 0; i < selection.Count(); ++i)
                entries.push_back(selection.Items(i));
            EraseThenRescan(*recorder, {}, entries);
            return;
        }
        if (!Confirmed(false))
            return;
        TRecordList& selection = m_lists.RecordSelection();
        m_lists.Records().CollectSelectedRecords(selection);
        std::vector<const TRecords::TRecordItem*> records;
        for (int i = 0; i < selection.Count(); ++i)
            records.push_back(selection.Items(i));
        EraseThenRescan(*recorder, records, {});
    } catch (const TERecXchange& error) {
        ShowRecorderError(error);
    }
}

void TEraseActions::ShowSelected(const std::vector<const TRecords::TRecordItem*>& records,
                                 const std::vector<const TFileListItem*>& driveEntries)
{
    if (records.empty()) {
        m_lists.Drive().SelectEntries(driveEntries);
        return;
    }
    if (m_lists.DriveView())
        m_lists.ShowRecordsView();
    m_lists.Records().SelectItems(records);
}

void TEraseActions::EraseItems(const std::vector<const TRecords::TRecordItem*>& records,
                               const std::vector<const TFileListItem*>& driveEntries, const TEraseGate& gate)
{
    TCustomRecorder* recorder = m_recorder();
    if (!recorder || (records.empty() && driveEntries.empty()))
        return;
    TMainUiLockScope lock(m_operation.UiLock());
    // The question stands over exactly what it erases.
    ShowSelected(records, driveEntries);
    if (!Confirmed(records.empty()))
        return;
    m_operation.ResetCancel();
    try {
        EraseThenRescan(*recorder, records, driveEntries, gate);
    } catch (const TERecXchange& error) {
        ShowRecorderError(error);
    }
}

void TEraseActions::actFormatExecute()
{
    TCustomRecorder* recorder = m_recorder();
    if (!recorder)
        return;
    TMainUiLockScope lock(m_operation.UiLock());
    if (FormatRecorderMemory(*recorder, m_operation, true) != TJobOutcome::None)
        Rescan();
}
