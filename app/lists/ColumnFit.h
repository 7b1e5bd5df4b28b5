#pragma once

#include <QObject>

class QTreeView;

// Keeps a report view's columns wide enough for their headers and their
// rows while the widths are the program's own: from the start until saved
// widths are applied or the user drags a column edge. Columns only grow, so
// a list that empties keeps its widths.
class TColumnFit : public QObject {
    Q_OBJECT
public:
    explicit TColumnFit(QTreeView& view, QObject* parent = nullptr);

    // Saved widths were applied, or the user chose: fitting stops.
    void KeepWidths() { m_fitting = false; }
    bool Fitting() const { return m_fitting; }
    // Grows every column to its header and its rows (up to kSampleRows).
    void Fit();

    static constexpr int kSampleRows = 1000;

private:
    void FitLater();
    void SectionResized(int logical);

    QTreeView& m_view;
    bool m_fitting = true;
    bool m_resizing = false;
    bool m_pending = false;
};
