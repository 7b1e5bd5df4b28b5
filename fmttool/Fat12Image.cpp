#include "fmttool/Fat12Image.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "fmttool/Fat12DirIterator.h"
#include "fmttool/Fat12Table.h"
#include "platform/PositionalIo.h"

namespace {

constexpr std::uint16_t kRoot = 1;

std::vector<std::string> SplitPath(const std::string& path)
{
    std::vector<std::string> parts;
    std::size_t from = 0;
    while (from <= path.size()) {
        const std::size_t to = std::min(path.find('\\', from), path.size());
        if (to > from)
            parts.push_back(path.substr(from, to - from));
        from = to + 1;
    }
    return parts;
}

bool IsDotName(const std::string& name)
{
    return name == "." || name == "..";
}

TFat12RawEntry DotEntry(const char* name, const SYSTEMTIME& time, std::uint16_t cluster)
{
    TFat12ShortName raw;
    raw.fill(' ');
    std::copy(name, name + std::strlen(name), raw.begin());
    return Fat12MakeEntry(raw, kFat12AttrDirectory, time, cluster);
}

}  // namespace

TFat12Image::TFat12Image(TFat12Clock clock) : m_clock(std::move(clock)) {}

TFat12Image::~TFat12Image()
{
    Fat12CloseImage();
}

TFat12Result TFat12Image::Fat12OpenImage(const std::string& path)
{
    Fat12CloseImage();
    m_file.reset(std::fopen(path.c_str(), "r+b"));
    if (!m_file)
        return fat12NotFound;
    std::uint8_t sector[TFat12BootSector::kSize];
    if (!ReadAt(0, sector, sizeof sector) || sector[510] != 0x55 || sector[511] != 0xAA) {
        m_file.reset();
        return fat12NotFound;
    }
    m_boot = TFat12BootSector::Parse(sector);
    // Only volumes whose every sector the file holds.
    std::uint8_t last = 0;
    if (!m_boot.IsServed() ||
        !ReadAt(static_cast<std::uint64_t>(m_boot.totalSectors) * m_boot.bytesPerSector - 1, &last, 1)) {
        m_file.reset();
        return fat12NotFound;
    }
    try {
        m_cluster.assign(m_boot.ClusterBytes(), 0);
    } catch (const std::bad_alloc&) {
        m_file.reset();
        return fat12NoMemory;
    }
    m_shortNames.Clear();
    const TFat12Result read = Fat12ReadFat();
    if (read != fat12Ok) {
        m_file.reset();
        m_fat.clear();
    }
    return read;
}

TFat12Result TFat12Image::Fat12CloseImage()
{
    if (!m_file)
        return fat12Ok;
    TFat12Result result = WriteBothFats();
    if (std::fclose(m_file.release()) != 0 && result == fat12Ok)
        result = fat12NotFound;
    m_fat.clear();
    m_cluster.clear();
    m_shortNames.Clear();
    return result;
}

TFat12Result TFat12Image::Fat12ReadFat()
{
    if (!m_file)
        return fat12NotFound;
    std::vector<std::uint8_t> packed;
    try {
        packed.resize(static_cast<std::size_t>(m_boot.sectorsPerFat) * m_boot.bytesPerSector);
        const std::uint64_t at = static_cast<std::uint64_t>(m_boot.FirstFatSector()) * m_boot.bytesPerSector;
        if (!ReadAt(at, packed.data(), packed.size()))
            return fat12NotFound;
        m_fat = Fat12UnpackFat(packed.data(), m_boot.FatEntries());
    } catch (const std::bad_alloc&) {
        std::fputs("\nError reading FAT !!!\n", stdout);
        return fat12NoMemory;
    }
    return fat12Ok;
}

TFat12Result TFat12Image::Fat12WriteFat(int copy)
{
    if (!m_file)
        return fat12NotFound;
    if (copy != 1 && copy != 2)
        return fat12BadArgument;
    std::vector<std::uint8_t> packed;
    try {
        packed.assign(static_cast<std::size_t>(m_boot.sectorsPerFat) * m_boot.bytesPerSector, 0);
    } catch (const std::bad_alloc&) {
        std::fputs("\nError writing FAT !!!\n", stdout);
        return fat12NoMemory;
    }
    Fat12PackFat(m_fat, packed.data());
    const std::uint64_t sector = m_boot.FirstFatSector() + static_cast<std::uint64_t>(copy - 1) * m_boot.sectorsPerFat;
    return WriteAt(sector * m_boot.bytesPerSector, packed.data(), packed.size()) ? fat12Ok : fat12NotFound;
}

