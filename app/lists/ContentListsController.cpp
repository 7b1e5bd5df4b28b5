#include "app/lists/ContentListsController.h"

#include <QAction>
#include <QTreeView>

#include "app/lists/ColumnFit.h"
#include "app/lists/DriveListKeys.h"
#include "app/lists/DriveListModel.h"
#include "app/lists/DriveListView.h"
#include "app/lists/FileList.h"
#include "app/lists/LocationCombo.h"
#include "app/lists/RecordList.h"
#include "app/lists/RecordListKeys.h"
#include "app/lists/RecordListModel.h"
#include "app/lists/RecordListView.h"
#include "app/lists/RowPopupMenu.h"
#include "app/lists/ViewSelection.h"
#include "app/services/AppMessageBox.h"
#include "core/recorder/CustomRecorder.h"
#include "core/settings/ProgramOptions.h"

TContentListsController::TContentListsController(const TContentListsUi& ui, QObject* parent) : QObject(parent), m_ui(ui)
{
    m_drvSelection.SetSortKey(TFileList::SortName);
    m_drvFolderView.SetSortKey(TFileList::SortName);
    m_drvFolderView.SetSource(&m_drvFiles);
    m_records = new TRecordListView(*m_ui.LvRecContent, m_recordList, this);
    m_drive = new TDriveListView(*m_ui.LvDrvContent, m_drvFiles, m_drvFolderView, this);
    m_recordKeys = new TRecordListKeys(*m_records, m_ui.StatusKeyAllowed, m_ui.Recorder, this);
    m_driveKeys = new TDriveListKeys(
        *m_drive,
        [this] {
            if (m_ui.ActDrvLevelUp->isEnabled())
                m_ui.ActDrvLevelUp->trigger();
        },
        this);
    m_location = new TLocationCombo(*m_ui.CbexRecLocation, this);
    m_recordPopup = new TRowPopupMenu(*m_ui.LvRecContent, m_ui.PopupMenu2, this);
    m_drivePopup = new TRowPopupMenu(*m_ui.LvDrvContent, m_ui.PopupMenu2, this);
    m_recordColumns = new TColumnFit(*m_ui.LvRecContent, this);
    m_driveColumns = new TColumnFit(*m_ui.LvDrvContent, this);

    m_drive->OnFolderChanged = [this] {
        FillLocationCombo();
        UpdateActions();
    };
    m_location->OnFolderChosen = [this](const QString& folder) { m_drive->SetFolder(folder); };

    m_ui.ActShowRec->setCheckable(true);
    m_ui.ActShowDrv->setCheckable(true);
    m_ui.ActShowRec->setChecked(true);  // the records view comes first
    const auto guarded = [this](void (TContentListsController::*handler)()) {
        return [this, handler] { RunGuarded([&] { (this->*handler)(); }); };
    };
    connect(m_ui.ActShowRec, &QAction::triggered, this, guarded(&TContentListsController::ShowRecordsView));
    connect(m_ui.ActShowDrv, &QAction::triggered, this, guarded(&TContentListsController::ShowDriveView));
    connect(m_ui.ActDrvLevelUp, &QAction::triggered, this, guarded(&TContentListsController::LevelUp));

    // The record view starts sorted as after a click on its first column.
    m_records->ColumnClick(0);
}

// The views and their models read the lists: they go before the lists do.
TContentListsController::~TContentListsController()
{
    delete m_recordColumns;
    delete m_driveColumns;
    delete m_recordPopup;
    delete m_drivePopup;
    delete m_location;
    delete m_recordKeys;
    delete m_driveKeys;
    delete m_records;
    delete m_drive;
}

void TContentListsController::ClearContent()
{
    m_recordSelection.Clear();
    m_drvSelection.Clear();
    m_records->Clear();
    m_drive->Clear();
}

void TContentListsController::ClearViewItems()
{
    // Run by every pass that finds no recorder: an empty list is left alone,
    // since a reset lays the view out again and that would wake the next pass.
    if (m_records->Model().rowCount() > 0)
        m_records->SetRowCount(0);
    if (m_drive->Model().rowCount() > 0)
        m_drive->Model().SetRowCount(0);
    UpdateActions();
}

void TContentListsController::FillContent(TCustomRecorder& recorder)
{
    m_records->Fill(recorder.GetSoundFiles(), ProgramOptions.ShowVoiceParts);
    m_drive->Fill(recorder.GetDriveFiles());
    FillLocationCombo();
}

void TContentListsController::RunAutoDownload(bool nonDownOnly, bool autoDelete)
{
    if (m_autoDownload)
        m_autoDownload(nonDownOnly, autoDelete);
}

void TContentListsController::ShowRecordsView()
{
    m_ui.ActShowRec->setChecked(true);
    m_ui.ActShowDrv->setChecked(false);
    m_driveView = false;
    FillLocationCombo();
    UpdateActions();
}

void TContentListsController::ShowDriveView()
{
    m_ui.ActShowDrv->setChecked(true);
    m_ui.ActShowRec->setChecked(false);
    m_driveView = true;
    FillLocationCombo();
    UpdateActions();
}

void TContentListsController::DriveFolderToTop()
{
    m_drive->SetFolder(QStringLiteral("\\"));
}

void TContentListsController::FillLocationCombo()
{
    m_location->Fill(m_driveView, m_drvFolderView.Folder());
}

void TContentListsController::LevelUp()
{
    if (m_drive->CanLevelUp())
        m_drive->LevelUp();
}

void TContentListsController::KeepColumnWidths()
{
    m_recordColumns->KeepWidths();
    m_driveColumns->KeepWidths();
}

void TContentListsController::SetDriveViewOptions(bool disabled, bool hidden)
{
    m_driveDisabled = disabled;
    m_driveHidden = hidden;
    UpdateActions();
}

void TContentListsController::UpdateActions()
{
    const bool connected = m_ui.Connected && m_ui.Connected();
    TCustomRecorder* recorder = m_ui.Recorder ? m_ui.Recorder() : nullptr;
    m_ui.ActShowRec->setEnabled(connected);
    const bool driveAllowed = connected && recorder && !recorder->IsFlashDriveDisabled() &&
                              !ProgramOptions.DisableFlashDrive && !m_driveDisabled;
    m_ui.ActShowDrv->setEnabled(driveAllowed);
    m_ui.ActShowDrv->setVisible(!m_driveHidden);
    if ((!driveAllowed || m_driveHidden) && m_ui.ActShowDrv->isChecked() && connected)
        ShowRecordsView();
    m_ui.LvRecContent->setVisible(m_ui.ActShowRec->isEnabled() && m_ui.ActShowRec->isChecked());
    m_ui.LvDrvContent->setVisible(m_ui.ActShowDrv->isEnabled() && m_ui.ActShowDrv->isChecked());
    m_ui.ActDrvLevelUp->setEnabled(m_driveView && m_drive->CanLevelUp());
    if (m_ui.ActRecErase)
        m_ui.ActRecErase->setEnabled(EraseAllowed());
}

bool TContentListsController::EraseAllowed() const
{
    if (m_driveView)
        return !SelectedRows(*m_ui.LvDrvContent).empty();
    // A voice part alone is no erasable item.
    const std::vector<int> rows = SelectedRows(*m_ui.LvRecContent);
    const TRecordList& list = m_records->List();
    return !rows.empty() && rows.front() < list.Count() && !list.Items(rows.front())->IsVoicePart();
}
