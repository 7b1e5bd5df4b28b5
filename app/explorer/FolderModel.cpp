#include "app/explorer/FolderModel.h"

#include <QAbstractFileIconProvider>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QMimeData>
#include <QSet>
#include <QUrl>
#include <algorithm>

namespace {

// More runs of rows than this go out (in) as one block after a reorder.
constexpr std::size_t kMaxRuns = 16;

QString CleanFolder(const QString& folder)
{
    return QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
}

// Consecutive numbers as [first, last] runs.
std::vector<std::pair<int, int>> Runs(const std::vector<int>& rows)
{
    std::vector<std::pair<int, int>> runs;
    for (int row : rows) {
        if (!runs.empty() && runs.back().second + 1 == row)
            runs.back().second = row;
        else
            runs.emplace_back(row, row);
    }
    return runs;
}

}  // namespace

TFolderModel::TFolderModel(const QAbstractFileIconProvider& icons, QObject* parent)
    : QAbstractTableModel(parent), m_icons(icons)
{
    m_readTimer.setSingleShot(true);
    connect(&m_readTimer, &QTimer::timeout, this, [this] { StartRead(); });
    connect(&m_watch, &TFolderWatch::Changed, this, &TFolderModel::Changed);
    m_reader = std::make_unique<TFolderReader>(icons, [this](std::shared_ptr<TFolderListing> listing) {
        QMetaObject::invokeMethod(
            this,
            [this, listing]() mutable {
                Apply(*listing);
                m_reader->Discard(std::move(listing));
            },
            Qt::QueuedConnection);
    });
}

TFolderModel::~TFolderModel()
{
    m_reader.reset();  // no listing arrives after this
}

void TFolderModel::SetFolder(const QString& folder)
{
    const QString clean = CleanFolder(folder);
    if (clean == m_folder)
        return;
    m_watch.Stop();
    if (m_watching)
        m_watch.Watch(clean);
    beginResetModel();
    DiscardRows();
    m_folder = clean;
    m_filled = false;
    m_rowsFrom = 0;
    endResetModel();
    m_readTimer.stop();
    StartRead();
}

void TFolderModel::Refresh()
{
    if (m_folder.isEmpty())
        return;
    // A folder made again after it went needs its watch again.
    if (m_watching && !m_watch.Watching())
        m_watch.Watch(m_folder);
    m_readTimer.stop();
    StartRead();
}

void TFolderModel::SetWatching(bool watching)
{
    if (watching == m_watching)
        return;
    m_watching = watching;
    if (watching) {
        Refresh();
        return;
    }
    m_watch.Stop();
    m_readTimer.stop();
    m_readAgain = false;
}

void TFolderModel::Changed()
{
    if (m_watching)
        ReadSoon();
}

void TFolderModel::ReadSoon()
{
    if (m_reading)
        m_readAgain = true;  // after the read in progress
    else
        ScheduleRead();
}

void TFolderModel::ScheduleRead()
{
    if (m_readTimer.isActive())
        return;
    const qint64 gap = std::max<qint64>(kMinReadGapMs, 4 * m_lastReadMs);
    const qint64 since = m_sinceRead.isValid() ? m_sinceRead.elapsed() : gap;
    if (since >= gap)
        StartRead();
    else
        m_readTimer.start(static_cast<int>(gap - since));
}

void TFolderModel::StartRead(quint64 resortOf)
{
    m_reading = true;
    m_readAgain = false;
    m_sinceRead.start();
    m_reader->Request(m_folder, m_sort, ++m_request, resortOf);
}

