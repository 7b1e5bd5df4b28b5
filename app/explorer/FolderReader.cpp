#include "app/explorer/FolderReader.h"

#include <QAbstractFileIconProvider>
#include <QCollator>
#include <QCollatorSortKey>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>
#include <algorithm>
#include <numeric>

TFolderListing ReadFolder(const QString& folder, const TFolderSort& sort, const QAbstractFileIconProvider& icons)
{
    QElapsedTimer clock;
    clock.start();
    TFolderListing listing;
    listing.Folder = folder;
    listing.Sort = sort;
    listing.Zone = QTimeZone::systemTimeZone();
    const QFileInfo self(folder);
    listing.Exists = self.isDir() && self.isReadable();
    if (!listing.Exists)
        return listing;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        TFolderEntry entry;
        entry.Name = info.fileName();
        entry.IsFolder = info.isDir();
        entry.Size = entry.IsFolder ? 0 : info.size();
        entry.Modified = info.lastModified().toMSecsSinceEpoch();
        entry.Type = icons.type(info);
        entry.Icon = icons.icon(info);
        listing.Entries.push_back(std::move(entry));
    }
    SortEntries(listing.Entries, sort);
    listing.ReadMs = clock.elapsed();
    return listing;
}

void SortEntries(std::vector<TFolderEntry>& entries, const TFolderSort& sort)
{
    // One collation key per name: comparing keys is a plain byte compare.
    // The C locale's collator compares code points and no numbers: English
    // stands in for it.
    const QLocale system = QLocale::system();
    QCollator collator(system.language() == QLocale::C ? QLocale(QLocale::English, QLocale::UnitedStates) : system);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(entries.size());
    for (const TFolderEntry& entry : entries)
        keys.push_back(collator.sortKey(entry.Name));
    std::vector<std::size_t> order(entries.size());
    std::iota(order.begin(), order.end(), std::size_t{0});

    const auto byName = [&](std::size_t l, std::size_t r) {
        const int c = keys[l].compare(keys[r]);
        return c != 0 ? c < 0 : entries[l].Name < entries[r].Name;
    };
    const auto foldersFirst = [&](std::size_t l, std::size_t r, auto&& then) {
        if (entries[l].IsFolder != entries[r].IsFolder)
            return entries[l].IsFolder;
        return then(l, r);
    };
    switch (sort.Column) {
    case kSizeColumn:
        std::sort(order.begin(), order.end(), [&](std::size_t l, std::size_t r) {
            return foldersFirst(l, r, [&](std::size_t a, std::size_t b) {
                return entries[a].Size != entries[b].Size ? entries[a].Size < entries[b].Size : byName(a, b);
            });
        });
        break;
    case kTypeColumn:
        std::sort(order.begin(), order.end(), [&](std::size_t l, std::size_t r) {
            const int c = collator.compare(entries[l].Type, entries[r].Type);
            return c != 0 ? c < 0 : byName(l, r);
        });
        break;
    case kModifiedColumn:
        std::sort(order.begin(), order.end(), [&](std::size_t l, std::size_t r) {
            return entries[l].Modified != entries[r].Modified ? entries[l].Modified < entries[r].Modified
                                                              : byName(l, r);
        });
        break;
    default:
        std::sort(order.begin(), order.end(), [&](std::size_t l, std::size_t r) { return foldersFirst(l, r, byName); });
        break;
    }
    if (sort.Order == Qt::DescendingOrder)
        std::reverse(order.begin(), order.end());
    std::vector<TFolderEntry> sorted;
    sorted.reserve(entries.size());
    for (std::size_t index : order)
        sorted.push_back(std::move(entries[index]));
    entries = std::move(sorted);
}

TFolderReader::TFolderReader(const QAbstractFileIconProvider& icons, TDone done)
    : m_icons(icons), m_done(std::move(done)), m_thread([this] { Run(); })
{
}

TFolderReader::~TFolderReader()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void TFolderReader::Request(const QString& folder, const TFolderSort& sort, quint64 id)
{
    {
        const std::lock_guard lock(m_mutex);
        m_pending = TRequest{folder, sort, id};
    }
    m_wake.notify_one();
}

void TFolderReader::Run()
{
    for (;;) {
        TRequest request;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stop || m_pending; });
            if (m_stop)
                return;
            request = std::move(*m_pending);
            m_pending.reset();
        }
        auto listing = std::make_shared<TFolderListing>(ReadFolder(request.Folder, request.Sort, m_icons));
        listing->Request = request.Id;
        m_done(std::move(listing));
    }
}