TFat12Result TFat12Image::WriteBothFats()
{
    const TFat12Result first = Fat12WriteFat(1);
    return first != fat12Ok ? first : Fat12WriteFat(2);
}

void TFat12Image::SetFatEntry(std::uint32_t cluster, std::uint16_t value)
{
    if (cluster >= 2 && cluster < m_fat.size())
        m_fat[cluster] = value & 0xFFF;
}

std::uint16_t TFat12Image::Fat12FindFreeCluster() const
{
    for (std::size_t cluster = 2; cluster < m_fat.size(); ++cluster)
        if (m_fat[cluster] == kFat12Free)
            return static_cast<std::uint16_t>(cluster);
    return 0;
}

std::uint64_t TFat12Image::ClusterOffset(std::uint16_t cluster) const
{
    const std::uint64_t sector =
        m_boot.FirstDataSector() + static_cast<std::uint64_t>(cluster - 2) * m_boot.sectorsPerCluster;
    return sector * m_boot.bytesPerSector;
}

bool TFat12Image::ReadAt(std::uint64_t offset, void* data, std::size_t length) const
{
    return m_file && ReadFullyAt(fileno(m_file.get()), data, length, offset) == length;
}

bool TFat12Image::WriteAt(std::uint64_t offset, const void* data, std::size_t length)
{
    return m_file && WriteFullyAt(fileno(m_file.get()), data, length, offset);
}

std::uint16_t TFat12Image::AllocateCluster(std::uint16_t linkFrom)
{
    const std::uint16_t cluster = Fat12FindFreeCluster();
    if (cluster == 0)
        return 0;
    m_fat[cluster] = kFat12EndOfChain;
    if (linkFrom != 0)
        m_fat[linkFrom] = cluster;
    Fat12WriteFat(1);
    return cluster;
}

void TFat12Image::FreeChain(std::uint16_t first)
{
    std::uint16_t cluster = first;
    for (std::size_t steps = 0; Fat12IsNextCluster(cluster, m_fat.size()) && steps < m_fat.size(); ++steps) {
        const std::uint16_t next = m_fat[cluster];
        m_fat[cluster] = kFat12Free;
        cluster = next;
    }
}

bool TFat12Image::ZeroCluster(std::uint16_t cluster)
{
    std::fill(m_cluster.begin(), m_cluster.end(), 0);
    return WriteAt(ClusterOffset(cluster), m_cluster.data(), m_cluster.size());
}

std::optional<TFat12Image::TFound> TFat12Image::FindEntry(std::uint16_t directory, const std::string& name) const
{
    Fat12DirIterator it(*this, directory);
    while (it.Next()) {
        const TFat12RawEntry& entry = it.Entry();
        if (entry[0] == kFat12EntryEnd)
            break;
        if (entry[0] == kFat12EntryDeleted || Fat12IsLongNamePart(entry) || (entry[11] & kFat12AttrVolume))
            continue;
        if (Fat12SameName(Fat12EntryName(entry), name))
            return TFound{entry, it.Offset(), it.LongNameOffsets()};
    }
    return std::nullopt;
}

std::optional<TFat12Image::TFound> TFat12Image::Resolve(const std::string& path, std::uint16_t* parent) const
{
    const std::vector<std::string> parts = SplitPath(path);
    if (parts.empty() || !m_file)
        return std::nullopt;
    std::uint16_t directory = kRoot;
    for (std::size_t i = 0;; ++i) {
        std::optional<TFound> found = FindEntry(directory, parts[i]);
        if (!found)
            return std::nullopt;
        if (i + 1 == parts.size()) {
            if (parent)
                *parent = directory;
            return found;
        }
        if (!(found->entry[11] & kFat12AttrDirectory))
            return std::nullopt;
        // ".." of a directory in the root holds 0.
        const std::uint16_t cluster = Fat12EntryCluster(found->entry);
        directory = cluster == 0 ? kRoot : cluster;
    }
}

