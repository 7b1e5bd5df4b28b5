#pragma once

#include <QIcon>
#include <QString>
#include <QTimeZone>
#include <QtGlobal>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class QAbstractFileIconProvider;

// One file or folder of a folder listing, as the explorer's list shows it.
struct TFolderEntry {
    QString Name;
    qint64 Size = 0;      // bytes; 0 for a folder
    qint64 Modified = 0;  // ms since the epoch, UTC
    QString Type;
    QIcon Icon;
    bool IsFolder = false;
    // Everything the row shows but the name.
    bool SameValues(const TFolderEntry& other) const
    {
        return Size == other.Size && Modified == other.Modified && IsFolder == other.IsFolder && Type == other.Type &&
               Icon.cacheKey() == other.Icon.cacheKey();
    }
};

// The columns of the list, and the sort by one of them.
enum TFolderColumn { kNameColumn, kSizeColumn, kTypeColumn, kModifiedColumn, kFolderColumns };

struct TFolderSort {
    int Column = kNameColumn;
    Qt::SortOrder Order = Qt::AscendingOrder;
    bool operator==(const TFolderSort&) const = default;
};

// A folder as one read found it, sorted.
struct TFolderListing {
    QString Folder;
    bool Exists = false;  // false: the folder is gone or cannot be listed
    std::vector<TFolderEntry> Entries;
    TFolderSort Sort;
    QTimeZone Zone;  // the system's zone at the read: the times' texts use it
    quint64 Request = 0;
    qint64 ReadMs = 0;
    // When the listing holds the same names as the one of request Base:
    // From[row of Base] is the name's row here, and Changed the rows here
    // whose values differ. Base 0: other names, or no listing before.
    quint64 Base = 0;
    std::vector<int> From;
    std::vector<int> Changed;
};

// Lists a folder (no hidden entries), typed and iconed by icons, sorted.
TFolderListing ReadFolder(const QString& folder, const TFolderSort& sort, const QAbstractFileIconProvider& icons);
// The order of the list: by name, folders first and numbers by their value;
// by size (folders first), type or time, ties by name; descending reverses.
void SortEntries(std::vector<TFolderEntry>& entries, const TFolderSort& sort);
// Fills listing's Base, From and Changed against before when both hold the
// same names of the same folder.
void CompareListings(TFolderListing& listing, const TFolderListing& before);

// Reads folders on a thread of its own, one at a time; a request made while
// another waits replaces it. Each listing goes to done, on that thread,
// with its changes against the listing before it. A new sort of rows that
// are the last listing as they are is made from that listing, without a
// read.
class TFolderReader {
public:
    using TDone = std::function<void(std::shared_ptr<TFolderListing>)>;
    TFolderReader(const QAbstractFileIconProvider& icons, TDone done);
    // Waits for the read in progress.
    ~TFolderReader();
    TFolderReader(const TFolderReader&) = delete;
    TFolderReader& operator=(const TFolderReader&) = delete;

    // A read of the folder; with resortOf, the id of a listing of it that
    // nothing changed since, its entries in a new order (a read if the
    // reader no longer holds it).
    void Request(const QString& folder, const TFolderSort& sort, quint64 id, quint64 resortOf = 0);
    // A listing done with, and the rows it took back, freed here: freeing
    // a big folder's rows is work the GUI thread need not wait for.
    void Discard(std::shared_ptr<TFolderListing> listing);

private:
    struct TRequest {
        QString Folder;
        TFolderSort Sort;
        quint64 Id = 0;
        quint64 ResortOf = 0;
    };
    void Run();
    std::shared_ptr<TFolderListing> Make(const TRequest& request);

    const QAbstractFileIconProvider& m_icons;
    TDone m_done;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<TRequest> m_pending;
    std::vector<std::shared_ptr<TFolderListing>> m_spent;
    bool m_stop = false;
    std::unique_ptr<TFolderListing> m_last;  // the last listing made, on the thread only
    std::thread m_thread;
};
