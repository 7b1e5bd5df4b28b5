#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "ListSortRule.h"
#include "SystemTime.h"

class TDriveFileInfo;

// Orders two local times as file times do (to the millisecond).
int CompareFileTimes(const SYSTEMTIME& a, const SYSTEMTIME& b);

// One PC or flash-drive entry of a list view.
struct TFileListItem {
    QString Name;            // without folder
    std::int64_t Size = 0;   // bytes; for a collected sub-folder, its direct entries
    SYSTEMTIME Time;         // local time of the last write
    bool IsFolder = false;
    QString Path;            // folder relative to the list's root, "\" ... "\"
    const TDriveFileInfo* DriveFile = nullptr;  // the recorder's entry; null for PC entries
};

// Owns copies of its items; sorts folders first, then by the sort key.
class TFileList {
public:
    enum SortKeys { SortNone = 0, SortName = 1, SortSize = 3, SortTime = 4 };

    virtual ~TFileList() = default;

    TFileListItem* Add(const TFileListItem& item);
    TFileListItem* Items(int index) const { return m_items[static_cast<std::size_t>(index)].get(); }
    int Count() const { return static_cast<int>(m_items.size()); }
    void Clear() { m_items.clear(); }

    void Sort();
    void SetSortKey(int key);
    void SetAscending(bool ascending);
    // Both at once, without sorting (the caller sorts).
    void SetSortOrder(int key, bool ascending) { m_order.SetSortOrder(key, ascending); }
    int SortKey() const { return m_order.SortKey(); }
    bool Ascending() const { return m_order.Ascending(); }
    int Compare(const TFileListItem& a, const TFileListItem& b) const;

    std::function<void()> OnChange;

private:
    std::vector<std::unique_ptr<TFileListItem>> m_items;
    TListSortState m_order;
};

// The entries of a source list that lie in one folder (or beneath it), with
// that folder removed from their paths.
class TFilteredFileList : public TFileList {
public:
    void SetSource(const TFileList* source);
    void SetFolder(const QString& path);
    void GoUp();
    void SetIncludeSubfolders(bool include);
    void Refilter();

    const QString& Folder() const { return m_folder; }
    bool IncludeSubfolders() const { return m_includeSubfolders; }

private:
    const TFileList* m_source = nullptr;
    QString m_folder = QStringLiteral("\\");
    bool m_includeSubfolders = false;
};

// Fills list with the folder itself (Path "\") and everything beneath it;
// returns the byte size of all files beneath it. A link to a folder is
// listed (size 0) but never entered, so a link loop cannot recurse.
std::int64_t CollectPath(const QString& path, TFileList* list);
