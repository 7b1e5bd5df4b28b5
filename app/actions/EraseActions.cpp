#include "app/actions/EraseActions.h"

#include <QAction>

#include "app/actions/EraseItems.h"
#include "app/lists/ContentListsController.h"
#include "app/lists/RecordList.h"
#include "app/lists/RecordListView.h"
#include "app/services/AppMessageBox.h"
#include "app/services/ApplicationTitle.h"
#include "app/services/FormatRecorderMemory.h"
#include "app/services/LongOperation.h"
#include "app/services/MainUiLock.h"
#include "core/protocol/RecXchange.h"
#include "localizer/LangConst.h"

TEraseActions::TEraseActions(QAction& erase, QAction& format, TContentListsController& lists,
                             TLongOperation& operation, std::function<TCustomRecorder*()> recorder, QObject* parent)
    : QObject(parent), m_lists(lists), m_operation(operation), m_recorder(std::move(recorder))
{
    connect(&erase, &QAction::triggered, this, [this] { RunGuarded([this] { actRecEraseExecute(); }); });
    connect(&format, &QAction::triggered, this, [this] { RunGuarded([this] { actFormatExecute(); }); });
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
            if (!CollectDriveSelection)
                return;
            if (AppMessageBox(LangConst(QStringLiteral("ReallyEraseSelFilesStr")),
                              MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, ApplicationTitle()) != IDYES)
                return;
            CollectDriveSelection();
            const TFileList& selection = m_lists.DriveSelection();
            std::vector<const TFileListItem*> entries;
            for (int i = 0; i < selection.Count(); ++i)
                entries.push_back(selection.Items(i));
            EraseRecorderItems(*recorder, m_operation, {}, entries, m_lists.DriveFolderView().Folder());
            return;
        }
        if (AppMessageBox(LangConst(QStringLiteral("ReallyEraseSelRecStr")),
                          MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, ApplicationTitle()) != IDYES)
            return;
        TRecordList& selection = m_lists.RecordSelection();
        m_lists.Records().CollectSelectedRecords(selection);
        std::vector<const TRecords::TRecordItem*> records;
        for (int i = 0; i < selection.Count(); ++i)
            records.push_back(selection.Items(i));
        EraseRecorderItems(*recorder, m_operation, records, {}, QString());
    } catch (const TERecXchange& error) {
        ShowRecorderError(error);
    }
}

void TEraseActions::actFormatExecute()
{
    if (TCustomRecorder* recorder = m_recorder())
        FormatRecorderMemory(*recorder, m_operation, true);
}
