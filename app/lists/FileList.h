#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "app/lists/SortedList.h"
#include "platform/SystemTime.h"

// Orders two local times as file times do (to the millisecond).
int CompareFileTimes(const SYSTEMTIME& a, const SYSTEMTIME& b);

// One PC or flash-drive entry of a list view.
struct TFileListItem {
    QString Name;            // without folder
    std::int64_t Size = 0;   // bytes; for a collected sub-folder, its direct entries
    SYSTEMTIME Time;         // local time of the last write
    bool IsFolder = false;
    QString Path;            // folder relative to the list's root, "\" ... "\"
    int DriveFileIndex = -1;  // the entry's index in the recorder's flash-drive list; -1 for PC entries
};

// Owns copies of its items; sorts folders first, then by the sort key.
class TFileList : public TSortedList<TFileListItem, std::unique_ptr<TFileListItem>> {
public:
    enum SortKeys { SortNone = 0, SortName = 1, SortSize = 3, SortTime = 4 };

    TFileListItem* Add(const TFileListItem& item);
    int Compare(const TFileListItem& a, const TFileListItem& b) const;

    std::function<void()> OnChange;

protected:
    int CompareItems(const TFileListItem& a, const TFileListItem& b) const override { return Compare(a, b); }
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
