#include "fmttool/Fat12BootSector.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "fmttool/Fat12Table.h"

namespace {

void Put16(std::uint8_t* out, std::uint16_t value)
{
    out[0] = static_cast<std::uint8_t>(value);
    out[1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::uint8_t* out, std::uint32_t value)
{
    Put16(out, static_cast<std::uint16_t>(value));
    Put16(out + 2, static_cast<std::uint16_t>(value >> 16));
}

std::uint16_t Get16(const std::uint8_t* in)
{
    return static_cast<std::uint16_t>(in[0] | in[1] << 8);
}

std::uint32_t Get32(const std::uint8_t* in)
{
    return Get16(in) | static_cast<std::uint32_t>(Get16(in + 2)) << 16;
}

std::uint32_t CeilDiv(std::uint32_t a, std::uint32_t b)
{
    return (a + b - 1) / b;
}

bool IsServedSectorSize(std::uint32_t bytesPerSector)
{
    return bytesPerSector >= TFat12BootSector::kSize && bytesPerSector <= TFat12BootSector::kClusterBytes &&
           TFat12BootSector::kClusterBytes % bytesPerSector == 0;
}

}  // namespace

void TFat12BootSector::Serialize(std::uint8_t* out) const
{
    std::fill(out, out + kSize, 0);
    std::copy(jump.begin(), jump.end(), out);
    std::copy(oemName.begin(), oemName.end(), out + 3);
    Put16(out + 11, bytesPerSector);
    out[13] = sectorsPerCluster;
    Put16(out + 14, reservedSectors);
    out[16] = fatCount;
    Put16(out + 17, rootEntries);
    Put16(out + 19, totalSectors);
    out[21] = media;
    Put16(out + 22, sectorsPerFat);
    Put16(out + 24, sectorsPerTrack);
    Put16(out + 26, heads);
    Put32(out + 28, hiddenSectors);
    Put32(out + 32, totalSectors32);
    out[36] = driveNumber;
    out[38] = bootSignature;
    Put32(out + 39, serialNumber);
    std::copy(volumeLabel.begin(), volumeLabel.end(), out + 43);
    std::copy(fsType.begin(), fsType.end(), out + 54);
    out[510] = 0x55;
    out[511] = 0xAA;
}

TFat12BootSector TFat12BootSector::Parse(const std::uint8_t* in)
{
    TFat12BootSector boot;
    std::copy(in, in + 3, boot.jump.begin());
    std::copy(in + 3, in + 11, boot.oemName.begin());
    boot.bytesPerSector = Get16(in + 11);
    boot.sectorsPerCluster = in[13];
    boot.reservedSectors = Get16(in + 14);
    boot.fatCount = in[16];
    boot.rootEntries = Get16(in + 17);
    boot.totalSectors = Get16(in + 19);
    boot.media = in[21];
    boot.sectorsPerFat = Get16(in + 22);
    boot.sectorsPerTrack = Get16(in + 24);
    boot.heads = Get16(in + 26);
    boot.hiddenSectors = Get32(in + 28);
    boot.totalSectors32 = Get32(in + 32);
    boot.driveNumber = in[36];
    boot.bootSignature = in[38];
    boot.serialNumber = Get32(in + 39);
    std::copy(in + 43, in + 54, boot.volumeLabel.begin());
    std::copy(in + 54, in + 62, boot.fsType.begin());
    return boot;
}

bool TFat12BootSector::IsServed() const
{
    if (!IsServedSectorSize(bytesPerSector) || sectorsPerCluster == 0 || fatCount != 2 || reservedSectors == 0 ||
        sectorsPerFat == 0 || rootEntries == 0 || rootEntries % (bytesPerSector / kEntrySize) != 0)
        return false;
    if (totalSectors <= FirstDataSector())
        return false;
    const std::uint32_t entries = FatEntries();
    return entries >= 3 && entries - 2 <= kMaxClusters &&
           Fat12PackedBytes(entries) <= static_cast<std::size_t>(sectorsPerFat) * bytesPerSector;
}

TFat12Result Fat12BuildBootSector(TFat12BootSector& boot, std::uint32_t bytesPerSector, std::uint32_t totalSectors)
{
    if (!IsServedSectorSize(bytesPerSector) || totalSectors > 0xFFFF)
        return fat12BadArgument;
    const std::uint32_t s = bytesPerSector;
    const std::uint32_t n = totalSectors;
    const std::uint32_t c = TFat12BootSector::kClusterBytes / s;
    const std::uint32_t r = TFat12BootSector::kRootEntries / (s / TFat12BootSector::kEntrySize);
    if (n < r + 2 + c)
        return fat12BadArgument;

    const std::uint32_t m = (n - r - 2) / c + 2;
    const std::uint32_t f1 = CeilDiv(static_cast<std::uint32_t>(Fat12PackedBytes(m)), s);
    std::uint32_t f = CeilDiv(static_cast<std::uint32_t>(Fat12PackedBytes(m - std::min(m, f1))), s);
    std::uint32_t reserved = 0;
    std::uint32_t entries = 0;
    // The estimate can fall one sector short: grow the FAT until every
    // entry in use fits in it.
    for (;; ++f) {
        reserved = 2;
        while ((r + reserved + 2 * f) % c != 0)
            ++reserved;
        const std::uint32_t firstData = reserved + 2 * f + r;
        if (n <= firstData + c - 1)
            return fat12BadArgument;
        entries = (n - firstData) / c + 2;
        if (Fat12PackedBytes(entries) <= static_cast<std::size_t>(f) * s)
            break;
    }
    if (entries - 2 > TFat12BootSector::kMaxClusters)
        return fat12BadArgument;

    TFat12BootSector built;
    built.bytesPerSector = static_cast<std::uint16_t>(s);
    built.sectorsPerCluster = static_cast<std::uint8_t>(c);
    built.reservedSectors = static_cast<std::uint16_t>(reserved);
    built.totalSectors = static_cast<std::uint16_t>(n);
    built.sectorsPerFat = static_cast<std::uint16_t>(f);
    boot = built;
    return fat12Ok;
}

TFat12Result Fat12CreateImage(const std::string& path, const TFat12BootSector& boot)
{
    if (path.empty())
        return fat12EmptyPath;
    if (!boot.IsServed())
        return fat12BadArgument;
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file)
        return fat12NotFound;

    const std::uint32_t s = boot.bytesPerSector;
    std::vector<std::uint8_t> zero(s, 0);
    std::vector<std::uint8_t> first(s, 0);
    boot.Serialize(first.data());
    std::vector<std::uint8_t> fatStart(s, 0);
    fatStart[0] = boot.media;
    fatStart[1] = 0xFF;
    fatStart[2] = 0xFF;

    bool ok = true;
    for (std::uint32_t sector = 0; sector < boot.totalSectors && ok; ++sector) {
        const std::uint8_t* data = zero.data();
        if (sector == 0)
            data = first.data();
        else if (sector == boot.FirstFatSector() || sector == boot.FirstFatSector() + boot.sectorsPerFat)
            data = fatStart.data();
        ok = std::fwrite(data, 1, s, file.get()) == s;
    }
    return ok && std::fflush(file.get()) == 0 ? fat12Ok : fat12NotFound;
}
