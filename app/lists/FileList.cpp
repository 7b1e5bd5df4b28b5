#include "app/lists/FileList.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <set>

#include "core/flash/DrivePath.h"
#include "core/settings/FileUtils.h"

namespace {

template <typename T>
int Sign(T value)
{
    return (value > 0) - (value < 0);
}

TFileListItem ItemOf(const QFileInfo& info)
{
    TFileListItem item;
    item.Name = info.fileName();
    item.IsFolder = info.isDir();
    item.Size = item.IsFolder ? 0 : info.size();
    item.Time = SystemTimeOf(info.lastModified().toLocalTime());
    return item;
}

// One run of CollectPath: its list, running total and the folders entered.
class FolderCollector {
public:
    explicit FolderCollector(TFileList& list) : m_list(list) {}

    int Collect(const QString& folder, const QString& relativePath)
    {
        const QString canonical = QFileInfo(folder).canonicalFilePath();
        if (canonical.isEmpty() || !m_entered.insert(canonical).second)
            return 0;
        const QFileInfoList entries =
            QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                       QDir::Name | QDir::IgnoreCase);
        for (const QFileInfo& entry : entries) {
            TFileListItem item = ItemOf(entry);
            item.Path = relativePath;
            TFileListItem* added = m_list.Add(item);
            m_total += item.Size;
            if (item.IsFolder && !entry.isSymLink())
                added->Size = Collect(entry.filePath(), relativePath + item.Name + QLatin1Char('\\'));
        }
        return static_cast<int>(entries.size());
    }

    std::int64_t Total() const { return m_total; }

private:
    TFileList& m_list;
    std::int64_t m_total = 0;
    std::set<QString> m_entered;
};

}  // namespace

int CompareFileTimes(const SYSTEMTIME& a, const SYSTEMTIME& b)
{
    const auto order = [](const SYSTEMTIME& t) { return civil::SecondsSince1970(t) * 1000 + t.wMilliseconds; };
    return Sign(order(a) - order(b));
}

TFileListItem* TFileList::Add(const TFileListItem& item)
{
    m_items.push_back(std::make_unique<TFileListItem>(item));
    return m_items.back().get();
}

int TFileList::Compare(const TFileListItem& a, const TFileListItem& b) const
{
    int result = 0;
    if (a.IsFolder != b.IsFolder) {
        result = a.IsFolder ? -1 : 1;
    } else {
        if (m_order.SortKey() == SortSize)
            result = Sign(a.Size - b.Size);
        else if (m_order.SortKey() == SortTime)
            result = CompareFileTimes(a.Time, b.Time);
        if (result == 0)
            result = Sign(a.Name.compare(b.Name, Qt::CaseInsensitive));
    }
    return m_order.Directed(result);
}

void TFilteredFileList::SetSource(const TFileList* source)
{
    m_source = source;
    Refilter();
}

void TFilteredFileList::SetFolder(const QString& path)
{
    if (path == m_folder)
        return;
    // Double click, Level Up and the location combo hand in different forms.
    m_folder = CanonicalDriveFolder(path);
    Refilter();
}

void TFilteredFileList::GoUp()
{
    SetFolder(DriveFolderPart(m_folder.left(m_folder.size() - 1)));
}

void TFilteredFileList::SetIncludeSubfolders(bool include)
{
    if (include == m_includeSubfolders)
        return;
    m_includeSubfolders = include;
    Refilter();
}

void TFilteredFileList::Refilter()
{
    Clear();
    if (m_source) {
        for (int i = 0; i < m_source->Count(); ++i) {
            const TFileListItem& item = *m_source->Items(i);
            const QString path = m_includeSubfolders ? item.Path.left(m_folder.size()) : item.Path;
            if (path != m_folder)
                continue;
            TFileListItem* copy = Add(item);
            copy->Path = item.Path.mid(m_folder.size());
        }
    }
    Sort();
    if (OnChange)
        OnChange();
}

std::int64_t CollectPath(const QString& path, TFileList* list)
{
    if (!list)
        return 0;
    list->Clear();
    QString folder = path;
    while (folder.size() > 1 && (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\'))))
        folder.chop(1);
    const QFileInfo root(folder);
    if (!root.isDir())
        return 0;
    TFileListItem self = ItemOf(root);
    self.Path = QStringLiteral("\\");
    list->Add(self);
    FolderCollector collector(*list);
    collector.Collect(folder, QLatin1Char('\\') + self.Name + QLatin1Char('\\'));
    return collector.Total();
}