void TFolderModel::Apply(TFolderListing& listing)
{
    if (listing.Request != m_request)
        return;  // a newer read is on its way
    m_reading = false;
    m_lastReadMs = listing.ReadMs;
    if (!listing.Exists) {
        beginResetModel();
        DiscardRows();
        m_rowsFrom = 0;
        endResetModel();
        emit FolderGone(m_folder);
        return;
    }
    m_zone = listing.Zone;
    if (!m_filled) {
        beginResetModel();
        m_rows = std::move(listing.Entries);
        m_filled = true;
        endResetModel();
    } else if (listing.Base != 0 && listing.Base == m_rowsFrom) {
        TakeOrder(listing);
    } else {
        Merge(listing.Entries);
    }
    m_rowsFrom = listing.Request;
    emit FolderRead(m_folder);
    if (m_readAgain)
        ScheduleRead();
}

void TFolderModel::DiscardRows()
{
    auto spent = std::make_shared<TFolderListing>();
    std::swap(spent->Entries, m_rows);
    m_reader->Discard(std::move(spent));
}

void TFolderModel::TakeOrder(TFolderListing& listing)
{
    const std::vector<int>& to = listing.From;
    bool moved = false;
    for (std::size_t row = 0; row < to.size() && !moved; ++row)
        moved = to[row] != static_cast<int>(row);
    if (moved) {
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        const QModelIndexList from = persistentIndexList();
        QModelIndexList placed;
        placed.reserve(from.size());
        for (const QModelIndex& index : from)
            placed << createIndex(to[static_cast<std::size_t>(index.row())], index.column());
        changePersistentIndexList(from, placed);
    }
    // The rows let go of go back with the listing, for the reader to free.
    std::swap(m_rows, listing.Entries);
    if (moved)
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    if (!listing.Changed.empty())
        emit dataChanged(index(listing.Changed.front(), 0), index(listing.Changed.back(), kFolderColumns - 1));
}

void TFolderModel::Merge(std::vector<TFolderEntry>& entries)
{
    QHash<QString, int> newRows;
    newRows.reserve(static_cast<qsizetype>(entries.size()));
    for (std::size_t row = 0; row < entries.size(); ++row)
        newRows.insert(entries[row].Name, static_cast<int>(row));

    // The rows gone.
    std::vector<int> gone;
    for (std::size_t row = 0; row < m_rows.size(); ++row)
        if (!newRows.contains(m_rows[row].Name))
            gone.push_back(static_cast<int>(row));
    if (!gone.empty() && !RemoveRuns(gone)) {
        // Too scattered: the kept rows first, then the gone ones out as one block.
        std::vector<int> to(m_rows.size());
        int kept = 0;
        int out = static_cast<int>(m_rows.size() - gone.size());
        for (std::size_t row = 0, next = 0; row < m_rows.size(); ++row) {
            if (next < gone.size() && gone[next] == static_cast<int>(row)) {
                to[row] = out++;
                ++next;
            } else {
                to[row] = kept++;
            }
        }
        Reorder(to);
        beginRemoveRows({}, kept, static_cast<int>(m_rows.size()) - 1);
        m_rows.resize(static_cast<std::size_t>(kept));
        endRemoveRows();
    }

    // The rows new: in their places when the rest keeps its order.
    QSet<QString> have;
    have.reserve(static_cast<qsizetype>(m_rows.size()));
    for (const TFolderEntry& entry : m_rows)
        have.insert(entry.Name);
    std::vector<int> added;
    for (std::size_t row = 0; row < entries.size(); ++row)
        if (!have.contains(entries[row].Name))
            added.push_back(static_cast<int>(row));
    if (!added.empty() && !InsertRuns(entries, added)) {
        const int first = static_cast<int>(m_rows.size());
        beginInsertRows({}, first, first + static_cast<int>(added.size()) - 1);
        for (int row : added)
            m_rows.push_back(entries[static_cast<std::size_t>(row)]);
        endInsertRows();
    }

    // The order of the listing.
    std::vector<int> to(m_rows.size());
    bool moved = false;
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        to[row] = newRows.value(m_rows[row].Name);
        moved = moved || to[row] != static_cast<int>(row);
    }
    if (moved)
        Reorder(to);

    // The values of the listing.
    std::vector<int> changed;
    for (std::size_t row = 0; row < m_rows.size(); ++row)
        if (!m_rows[row].SameValues(entries[row]))
            changed.push_back(static_cast<int>(row));
    std::swap(m_rows, entries);
    if (!changed.empty())
        emit dataChanged(index(changed.front(), 0), index(changed.back(), kFolderColumns - 1));
}

