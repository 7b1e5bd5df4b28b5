// The open-file operations of TFat12Image: open an entry, append, close.
#include <algorithm>
#include <limits>

#include "fmttool/Fat12Image.h"
#include "fmttool/Fat12Table.h"

TFat12Result TFat12Image::Fat12OpenFile(const std::string& path, TFat12File& file)
{
    const std::optional<TFound> found = Resolve(path);
    if (!found || (found->entry[11] & (kFat12AttrDirectory | kFat12AttrVolume)))
        return fat12NotFound;

    TFat12File opened;
    opened.firstCluster = Fat12EntryCluster(found->entry);
    opened.size = Fat12EntrySize(found->entry);
    opened.entryOffset = found->offset;
    const std::uint32_t clusterBytes = m_boot.ClusterBytes();
    if (opened.firstCluster == 0) {
        if (opened.size != 0)
            return fat12NotFound;
    } else {
        // Walk the chain; appending needs a size that ends in its last cluster.
        std::uint64_t clusters = 1;
        std::uint16_t cluster = opened.firstCluster;
        if (!Fat12IsNextCluster(cluster, m_fat.size()))
            return fat12NotFound;
        while (m_fat[cluster] < 0xFF8) {
            if (!Fat12IsNextCluster(m_fat[cluster], m_fat.size()) || clusters >= m_fat.size())
                return fat12NotFound;
            cluster = m_fat[cluster];
            ++clusters;
        }
        const std::uint64_t before = (clusters - 1) * clusterBytes;
        if (opened.size < before || opened.size > before + clusterBytes || (opened.size == before && before != 0))
            return fat12NotFound;
        opened.lastCluster = cluster;
        opened.position = static_cast<std::uint32_t>(opened.size - before);
        opened.full = opened.position == clusterBytes;
    }
    opened.open = true;
    file = opened;
    return fat12Ok;
}

TFat12Result TFat12Image::Fat12WriteFile(const void* data, std::size_t size, std::size_t count, TFat12File& file)
{
    if (!file.open || !m_file)
        return fat12NotFound;
    if (count != 0 && size > std::numeric_limits<std::size_t>::max() / count)
        return fat12BadArgument;
    std::size_t remaining = size * count;
    if (remaining != 0 && !data)
        return fat12BadArgument;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    const std::uint32_t clusterBytes = m_boot.ClusterBytes();
    while (remaining > 0) {
        if (file.firstCluster == 0 || file.full) {
            const std::uint16_t cluster = AllocateCluster(file.lastCluster);
            if (cluster == 0)
                return fat12DiskFull;
            if (file.firstCluster == 0)
                file.firstCluster = cluster;
            file.lastCluster = cluster;
            file.position = 0;
            file.full = false;
        }
        if (!ReadAt(ClusterOffset(file.lastCluster), m_cluster.data(), m_cluster.size()))
            return fat12NotFound;
        const std::size_t piece = std::min<std::size_t>(remaining, clusterBytes - file.position);
        std::copy_n(bytes, piece, m_cluster.begin() + file.position);
        std::fill(m_cluster.begin() + file.position + piece, m_cluster.end(), 0);
        if (!WriteAt(ClusterOffset(file.lastCluster), m_cluster.data(), m_cluster.size()))
            return fat12NotFound;
        bytes += piece;
        remaining -= piece;
        file.position += static_cast<std::uint32_t>(piece);
        file.size += static_cast<std::uint32_t>(piece);
        file.full = file.position == clusterBytes;
    }
    return fat12Ok;
}

TFat12Result TFat12Image::Fat12CloseFile(TFat12File& file)
{
    if (!file.open || !m_file)
        return fat12NotFound;
    file.open = false;
    if (const TFat12Result written = WriteBothFats(); written != fat12Ok)
        return written;
    TFat12RawEntry entry;
    if (!ReadAt(file.entryOffset, entry.data(), entry.size()))
        return fat12NotFound;
    Fat12SetEntryCluster(entry, file.firstCluster);
    Fat12SetEntrySize(entry, file.size);
    return WriteAt(file.entryOffset, entry.data(), entry.size()) ? fat12Ok : fat12NotFound;
}
