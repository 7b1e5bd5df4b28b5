#pragma once

class QAbstractItemModel;
class QTreeView;
class QWidget;

// A named tree view without root decoration, several rows selectable, sorting
// on: the record, drive and explorer views start from it.
QTreeView* MakeReportView(QWidget* parent, const char* name);

// A report-style list view over an owner-data model: whole rows, several
// selected, no label editing, drag started from the rows, Qt's sorting off
// and the header clickable for the lists' own sorting.
void SetUpOwnerDataView(QTreeView& view, QAbstractItemModel& model);