bool TFolderModel::RemoveRuns(const std::vector<int>& rows)
{
    const auto runs = Runs(rows);
    if (runs.size() > kMaxRuns)
        return false;
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
        beginRemoveRows({}, run->first, run->second);
        m_rows.erase(m_rows.begin() + run->first, m_rows.begin() + run->second + 1);
        endRemoveRows();
    }
    return true;
}

bool TFolderModel::InsertRuns(const std::vector<TFolderEntry>& entries, const std::vector<int>& added)
{
    const auto runs = Runs(added);
    if (runs.size() > kMaxRuns)
        return false;
    // In place only when the rows kept are in the listing's order already.
    std::size_t kept = 0;
    for (std::size_t row = 0, next = 0; row < entries.size(); ++row) {
        if (next < added.size() && added[next] == static_cast<int>(row)) {
            ++next;
            continue;
        }
        if (kept >= m_rows.size() || m_rows[kept].Name != entries[row].Name)
            return false;
        ++kept;
    }
    // Each run's first row is its place once the runs before it are in.
    for (const auto& [first, last] : runs) {
        beginInsertRows({}, first, last);
        m_rows.insert(m_rows.begin() + first, entries.begin() + first, entries.begin() + last + 1);
        endInsertRows();
    }
    return true;
}

void TFolderModel::Reorder(const std::vector<int>& to)
{
    emit layoutAboutToBeChanged();
    const QModelIndexList from = persistentIndexList();
    QModelIndexList moved;
    moved.reserve(from.size());
    for (const QModelIndex& index : from)
        moved << createIndex(to[static_cast<std::size_t>(index.row())], index.column());
    changePersistentIndexList(from, moved);
    std::vector<TFolderEntry> rows(m_rows.size());
    for (std::size_t row = 0; row < m_rows.size(); ++row)
        rows[static_cast<std::size_t>(to[row])] = std::move(m_rows[row]);
    m_rows = std::move(rows);
    emit layoutChanged();
}

QModelIndex TFolderModel::IndexOf(const QString& path) const
{
    const QFileInfo info(path);
    if (CleanFolder(info.path()) != m_folder)
        return {};
    const QString name = info.fileName();
    for (std::size_t row = 0; row < m_rows.size(); ++row)
        if (m_rows[row].Name == name)
            return index(static_cast<int>(row), 0);
    return {};
}

QString TFolderModel::FilePath(const QModelIndex& index) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const QString& name = m_rows[static_cast<std::size_t>(index.row())].Name;
    return m_folder.endsWith(QLatin1Char('/')) ? m_folder + name : m_folder + QLatin1Char('/') + name;
}

bool TFolderModel::IsFolder(const QModelIndex& index) const
{
    return checkIndex(index, CheckIndexOption::IndexIsValid) && m_rows[static_cast<std::size_t>(index.row())].IsFolder;
}

QString TFolderModel::Type(const QModelIndex& index) const
{
    return checkIndex(index, CheckIndexOption::IndexIsValid) ? m_rows[static_cast<std::size_t>(index.row())].Type
                                                             : QString();
}

QStringList TFolderModel::FolderNames() const
{
    QStringList names;
    for (const TFolderEntry& entry : m_rows)
        if (entry.IsFolder)
            names << entry.Name;
    names.sort();
    return names;
}