std::uint16_t TFat12Image::Fat12LookupDirectory(const std::string& path) const
{
    if (!m_file)
        return 0;
    if (SplitPath(path).empty())
        return kRoot;
    const std::optional<TFound> found = Resolve(path);
    if (!found || !(found->entry[11] & kFat12AttrDirectory))
        return 0;
    const std::uint16_t cluster = Fat12EntryCluster(found->entry);
    if (cluster == 0)
        return kRoot;
    return Fat12IsNextCluster(cluster, m_fat.size()) ? cluster : 0;
}

TFat12Result TFat12Image::CheckNameFree(std::uint16_t directory, const std::string& shortName,
                                        const std::optional<std::string>& longName) const
{
    const auto clashes = [&](const std::string& existing) {
        return !existing.empty() &&
               (Fat12SameName(existing, shortName) || (longName && Fat12SameName(existing, *longName)));
    };
    Fat12DirIterator it(*this, directory);
    while (it.Next()) {
        const TFat12RawEntry& entry = it.Entry();
        if (entry[0] == kFat12EntryEnd)
            break;
        if (entry[0] == kFat12EntryDeleted || Fat12IsLongNamePart(entry) || (entry[11] & kFat12AttrVolume))
            continue;
        if (clashes(Fat12EntryName(entry)) || clashes(it.LongName()))
            return fat12Exists;
    }
    return it.Failed() ? fat12NotFound : fat12Ok;
}

TFat12Result TFat12Image::PlaceEntries(std::uint16_t directory, const std::vector<TFat12RawEntry>& entries)
{
    // The first run of free slots long enough; past the end marker every slot is free.
    std::vector<std::uint64_t> run;
    std::uint16_t lastCluster = 0;
    bool ended = false;
    Fat12DirIterator it(*this, directory);
    while (run.size() < entries.size() && it.Next()) {
        const std::uint8_t first = it.Entry()[0];
        ended = ended || first == kFat12EntryEnd;
        if (ended || first == kFat12EntryDeleted)
            run.push_back(it.Offset());
        else
            run.clear();
        lastCluster = it.Cluster();
    }
    if (it.Failed())
        return fat12NotFound;

    if (run.size() < entries.size()) {
        if (directory == kRoot)
            return fat12DiskFull;
        // The directory grows by as many clusters as the run still needs;
        // on a failure the clusters it got are given back.
        const std::size_t perCluster = m_boot.ClusterBytes() / TFat12BootSector::kEntrySize;
        const std::uint16_t chainEnd = lastCluster;
        std::uint16_t firstAdded = 0;
        const auto undo = [&](TFat12Result result) {
            if (firstAdded != 0) {
                FreeChain(firstAdded);
                m_fat[chainEnd] = kFat12EndOfChain;
                Fat12WriteFat(1);
            }
            return result;
        };
        while (run.size() < entries.size()) {
            const std::uint16_t cluster = AllocateCluster(lastCluster);
            if (cluster == 0)
                return undo(fat12DiskFull);
            if (firstAdded == 0)
                firstAdded = cluster;
            lastCluster = cluster;
            if (!ZeroCluster(cluster))
                return undo(fat12NotFound);
            for (std::size_t i = 0; i < perCluster; ++i)
                run.push_back(ClusterOffset(cluster) + i * TFat12BootSector::kEntrySize);
        }
    }
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (!WriteAt(run[i], entries[i].data(), entries[i].size()))
            return fat12NotFound;
    return fat12Ok;
}

