#include "app/explorer/FolderReader.h"

#include <QAbstractFileIconProvider>
#include <QCollator>
#include <QCollatorSortKey>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
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
    // One collation key per name, one rank per type: every comparison is a
    // plain compare, with nothing made per call. The C locale's collator
    // compares code points and no numbers: English stands in for it.
    const QLocale system = QLocale::system();
    QCollator collator(system.language() == QLocale::C ? QLocale(QLocale::English, QLocale::UnitedStates) : system);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(entries.size());
    for (const TFolderEntry& entry : entries)
        keys.push_back(collator.sortKey(entry.Name));
    std::vector<int> typeRanks;
    if (sort.Column == kTypeColumn) {
        QHash<QString, int> ranks;
        for (const TFolderEntry& entry : entries)
            ranks.insert(entry.Type, 0);
        QStringList types = ranks.keys();
        std::sort(types.begin(), types.end(),
                  [&](const QString& l, const QString& r) { return collator.compare(l, r) < 0; });
        for (int rank = 0; rank < types.size(); ++rank)
            ranks[types[rank]] = rank;
        typeRanks.reserve(entries.size());
        for (const TFolderEntry& entry : entries)
            typeRanks.push_back(ranks.value(entry.Type));
    }
    std::vector<std::size_t> order(entries.size());
    std::iota(order.begin(), order.end(), std::size_t{0});

    const auto byName = [&](std::size_t l, std::size_t r) {
        const int c = keys[l].compare(keys[r]);
        return c != 0 ? c < 0 : entries[l].Name < entries[r].Name;
    };
    // Folders before files under every key; ties by name.
    const auto foldersFirst = [&](auto&& key) {
        return [&, key](std::size_t l, std::size_t r) {
            if (entries[l].IsFolder != entries[r].IsFolder)
                return entries[l].IsFolder;
            const auto a = key(l);
            const auto b = key(r);
            return a != b ? a < b : byName(l, r);
        };
    };
    switch (sort.Column) {
    case kSizeColumn:
        std::sort(order.begin(), order.end(), foldersFirst([&](std::size_t i) { return entries[i].Size; }));
        break;
    case kTypeColumn:
        std::sort(order.begin(), order.end(), foldersFirst([&](std::size_t i) { return typeRanks[i]; }));
        break;
    case kModifiedColumn:
        std::sort(order.begin(), order.end(), foldersFirst([&](std::size_t i) { return entries[i].Modified; }));
        break;
    default:
        std::sort(order.begin(), order.end(), foldersFirst([](std::size_t) { return 0; }));
        break;
    }
    // Descending reverses the whole order, folders last, as the name's.
    if (sort.Order == Qt::DescendingOrder)
        std::reverse(order.begin(), order.end());
    std::vector<TFolderEntry> sorted;
    sorted.reserve(entries.size());
    for (std::size_t index : order)
        sorted.push_back(std::move(entries[index]));
    entries = std::move(sorted);
}

void CompareListings(TFolderListing& listing, const TFolderListing& before)
{
    if (!listing.Exists || !before.Exists || listing.Folder != before.Folder ||
        listing.Entries.size() != before.Entries.size())
        return;
    QHash<QString, int> rows;
    rows.reserve(static_cast<qsizetype>(listing.Entries.size()));
    for (std::size_t row = 0; row < listing.Entries.size(); ++row)
        rows.insert(listing.Entries[row].Name, static_cast<int>(row));
    std::vector<int> from(before.Entries.size());
    std::vector<int> changed;
    for (std::size_t row = 0; row < before.Entries.size(); ++row) {
        const auto found = rows.constFind(before.Entries[row].Name);
        if (found == rows.constEnd())
            return;
        from[row] = *found;
        if (!before.Entries[row].SameValues(listing.Entries[static_cast<std::size_t>(*found)]))
            changed.push_back(*found);
    }
    std::sort(changed.begin(), changed.end());
    listing.Base = before.Request;
    listing.From = std::move(from);
    listing.Changed = std::move(changed);
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

void TFolderReader::Request(const QString& folder, const TFolderSort& sort, quint64 id, quint64 resortOf)
{
    {
        const std::lock_guard lock(m_mutex);
        // A read waiting is not given up for a new order of what it would replace.
        if (resortOf != 0 && m_pending && m_pending->ResortOf == 0)
            resortOf = 0;
        m_pending = TRequest{folder, sort, id, resortOf};
    }
    m_wake.notify_one();
}

void TFolderReader::Run()
{
    for (;;) {
        std::optional<TRequest> request;
        std::vector<std::shared_ptr<TFolderListing>> spent;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stop || m_pending || !m_spent.empty(); });
            if (m_stop)
                return;
            std::swap(request, m_pending);
            std::swap(spent, m_spent);
        }
        spent.clear();
        if (request)
            m_done(Make(*request));
    }
}

void TFolderReader::Discard(std::shared_ptr<TFolderListing> listing)
{
    {
        const std::lock_guard lock(m_mutex);
        m_spent.push_back(std::move(listing));
    }
    m_wake.notify_one();
}

std::shared_ptr<TFolderListing> TFolderReader::Make(const TRequest& request)
{
    std::shared_ptr<TFolderListing> listing;
    if (request.ResortOf != 0 && m_last && m_last->Request == request.ResortOf && m_last->Folder == request.Folder) {
        QElapsedTimer clock;
        clock.start();
        listing = std::make_shared<TFolderListing>(*m_last);
        listing->Sort = request.Sort;
        SortEntries(listing->Entries, request.Sort);
        listing->ReadMs = clock.elapsed();
    } else {
        listing = std::make_shared<TFolderListing>(ReadFolder(request.Folder, request.Sort, m_icons));
    }
    listing->Request = request.Id;
    listing->Base = 0;
    listing->From.clear();
    listing->Changed.clear();
    if (m_last)
        CompareListings(*listing, *m_last);
    // What the next listing is compared with (the names and values only).
    auto last = std::make_unique<TFolderListing>();
    last->Folder = listing->Folder;
    last->Exists = listing->Exists;
    last->Entries = listing->Entries;
    last->Sort = listing->Sort;
    last->Zone = listing->Zone;
    last->Request = listing->Request;
    m_last = std::move(last);
    return listing;
}
