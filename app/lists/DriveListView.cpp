#include "app/lists/DriveListView.h"

#include <QHeaderView>
#include <QTreeView>
#include <algorithm>

#include "app/lists/DriveListModel.h"
#include "app/lists/FileList.h"
#include "app/lists/ListSortRule.h"
#include "app/lists/ListViewSetup.h"
#include "app/lists/ViewSelection.h"
#include "core/flash/DriveFileList.h"
#include "core/flash/DrivePath.h"

TDriveListView::TDriveListView(QTreeView& view, TFileList& files, TFilteredFileList& folderView, QObject* parent)
    : QObject(parent), m_view(view), m_files(files), m_folderView(folderView),
      m_model(new TDriveListModel(folderView, this))
{
    SetUpOwnerDataView(m_view, *m_model);
    connect(m_view.header(), &QHeaderView::sectionClicked, this, &TDriveListView::ColumnClick);
}

void TDriveListView::Fill(const TDriveFileList* driveFiles)
{
    m_model->SetRowCount(0);
    m_files.Clear();
    if (driveFiles) {
        for (int i = 0; i < driveFiles->Count(); ++i) {
            const TDriveFileInfo& file = *driveFiles->Item(i);
            // Placed by the name's one comparable form, as every action finds it.
            const QString name = DriveNameKey(file.Name);
            TFileListItem item;
            item.Name = DriveNamePart(name);
            item.Path = CanonicalDriveFolder(DriveFolderPart(name));
            item.Size = file.Size;
            item.Time = file.Time;
            item.IsFolder = file.Flag != 0;
            item.DriveFileIndex = i;
            m_files.Add(item);
        }
    }
    m_folderView.SetSource(&m_files);
    m_model->SetRowCount(m_folderView.Count());
    FocusFirstRow(m_view);
}

void TDriveListView::Clear()
{
    m_model->SetRowCount(0);
    m_files.Clear();
    m_folderView.Refilter();
}

void TDriveListView::ColumnClick(int column)
{
    const TSortOrder order = SortOrderAfterClick({m_folderView.SortKey(), m_folderView.Ascending()},
                                                 TDriveListModel::SortKeyOfColumn(column));
    m_folderView.SetSortOrder(order.Key, order.Ascending);
    ShowSortArrow(*m_view.header(), column, order.Ascending);
    // The selection stays on its entries, not on its row numbers.
    std::vector<TFileListItem> selected;
    for (int row : SelectedRows(m_view))
        if (row < m_folderView.Count())
            selected.push_back(*m_folderView.Items(row));
    m_folderView.Sort();
    m_model->Repaint();
    if (selected.empty())
        return;
    std::vector<const TFileListItem*> entries;
    for (const TFileListItem& entry : selected)
        entries.push_back(&entry);
    SelectEntries(entries);
}

bool TDriveListView::OpenSelectedFolder()
{
    const int row = FirstSelectedRow(m_view);
    if (row < 0 || row >= m_folderView.Count() || !m_folderView.Items(row)->IsFolder)
        return false;
    m_folderView.SetFolder(m_folderView.Folder() + m_folderView.Items(row)->Name + QLatin1Char('\\'));
    ShowFolder();
    return true;
}

bool TDriveListView::CanLevelUp() const
{
    return m_folderView.Folder() != QStringLiteral("\\");
}

void TDriveListView::LevelUp()
{
    m_folderView.GoUp();
    ShowFolder();
}

void TDriveListView::SetFolder(const QString& folder)
{
    m_folderView.SetFolder(folder);
    ShowFolder();
}

void TDriveListView::SelectAll()
{
    SelectAllRows(m_view);
}

void TDriveListView::SelectEntries(const std::vector<const TFileListItem*>& entries)
{
    std::vector<int> rows;
    for (int row = 0; row < m_folderView.Count(); ++row) {
        const TFileListItem& shown = *m_folderView.Items(row);
        if (std::any_of(entries.begin(), entries.end(), [&shown](const TFileListItem* entry) {
                return entry->Name == shown.Name && entry->Path == shown.Path;
            }))
            rows.push_back(row);
    }
    SelectOnlyRows(m_view, rows);
}

void TDriveListView::ShowFolder()
{
    m_model->SetRowCount(m_folderView.Count());
    FocusFirstRow(m_view);
    if (OnFolderChanged)
        OnFolderChanged();
}