QModelIndex TFolderModel::AddFolderRow(const QString& name)
{
    const QString path = QDir(m_folder).filePath(name);
    const QModelIndex known = IndexOf(path);
    if (known.isValid())
        return known;
    const QFileInfo info(path);
    if (!info.isDir())
        return {};
    TFolderEntry entry;
    entry.Name = name;
    entry.IsFolder = true;
    entry.Modified = info.lastModified().toMSecsSinceEpoch();
    entry.Type = m_icons.type(info);
    entry.Icon = m_icons.icon(info);
    // Its place in the order the rows have.
    std::vector<TFolderEntry> rows = m_rows;
    rows.push_back(entry);
    SortEntries(rows, m_sort);
    int row = 0;
    while (rows[static_cast<std::size_t>(row)].Name != name)
        ++row;
    beginInsertRows({}, row, row);
    m_rows.insert(m_rows.begin() + row, std::move(entry));
    m_rowsFrom = 0;
    endInsertRows();
    return index(row, 0);
}

int TFolderModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int TFolderModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kFolderColumns;
}

QVariant TFolderModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const TFolderEntry& entry = m_rows[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        switch (index.column()) {
        case kNameColumn:
            return entry.Name;
        case kSizeColumn:
            return entry.IsFolder ? QString() : QLocale::system().formattedDataSize(entry.Size);
        case kTypeColumn:
            return entry.Type;
        case kModifiedColumn:
            // The zone of the read: no look-up of the local zone per row.
            return QLocale::system().toString(QDateTime::fromMSecsSinceEpoch(entry.Modified, m_zone),
                                              QLocale::ShortFormat);
        }
        break;
    case Qt::DecorationRole:
        if (index.column() == kNameColumn)
            return entry.Icon;
        break;
    case Qt::TextAlignmentRole:
        if (index.column() == kSizeColumn)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        break;
    case FilePathRole:
        return FilePath(index);
    }
    return {};
}

QVariant TFolderModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case kNameColumn:
        return QStringLiteral("Name");
    case kSizeColumn:
        return QStringLiteral("Size");
    case kTypeColumn:
        return QStringLiteral("Type");
    case kModifiedColumn:
        return QStringLiteral("Date Modified");
    }
    return {};
}

Qt::ItemFlags TFolderModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
    if (index.column() == kNameColumn)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool TFolderModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || index.column() != kNameColumn ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    TFolderEntry& entry = m_rows[static_cast<std::size_t>(index.row())];
    const QString name = value.toString();
    if (name == entry.Name)
        return true;
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    // Never over another file: the rename fails when the name is taken.
    if (!QDir(m_folder).rename(entry.Name, name))
        return false;
    entry.Name = name;
    m_rowsFrom = 0;
    emit dataChanged(index, index);
    ReadSoon();  // its place in the order comes with the read
    return true;
}

void TFolderModel::sort(int column, Qt::SortOrder order)
{
    const TFolderSort sort{std::clamp(column, 0, kFolderColumns - 1), order};
    if (sort == m_sort)
        return;
    m_sort = sort;
    if (m_folder.isEmpty())
        return;
    // Rows that are the last listing as it came, with no change waiting:
    // the reader puts that listing in the new order, without a read.
    const bool resort = m_filled && m_rowsFrom != 0 && !m_reading && !m_readTimer.isActive();
    m_readTimer.stop();
    StartRead(resort ? m_rowsFrom : 0);
}

QStringList TFolderModel::mimeTypes() const
{
    return {QStringLiteral("text/uri-list")};
}

QMimeData* TFolderModel::mimeData(const QModelIndexList& indexes) const
{
    QList<QUrl> urls;
    QSet<int> rows;
    for (const QModelIndex& index : indexes)
        if (index.isValid() && !rows.contains(index.row())) {
            rows.insert(index.row());
            urls << QUrl::fromLocalFile(FilePath(index));
        }
    auto* data = new QMimeData;
    data->setUrls(urls);
    return data;
}

Qt::DropActions TFolderModel::supportedDragActions() const
{
    return Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
}
