#pragma once

#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <QString>
#include <QTimeZone>
#include <QTimer>
#include <memory>
#include <vector>

#include "app/explorer/FolderReader.h"
#include "app/explorer/FolderWatch.h"

class QAbstractFileIconProvider;

// The files and folders of one folder, for the explorer's list. The folder
// is read and sorted on the reader's thread and handed in as a whole; a new
// read of the same folder goes in as the changes it found (rows gone, rows
// new, a new order, new values), so selections, the current row and an
// open editor stay on their names. A new order of the same rows (a sort,
// or a read that found the same names) goes in as one step, with the moves
// the reader worked out. One watch follows the folder shown, its entries
// and the writes into its files: a change reads it again, at most a few
// times a second, and a change during a read is read after it.
class TFolderModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int FilePathRole = Qt::UserRole + 1;
    // The shortest time between the starts of two reads of a changing
    // folder; a slow read makes it longer.
    static constexpr int kMinReadGapMs = 250;

    explicit TFolderModel(const QAbstractFileIconProvider& icons, QObject* parent = nullptr);
    ~TFolderModel() override;

    // Shows a folder: the rows of the last one go at once, the new ones come
    // when read. The same folder again changes nothing.
    void SetFolder(const QString& folder);
    QString Folder() const { return m_folder; }
    // Reads the shown folder again now.
    void Refresh();
    // Off: no watch and no reads but those asked for; on again: a read.
    void SetWatching(bool watching);
    bool Watching() const { return m_watching; }
    // A read was asked for and its listing is not in yet.
    bool Reading() const { return m_reading; }
    TFolderSort Sort() const { return m_sort; }

    // The row of a path in the shown folder (column 0); invalid when none.
    QModelIndex IndexOf(const QString& path) const;
    QString FilePath(const QModelIndex& index) const;
    bool IsFolder(const QModelIndex& index) const;
    QString Type(const QModelIndex& index) const;
    // The names of the folders shown, sorted: one pass over the rows.
    QStringList FolderNames() const;
    // A folder just made in the shown folder: its row at once, in the order,
    // before the read that would bring it.
    QModelIndex AddFolderRow(const QString& name);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Renames the file or folder (column 0).
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    // A new sort is read in the background, like a change.
    void sort(int column, Qt::SortOrder order) override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;

signals:
    // A listing of the folder went in.
    void FolderRead(const QString& folder);
    // The folder shown is gone (or cannot be listed any more).
    void FolderGone(const QString& folder);

private:
    void Changed();
    void ReadSoon();
    void ScheduleRead();
    // A read; with resortOf, the listing the rows are, in the new sort.
    void StartRead(quint64 resortOf = 0);
    void Apply(TFolderListing& listing);
    // The listing's entries go in as changes; the rows before are left in entries.
    void Merge(std::vector<TFolderEntry>& entries);
    // The rows out, freed by the reader.
    void DiscardRows();
    // The listing's rows are the ones shown in another order.
    void TakeOrder(TFolderListing& listing);
    // Puts the rows in a new order: row r goes to to[r]; persistent indexes follow.
    void Reorder(const std::vector<int>& to);
    bool RemoveRuns(const std::vector<int>& rows);
    bool InsertRuns(const std::vector<TFolderEntry>& entries, const std::vector<int>& added);

    const QAbstractFileIconProvider& m_icons;
    TFolderWatch m_watch;
    QTimer m_readTimer;  // coalesces the changes
    QString m_folder;
    TFolderSort m_sort;
    std::vector<TFolderEntry> m_rows;
    QTimeZone m_zone = QTimeZone::utc();
    quint64 m_request = 0;
    quint64 m_rowsFrom = 0;  // the listing the rows are as they came, 0 when changed since
    bool m_reading = false;
    bool m_readAgain = false;
    bool m_filled = false;  // the folder's first listing is in
    bool m_watching = true;
    QElapsedTimer m_sinceRead;
    qint64 m_lastReadMs = 0;
    std::unique_ptr<TFolderReader> m_reader;  // last: stopped first
};
