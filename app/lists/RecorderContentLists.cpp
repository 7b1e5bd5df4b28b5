#include "app/lists/RecorderContentLists.h"

#include <QAction>
#include <QTreeView>

#include "app/lists/DriveListKeys.h"
#include "app/lists/DriveListModel.h"
#include "app/lists/DriveListView.h"
#include "app/lists/FileList.h"
#include "app/lists/LocationCombo.h"
#include "app/lists/RecordList.h"
#include "app/lists/RecordListKeys.h"
#include "app/lists/RecordListView.h"
#include "app/lists/RowPopupMenu.h"
#include "app/services/AppMessageBox.h"
#include "core/recorder/CustomRecorder.h"
#include "core/settings/ProgramOptions.h"

TRecorderContentLists::TRecorderContentLists(const TContentListsUi& ui, QObject* parent) : QObject(parent), m_ui(ui)
{
    m_records = new TRecordListView(*m_ui.LvRecContent, *m_ui.RecordList, this);
    m_drive = new TDriveListView(*m_ui.LvDrvContent, *m_ui.DrvFiles, *m_ui.DrvFolderView, this);
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

    m_drive->OnFolderChanged = [this] {
        FillLocationCombo();
        UpdateActions();
    };
    m_location->OnFolderChosen = [this](const QString& folder) { m_drive->SetFolder(folder); };

    m_ui.ActShowRec->setCheckable(true);
    m_ui.ActShowDrv->setCheckable(true);
    m_ui.ActShowRec->setChecked(true);  // the records view comes first
    const auto guarded = [this](void (TRecorderContentLists::*handler)()) {
        return [this, handler] { RunGuarded([&] { (this->*handler)(); }); };
    };
    connect(m_ui.ActShowRec, &QAction::triggered, this, guarded(&TRecorderContentLists::ShowRecordsView));
    connect(m_ui.ActShowDrv, &QAction::triggered, this, guarded(&TRecorderContentLists::ShowDriveView));
    connect(m_ui.ActDrvLevelUp, &QAction::triggered, this, guarded(&TRecorderContentLists::LevelUp));

    // The record view starts sorted as after a click on its first column.
    m_records->ColumnClick(0);
}

TRecorderContentLists::~TRecorderContentLists() = default;

void TRecorderContentLists::ClearContent()
{
    m_records->Clear();
    m_drive->Clear();
}

void TRecorderContentLists::ClearViewItems()
{
    m_records->SetRowCount(0);
    m_drive->Model().SetRowCount(0);
}

void TRecorderContentLists::FillContent(TCustomRecorder& recorder)
{
    m_records->Fill(recorder.GetSoundFiles(), ProgramOptions.ShowVoiceParts);
    m_drive->Fill(recorder.GetDriveFiles());
    FillLocationCombo();
}

void TRecorderContentLists::ShowRecordsView()
{
    m_ui.ActShowRec->setChecked(true);
    m_ui.ActShowDrv->setChecked(false);
    *m_ui.DriveView = false;
    FillLocationCombo();
    UpdateActions();
}

void TRecorderContentLists::ShowDriveView()
{
    m_ui.ActShowDrv->setChecked(true);
    m_ui.ActShowRec->setChecked(false);
    *m_ui.DriveView = true;
    FillLocationCombo();
    UpdateActions();
}

void TRecorderContentLists::DriveFolderToTop()
{
    m_drive->SetFolder(QStringLiteral("\\"));
}

void TRecorderContentLists::FillLocationCombo()
{
    m_location->Fill(*m_ui.DriveView, m_ui.DrvFolderView->Folder());
}

void TRecorderContentLists::LevelUp()
{
    if (m_drive->CanLevelUp())
        m_drive->LevelUp();
}

void TRecorderContentLists::UpdateActions()
{
    const bool connected = m_ui.Connected && m_ui.Connected();
    TCustomRecorder* recorder = m_ui.Recorder ? m_ui.Recorder() : nullptr;
    m_ui.ActShowRec->setEnabled(connected);
    const bool driveAllowed =
        connected && recorder && !recorder->IsFlashDriveDisabled() && !ProgramOptions.DisableFlashDrive;
    m_ui.ActShowDrv->setEnabled(driveAllowed);
    if (!driveAllowed && m_ui.ActShowDrv->isChecked() && connected)
        ShowRecordsView();
    m_ui.LvRecContent->setVisible(m_ui.ActShowRec->isEnabled() && m_ui.ActShowRec->isChecked());
    m_ui.LvDrvContent->setVisible(m_ui.ActShowDrv->isEnabled() && m_ui.ActShowDrv->isChecked());
    m_ui.ActDrvLevelUp->setEnabled(*m_ui.DriveView && m_drive->CanLevelUp());
}