TFat12Result TFat12Image::Fat12CreateEntry(const std::string& directory, const std::string& shortName,
                                           const std::optional<std::string>& longName)
{
    const std::uint16_t cluster = Fat12LookupDirectory(directory);
    if (cluster == 0)
        return fat12NotFound;
    const std::optional<TFat12ShortName> name = Fat12SplitShortName(shortName);
    if (!name || (longName && !IsValidLongName(*longName)))
        return fat12CannotCreate;
    std::vector<TFat12RawEntry> entries;
    if (longName) {
        std::optional<std::vector<TFat12RawEntry>> chain = BuildLfnChain(*longName, LfnChecksum(name->data()));
        if (!chain)
            return fat12CannotCreate;
        entries = std::move(*chain);
    }
    if (const TFat12Result free = CheckNameFree(cluster, shortName, longName); free != fat12Ok)
        return free;
    // The file gets its first cluster with its first byte.
    entries.push_back(Fat12MakeEntry(*name, kFat12AttrArchive, m_clock(), 0));
    if (const TFat12Result placed = PlaceEntries(cluster, entries); placed != fat12Ok)
        return placed;
    return WriteBothFats();
}

TFat12Result TFat12Image::Fat12MakeDirectory(const std::string& directory, const std::string& name)
{
    const std::uint16_t parent = Fat12LookupDirectory(directory);
    if (parent == 0)
        return fat12NotFound;
    const std::optional<TFat12ShortName> shortName = Fat12SplitShortName(name);
    if (!shortName)
        return fat12CannotCreate;
    if (const TFat12Result free = CheckNameFree(parent, name, std::nullopt); free != fat12Ok)
        return free;

    const std::uint16_t cluster = AllocateCluster(0);
    if (cluster == 0)
        return fat12DiskFull;
    const SYSTEMTIME now = m_clock();
    std::fill(m_cluster.begin(), m_cluster.end(), 0);
    const TFat12RawEntry self = DotEntry(".", now, cluster);
    const TFat12RawEntry up = DotEntry("..", now, parent == kRoot ? 0 : parent);
    std::copy(self.begin(), self.end(), m_cluster.begin());
    std::copy(up.begin(), up.end(), m_cluster.begin() + TFat12BootSector::kEntrySize);
    TFat12Result result = WriteAt(ClusterOffset(cluster), m_cluster.data(), m_cluster.size()) ? fat12Ok : fat12NotFound;
    if (result == fat12Ok)
        result = PlaceEntries(parent, {Fat12MakeEntry(*shortName, kFat12AttrDirectory, now, cluster)});
    if (result != fat12Ok) {
        m_fat[cluster] = kFat12Free;
        Fat12WriteFat(1);
        return result;
    }
    return WriteBothFats();
}

TFat12Result TFat12Image::Fat12DeleteEntry(const std::string& path)
{
    std::printf("Deleting file %s...\n", path.c_str());
    const std::vector<std::string> parts = SplitPath(path);
    if (parts.empty())
        return fat12EmptyPath;
    // "." and ".." name a directory's own or its parent's chain.
    if (IsDotName(parts.back()))
        return fat12NotFound;
    std::optional<TFound> found = Resolve(path);
    if (!found)
        return fat12NotFound;

    const std::uint16_t first = Fat12EntryCluster(found->entry);
    if (found->entry[11] & kFat12AttrDirectory) {
        if (!Fat12IsNextCluster(first, m_fat.size()))
            return fat12CannotOpenDir;
        std::vector<std::string> children;
        Fat12DirIterator it(*this, first);
        while (it.Next()) {
            const TFat12RawEntry& entry = it.Entry();
            if (entry[0] == kFat12EntryEnd)
                break;
            if (entry[0] == kFat12EntryDeleted || Fat12IsLongNamePart(entry) || (entry[11] & kFat12AttrVolume))
                continue;
            const std::string name = Fat12EntryName(entry);
            if (!IsDotName(name))
                children.push_back(name);
        }
        if (it.Failed())
            return fat12CannotOpenDir;
        for (const std::string& child : children)
            if (const TFat12Result result = Fat12DeleteEntry(path + "\\" + child); result != fat12Ok)
                return result;
    }

    FreeChain(first);
    if (const TFat12Result result = Fat12WriteFat(1); result != fat12Ok)
        return result;
    // The long-name entries go with their short entry.
    const std::uint8_t deleted = kFat12EntryDeleted;
    found->longNameOffsets.push_back(found->offset);
    for (const std::uint64_t offset : found->longNameOffsets)
        if (!WriteAt(offset, &deleted, 1))
            return fat12NotFound;
    return Fat12WriteFat(2);
}
