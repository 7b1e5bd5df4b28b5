#include "core/transfer/DriveFileJobs.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <set>
#include <stdexcept>

#include "core/flash/BlockHeader.h"
#include "core/flash/BlockList.h"
#include "core/flash/DriveFileInfo.h"
#include "core/flash/DriveFileLayout.h"
#include "core/flash/DriveFileList.h"
#include "core/flash/PageReads.h"
#include "core/flash/PageWrites.h"
#include "core/protocol/NandEcc.h"
#include "core/protocol/RecorderClock.h"
#include "core/recorder/MessageBoxCodes.h"
#include "core/recorder/RecorderHost.h"
#include "core/recorder/RecorderJobContext.h"
#include "core/recorder/RecorderJobs.h"
#include "localizer/LangConst.h"

namespace dl = drive_layout;

namespace {

std::uint8_t Percent(std::uint64_t done, std::uint64_t total)
{
    return static_cast<std::uint8_t>(total == 0 ? 100 : done * 100 / total);
}

// Reads up to count bytes; fewer only at the end of the file.
std::size_t ReadSource(HANDLE source, std::uint8_t* out, std::size_t count)
{
    std::size_t got = 0;
    while (got < count) {
        const ssize_t n = ::read(source, out + got, count - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw std::runtime_error("Reading the source file failed.");
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    return got;
}

bool WriteTarget(HANDLE target, const std::uint8_t* data, std::size_t count)
{
    while (count > 0) {
        const ssize_t n = ::write(target, data, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        count -= static_cast<std::size_t>(n);
    }
    return true;
}

// Data bytes into a page's first D bytes, then the chunks' ECC: the last
// chunk covers the other chunks' ECC and its own, still erased.
void EncodePage(std::uint8_t* page, std::uint32_t pageSize, const std::uint8_t* data)
{
    const std::uint32_t k = dl::Chunks(pageSize);
    std::copy_n(data, dl::PageData(pageSize), page);
    for (std::uint32_t c = 0; c < k; ++c)
        NandEccCalculate(page + dl::EccOffset(pageSize, c), page + dl::kChunkBytes * c);
}

// Checks and corrects one page in place; false after an uncorrectable error.
bool CheckPage(std::uint8_t* page, std::uint32_t pageSize)
{
    const std::uint32_t k = dl::Chunks(pageSize);
    std::vector<std::uint8_t> stored(page + dl::EccOffset(pageSize, 0), page + dl::EccOffset(pageSize, k));
    // An erased ECC area: the page was never written by a drive-file writer.
    if (std::all_of(stored.begin(), stored.end(), [](std::uint8_t b) { return b == 0xFF; }))
        return true;
    std::uint8_t* lastEcc = page + dl::EccOffset(pageSize, k - 1);
    std::fill_n(lastEcc, dl::kEccBytes, std::uint8_t{0xFF});
    bool good = true;
    for (std::uint32_t c = 0; c < k; ++c) {
        std::uint8_t* chunk = page + dl::kChunkBytes * c;
        std::uint8_t computed[dl::kEccBytes];
        NandEccCalculate(computed, chunk);
        std::uint32_t index = 0;
        std::uint8_t value = 0;
        const int result = NandEccCorrect(stored.data() + dl::kEccBytes * c, computed, chunk, &index, &value);
        if (result == NandEccNoError)
            continue;
        if (result == NandEccDataCorrected) {
            chunk[index] = value;
            continue;
        }
        const bool valueError = result == NandEccEccError;
        RecorderHost().AppMessageBox(valueError ? QStringLiteral("ECC VALUE ERROR")
                                                : QStringLiteral("ECC UNCORRECTABLE ERROR"),
                                     MB_OK | MB_ICONERROR, QString());
        if (valueError)
            continue;
        good = false;
        if (result == NandEccUncorrectable)
            break;
    }
    return good;
}

// Erases the blocks written so far; a link that fails again leaves the rest.
void EraseWritten(const std::vector<std::uint32_t>& blocks, std::size_t count)
{
    try {
        for (std::size_t i = 0; i < count; ++i)
            EraseBlock(blocks[i]);
    } catch (...) {
    }
}

}  // namespace

std::optional<std::uint16_t> NewDriveFileNumber(const TCustomDriveFileList& files)
{
    std::set<std::uint16_t> used;
    for (int i = 0; i < files.Count(); ++i)
        used.insert(files.Item(i)->Number);
    for (std::uint32_t number = dl::kFirstNumber; number <= dl::kLastNumber; ++number)
        if (!used.contains(static_cast<std::uint16_t>(number)))
            return static_cast<std::uint16_t>(number);
    return std::nullopt;
}

QString CutDriveFileName(const QString& name, std::uint32_t pageSize)
{
    const qsizetype byPage = pageSize > 65 ? qsizetype{pageSize} - 65 : 0;
    qsizetype units = std::min({name.size(), byPage, qsizetype{dl::MaxNameUnits(pageSize)}});
    if (units > 0 && units < name.size() && name.at(units - 1).isHighSurrogate())
        --units;
    return name.left(units);
}

bool DriveNameFits(const QString& name, std::uint32_t pageSize)
{
    return CutDriveFileName(name, pageSize).size() == name.size();
}

EDriveNameTooLong::EDriveNameTooLong(const QString& name)
    : std::runtime_error((LangConst(QStringLiteral("DriveNameTooLongStr")) + QLatin1Char(' ') + name).toStdString()),
      m_name(name)
{
}

TJobOutcome WriteDriveFile(const TDriveUploadRequest& request, std::atomic<std::uint8_t>& progress,
                           const std::atomic<std::uint8_t>& abortFlag)
{
    const TFlashGeometry& g = request.Geometry;
    if (g.PageSize < dl::kChunkBytes || g.PagesPerBlock == 0)
        throw std::invalid_argument("The flash geometry is not known.");
    // A cut name could meet another file's or folder's: refused whole.
    if (!DriveNameFits(request.Name, g.PageSize))
        throw EDriveNameTooLong(request.Name);
    const bool folder = request.Source == INVALID_HANDLE_VALUE;
    std::uint64_t size = 0;
    if (!folder) {
        struct stat info {};
        if (::fstat(request.Source, &info) != 0 || !S_ISREG(info.st_mode))
            throw std::runtime_error("The source is not a file.");
        size = static_cast<std::uint64_t>(info.st_size);
        if (size > dl::kMaxFileSize)
            throw std::runtime_error("Files of 4 GiB or more do not fit the flash drive.");
    }
    const std::uint64_t needed = dl::BlocksNeeded(g, size);
    if (needed > request.FreeBlocks.size())
        throw std::runtime_error("Not enough space on the flash drive.");

    const std::uint32_t p = g.PageSize;
    const std::uint32_t n = g.PagesPerBlock;
    const std::uint32_t d = dl::PageData(p);
    const QString name = CutDriveFileName(request.Name, p);

    TBlockHeader header;
    header.SetOwner(static_cast<std::uint16_t>(dl::kOwnerBit | request.Number));
    header.SetTime(request.Time);
    header.SetDriveFileSize(static_cast<std::uint32_t>(size));
    header.Bytes[12] = folder ? 1 : 0;
    header.Bytes[13] = 0;

    std::vector<std::uint8_t> data(std::size_t{d} * n);
    std::vector<std::uint8_t> block(g.BlockBytes());
    progress.store(0, std::memory_order_relaxed);
    std::size_t i = 0;
    try {
        for (; i < needed; ++i) {
            if (abortFlag.load(std::memory_order_acquire) != 0) {
                EraseWritten(request.FreeBlocks, i);
                return TJobOutcome::Aborted;
            }
            std::fill(data.begin(), data.end(), std::uint8_t{0xFF});
            header.SetDriveSequence(static_cast<std::uint16_t>(i + 1));
            header.UpdateCrc();
            header.WriteCopies(data.data());
            std::uint8_t* area = data.data() + dl::kHeaderArea;
            if (i == 0) {
                std::fill_n(area, d - dl::kHeaderArea, std::uint8_t{0});
                for (qsizetype c = 0; c < name.size(); ++c) {
                    area[2 * c] = static_cast<std::uint8_t>(name.at(c).unicode());
                    area[2 * c + 1] = static_cast<std::uint8_t>(name.at(c).unicode() >> 8);
                }
            } else if (!folder) {
                ReadSource(request.Source, area, d - dl::kHeaderArea);
            }
            if (!folder)
                ReadSource(request.Source, data.data() + d, std::size_t{d} * (n - 1));

            std::fill(block.begin(), block.end(), std::uint8_t{0xFF});
            for (std::uint32_t page = 0; page < n; ++page)
                EncodePage(block.data() + std::size_t{page} * p, p, data.data() + std::size_t{page} * d);
            WriteBlock(request.ConnectType, g, request.FreeBlocks[i], block.data());
            progress.store(Percent(i + 1, needed), std::memory_order_relaxed);
        }
    } catch (...) {
        // The block that failed may hold a part of its pages.
        EraseWritten(request.FreeBlocks, std::min<std::size_t>(i + 1, needed));
        throw;
    }
    return TJobOutcome::Completed;
}

TJobOutcome ReadDriveFile(const TDriveDownloadRequest& request, std::atomic<std::uint8_t>& progress,
                          const std::atomic<std::uint8_t>& abortFlag)
{
    if (!request.File)
        throw std::invalid_argument("No flash-drive file to read.");
    const TFlashGeometry& g = request.Geometry;
    if (g.PageSize < dl::kChunkBytes || g.PagesPerBlock == 0)
        throw std::invalid_argument("The flash geometry is not known.");
    const TDriveFileInfo& file = *request.File;
    const auto size = static_cast<std::uint64_t>(std::max<std::int64_t>(file.Size, 0));
    const int count = file.Blocks->Count();
    // A block the scan dropped would leave a gap in the data.
    if (static_cast<std::uint64_t>(count) != dl::BlocksNeeded(g, size))
        throw std::runtime_error("The flash-drive file's blocks do not match its size.");

    const std::uint32_t p = g.PageSize;
    const std::uint32_t n = g.PagesPerBlock;
    const std::uint32_t d = dl::PageData(p);
    const auto owner = static_cast<std::uint16_t>(dl::kOwnerBit | file.Number);
    std::vector<std::uint8_t> block(g.BlockBytes());
    std::uint64_t written = 0;
    bool uncorrectable = false;
    for (int i = 0; i < count; ++i) {
        if (abortFlag.load(std::memory_order_acquire) != 0)
            return TJobOutcome::Aborted;
        ReadBlock(g, block.data(), file.Blocks->Item(i)->Block);
        const TBlockHeader header = TBlockHeader::Vote(block.data());
        if (!header.IsCrcValid() || header.Owner() != owner || header.DriveSequence() != i + 1)
            throw std::runtime_error("A block of the flash-drive file has a damaged header.");
        for (std::uint32_t page = 0; page < n; ++page)
            if (!CheckPage(block.data() + std::size_t{page} * p, p)) {
                uncorrectable = true;
                break;
            }
        for (std::uint32_t page = 0; page < n && written < size; ++page) {
            if (i == 0 && page == 0)
                continue;  // headers and name
            const std::uint32_t from = page == 0 ? dl::kHeaderArea : 0;
            const auto take = static_cast<std::size_t>(std::min<std::uint64_t>(d - from, size - written));
            if (!WriteTarget(request.Target, block.data() + std::size_t{page} * p + from, take))
                return TJobOutcome::SinkRefused;
            written += take;
        }
        progress.store(Percent(static_cast<std::uint64_t>(i) + 1, static_cast<std::uint64_t>(count)),
                       std::memory_order_relaxed);
    }
    if (::ftruncate(request.Target, static_cast<off_t>(size)) != 0)
        return TJobOutcome::SinkRefused;
    return uncorrectable ? TJobOutcome::Failed : TJobOutcome::Completed;
}

TJobOutcome DriveFileUploadJob(TRecorderJobContext& context)
{
    const auto& params = std::get<TDriveFileUploadJobParams>(context.Params);
    const std::optional<std::uint16_t> number = NewDriveFileNumber(context.Lists.DriveFiles);
    if (!number)
        throw std::runtime_error("No flash-drive file number is left.");
    TDriveUploadRequest request;
    request.Name = params.Name;
    request.Source = params.Source;
    request.Time = SystemTimeToRtc(params.Time);
    request.Number = *number;
    request.ConnectType = context.Snapshot.ConnectType;
    request.Geometry = context.Snapshot.Geometry;
    const TBlockList& free = context.Lists.FreeBlocks;
    for (int i = 0; i < free.Count(); ++i)
        request.FreeBlocks.push_back(free.Item(i)->Block);
    context.SetState(rsWriting);
    return WriteDriveFile(request, context.Progress, context.AbortFlag);
}

TJobOutcome DriveFileDownloadJob(TRecorderJobContext& context)
{
    const auto& params = std::get<TDriveFileDownloadJobParams>(context.Params);
    const TDriveFileList& files = context.Lists.DriveFiles;
    if (params.DriveFileIndex < 0 || params.DriveFileIndex >= files.Count())
        throw std::out_of_range("No flash-drive file has that index.");
    TDriveDownloadRequest request;
    request.File = files.Item(params.DriveFileIndex);
    request.Target = params.Target;
    request.Geometry = context.Snapshot.Geometry;
    return ReadDriveFile(request, context.Progress, context.AbortFlag);
}
