// A FAT12 volume image from the input, opened, walked directory by
// directory with the iterator, and the first directories found looked up
// again by their paths. A boot sector that claims more sectors than the input holds has
// the file grown with zeros up to them (within a bound), so short inputs
// reach the walk.
#include <QFile>
#include <QString>
#include <cstdint>
#include <set>
#include <string>

#include "fmttool/Fat12BootSector.h"
#include "fmttool/Fat12DirIterator.h"
#include "fmttool/Fat12Image.h"
#include "platform/SystemTime.h"
#include "tests/fuzz/FuzzFiles.h"

namespace {

constexpr std::uint64_t kMaxVolumeBytes = 4 << 20;
constexpr int kMaxDepth = 8;
// Each lookup walks the path from the root again, one read per directory
// sector; the first few reach every path of it, more only cost time.
constexpr int kMaxLookups = 4;

void Walk(TFat12Image& image, std::uint16_t directory, const std::string& path, int depth,
          std::set<std::uint16_t>& seen, int& lookups)
{
    if (depth > kMaxDepth || !seen.insert(directory).second)
        return;
    Fat12DirIterator it(image, directory);
    while (it.Next()) {
        const TFat12RawEntry& entry = it.Entry();
        if (Fat12IsLongNamePart(entry) || !(Fat12EntryAttribute(entry) & kFat12AttrDirectory))
            continue;
        const std::string name = Fat12EntryName(entry);
        if (name.empty() || name == "." || name == "..")
            continue;
        const std::string child = path.empty() ? name : path + "\\" + name;
        if (lookups-- > 0)
            image.Fat12LookupDirectory(child);
        Walk(image, Fat12EntryCluster(entry), child, depth + 1, seen, lookups);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = WriteFuzzFile(QStringLiteral("volume.img"), data, size);
    if (size >= TFat12BootSector::kSize) {
        const TFat12BootSector boot = TFat12BootSector::Parse(data);
        const std::uint64_t claimed = std::uint64_t{boot.totalSectors} * boot.bytesPerSector;
        if (claimed > size && claimed <= kMaxVolumeBytes)
            QFile::resize(path, static_cast<qint64>(claimed));
    }
    TFat12Image image([] { return SYSTEMTIME{2024, 5, 0, 17, 12, 30, 0, 0}; });
    if (image.Fat12OpenImage(path.toStdString()) != fat12Ok)
        return 0;
    std::set<std::uint16_t> seen;
    int lookups = kMaxLookups;
    Walk(image, 1, "", 0, seen, lookups);
    image.Fat12FindFreeCluster();
    image.Fat12LookupDirectory("NO\\SUCH\\DIR");
    return 0;
}
