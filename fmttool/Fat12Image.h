#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fmttool/Fat12BootSector.h"
#include "fmttool/Fat12DirEntry.h"
#include "fmttool/Fat12Result.h"
#include "fmttool/Fat12ShortNames.h"

// A file of the image opened for appending.
struct TFat12File {
    std::uint16_t firstCluster = 0;  // 0 until the first byte is written
    std::uint16_t lastCluster = 0;
    std::uint32_t size = 0;
    std::uint32_t position = 0;  // within the last cluster
    bool full = false;           // the last cluster holds no more bytes
    std::uint64_t entryOffset = 0;
    bool open = false;
};

// One FAT12 volume image open for editing: the file, its boot sector and its
// whole first FAT in memory. Paths inside the image use "\" between
// components; names compare with the short names as read back, letters
// without regard to case.
class TFat12Image {
public:
    explicit TFat12Image(TFat12Clock clock = civil::LocalNow);
    ~TFat12Image();  // closes an open image, both FATs written
    TFat12Image(const TFat12Image&) = delete;
    TFat12Image& operator=(const TFat12Image&) = delete;

    // Opens for reading and writing (closing one that is open) -> 0, 3 when
    // the file cannot be opened or holds no volume this builder serves, 4.
    TFat12Result Fat12OpenImage(const std::string& path);
    // Writes FAT 1 and FAT 2 from memory and closes the file.
    TFat12Result Fat12CloseImage();
    bool IsOpen() const { return m_file != nullptr; }

    // Adds the file or folder path (relative to folder, "/" between its
    // components) with everything below it. Each component takes the short
    // name made for it in its PC folder; files keep their PC name as long
    // name. Links to folders are never followed; only regular files and
    // folders are added. An empty or absolute path, one with "..", or one
    // that does not exist -> 1.
    TFat12Result Fat12AddFile(const std::string& path, const std::filesystem::path& folder = ".");

    // A new empty file entry (attribute 0x20, no cluster until written).
    TFat12Result Fat12CreateEntry(const std::string& directory, const std::string& shortName,
                                  const std::optional<std::string>& longName = std::nullopt);
    TFat12Result Fat12MakeDirectory(const std::string& directory, const std::string& name);
    // Deletes a file, or a directory with everything in it.
    TFat12Result Fat12DeleteEntry(const std::string& path);

    TFat12Result Fat12OpenFile(const std::string& path, TFat12File& file);
    // Appends size x count bytes.
    TFat12Result Fat12WriteFile(const void* data, std::size_t size, std::size_t count, TFat12File& file);
    TFat12Result Fat12CloseFile(TFat12File& file);

    // The lowest free cluster, 0 when the volume is full.
    std::uint16_t Fat12FindFreeCluster() const;
    // The first cluster of a directory, 1 for the root, 0 when not found.
    std::uint16_t Fat12LookupDirectory(const std::string& path) const;
    TFat12Result Fat12ReadFat();
    TFat12Result Fat12WriteFat(int copy);

    const TFat12BootSector& BootSector() const { return m_boot; }
    // FAT entries in use: clusters + 2.
    std::uint32_t FatEntries() const { return static_cast<std::uint32_t>(m_fat.size()); }
    std::uint16_t FatEntry(std::uint32_t cluster) const { return cluster < m_fat.size() ? m_fat[cluster] : 0; }
    // Sets an entry in memory (BadClusterMark, for instance); written with the FATs.
    void SetFatEntry(std::uint32_t cluster, std::uint16_t value);

    std::uint64_t ClusterOffset(std::uint16_t cluster) const;
    bool ReadAt(std::uint64_t offset, void* data, std::size_t length) const;
    bool WriteAt(std::uint64_t offset, const void* data, std::size_t length);

private:
    struct TFound {
        TFat12RawEntry entry{};
        std::uint64_t offset = 0;
        std::vector<std::uint64_t> longNameOffsets;
    };

    std::optional<TFound> FindEntry(std::uint16_t directory, const std::string& name) const;
    std::optional<TFound> Resolve(const std::string& path, std::uint16_t* parent = nullptr) const;
    TFat12Result CheckNameFree(std::uint16_t directory, const std::string& shortName,
                               const std::optional<std::string>& longName) const;
    TFat12Result PlaceEntries(std::uint16_t directory, const std::vector<TFat12RawEntry>& entries);
    std::uint16_t AllocateCluster(std::uint16_t linkFrom);
    void FreeChain(std::uint16_t first);
    bool ZeroCluster(std::uint16_t cluster);
    TFat12Result WriteBothFats();
    TFat12Result AddPcEntry(const std::filesystem::path& pcPath, const std::string& imagePath);
    TFat12Result AddPcFile(const std::filesystem::path& pcPath, const std::string& imagePath);
    TFat12Result MakeDirectories(const std::string& imagePath);

    TFat12Clock m_clock;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> m_file{nullptr, &std::fclose};
    TFat12BootSector m_boot;
    std::vector<std::uint16_t> m_fat;
    std::vector<std::uint8_t> m_cluster;  // one cluster, for file writes
    TFat12ShortNames m_shortNames;
};
