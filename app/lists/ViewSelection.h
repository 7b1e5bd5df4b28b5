#pragma once

#include <vector>

class QAbstractItemView;
class QHeaderView;

// Row selection of the list views, by ranges (a selection of thousands of
// rows stays a few ranges).

// The selected rows in ascending order.
std::vector<int> SelectedRows(const QAbstractItemView& view);
// The first selected row in list order, or -1.
int FirstSelectedRow(const QAbstractItemView& view);
// Adds the rows (ascending) to the selection; nothing is deselected.
void SelectRows(QAbstractItemView& view, const std::vector<int>& rows);
void SelectAllRows(QAbstractItemView& view);
// Exactly these rows (ascending) selected; current becomes the current row
// (-1: the first of the rows) and is scrolled into view.
void SelectOnlyRows(QAbstractItemView& view, const std::vector<int>& rows, int current = -1);
// The first row (if any) gets the focus; the selection is cleared.
void FocusFirstRow(QAbstractItemView& view);
// The sort arrow on one column (-1: none); image 1 (up) when ascending.
void ShowSortArrow(QHeaderView& header, int column, bool ascending);
