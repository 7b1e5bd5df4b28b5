#include "core/transfer/BlockRecovery.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include "core/flash/BlockHeader.h"
#include "core/flash/PageReads.h"
#include "core/flash/PageWrites.h"
#include "core/protocol/DebugLog.h"
#include "core/protocol/RecXchange.h"
#include "core/settings/AtomicFile.h"
#include "core/settings/MainSettingsFile.h"
#include "core/settings/StagedFile.h"
#include "localizer/LangFormat.h"

namespace {

constexpr char kMagic[8] = {'T', 'V', 'X', 'B', 'L', 'K', '0', '1'};
constexpr std::size_t kHead = sizeof(kMagic) + 4 + 4 + 2;  // magic, block, length, record
constexpr char kSuffix[] = ".blk";

void PutU32(QByteArray& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.append(static_cast<char>(value >> (8 * i)));
}

std::uint32_t GetU32(const QByteArray& in, qsizetype at)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(in[at + i])) << (8 * i);
    return value;
}

std::uint32_t CrcOf(const char* data, qsizetype length)
{
    return static_cast<std::uint32_t>(
        ::crc32(::crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(data), static_cast<uInt>(length)));
}

QString RecoveryFolder()
{
    return QFileInfo(SettingsFilePath()).absolutePath();
}

// Serial numbers are digits; anything else in one stays out of file names.
QString SafeSerial(const QString& serial)
{
    QString safe;
    for (const QChar c : serial)
        safe.append(c.isLetterOrNumber() ? c : QLatin1Char('_'));
    return safe.isEmpty() ? QStringLiteral("unknown") : safe;
}

void SyncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

bool ReadsBackAs(const TFlashGeometry& geometry, std::uint32_t block, std::span<const std::uint8_t> data)
{
    std::vector<std::uint8_t> back(geometry.BlockBytes());
    ReadBlock(geometry, back.data(), block);
    return back.size() == data.size() && std::equal(back.begin(), back.end(), data.begin());
}

}  // namespace

QString BlockRecoveryPath(const QString& serial, std::uint32_t block)
{
    return RecoveryFolder() + QLatin1Char('/') + SafeSerial(serial) + QLatin1Char('-') + QString::number(block) +
           QLatin1String(kSuffix);
}

void SaveBlockRecovery(const TBlockRecoveryData& data)
{
    QByteArray bytes(kMagic, sizeof(kMagic));
    PutU32(bytes, data.Block);
    PutU32(bytes, static_cast<std::uint32_t>(data.Data.size()));
    bytes.append(static_cast<char>(data.Record));
    bytes.append(static_cast<char>(data.Record >> 8));
    bytes.append(reinterpret_cast<const char*>(data.Data.data()), static_cast<qsizetype>(data.Data.size()));
    PutU32(bytes, CrcOf(bytes.constData(), bytes.size()));
    const QString path = BlockRecoveryPath(data.Serial, data.Block);
    QDir().mkpath(RecoveryFolder());
    if (!WriteFileAtomically(path, bytes))
        throw EFileWriteError(path, errno);
    SyncFolder(RecoveryFolder());
}

std::optional<TBlockRecoveryData> LoadBlockRecovery(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (bytes.size() < static_cast<qsizetype>(kHead + 4) || !bytes.startsWith(QByteArray(kMagic, sizeof(kMagic))))
        return std::nullopt;
    const std::uint32_t length = GetU32(bytes, sizeof(kMagic) + 4);
    if (static_cast<std::uint64_t>(bytes.size()) != kHead + std::uint64_t{length} + 4)
        return std::nullopt;
    if (CrcOf(bytes.constData(), bytes.size() - 4) != GetU32(bytes, bytes.size() - 4))
        return std::nullopt;
    TBlockRecoveryData data;
    const QString name = QFileInfo(path).completeBaseName();
    data.Serial = name.left(name.lastIndexOf(QLatin1Char('-')));
    data.Block = GetU32(bytes, sizeof(kMagic));
    data.Record = static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[kHead - 2]) |
                                             static_cast<std::uint8_t>(bytes[kHead - 1]) << 8);
    const auto* at = reinterpret_cast<const std::uint8_t*>(bytes.constData()) + kHead;
    data.Data.assign(at, at + length);
    return data;
}

void RemoveBlockRecovery(const QString& serial, std::uint32_t block)
{
    QFile::remove(BlockRecoveryPath(serial, block));
    SyncFolder(RecoveryFolder());
}

QStringList BlockRecoveryFiles(const QString& serial)
{
    const QDir folder(RecoveryFolder());
    QStringList paths;
    for (const QString& name : folder.entryList({SafeSerial(serial) + QStringLiteral("-*") + QLatin1String(kSuffix)},
                                                QDir::Files, QDir::Name))
        paths.append(folder.filePath(name));
    return paths;
}

bool RewriteBlock(std::uint32_t connectType, const TFlashGeometry& geometry, std::uint32_t block,
                  std::span<const std::uint8_t> data)
{
    // NAND takes a write only onto an erased block.
    EraseBlock(block);
    try {
        WriteBlock(connectType, geometry, block, data.data());
    } catch (const TERecXchange&) {
        DebugLog(QStringLiteral("Writing block %1 again").arg(block));
        WriteBlock(connectType, geometry, block, data.data());
    }
    return ReadsBackAs(geometry, block, data);
}

QStringList HealBlockRewrites(std::uint32_t connectType, const TFlashGeometry& geometry, const QString& serial)
{
    QStringList repaired;
    for (const QString& path : BlockRecoveryFiles(serial)) {
        const std::optional<TBlockRecoveryData> saved = LoadBlockRecovery(path);
        if (!saved || saved->Data.size() != geometry.BlockBytes() || saved->Block < geometry.FirstDataBlock ||
            saved->Block >= geometry.TotalBlocks()) {
            DebugLog(QStringLiteral("Recovery file %1 is damaged or of another flash; left alone").arg(path));
            continue;
        }
        if (ReadsBackAs(geometry, saved->Block, saved->Data)) {
            QFile::remove(path);
            continue;
        }
        // The block as it is now: erased, half-written or the old one are
        // ours to write back; a valid header of another item is not.
        std::vector<std::uint8_t> now(geometry.BlockBytes());
        ReadBlock(geometry, now.data(), saved->Block);
        const TBlockHeader header = TBlockHeader::Vote(now.data());
        const TBlockHeader wanted = TBlockHeader::Vote(saved->Data.data());
        if (header.IsOwned() && (header.Owner() != wanted.Owner() || header.Time() != wanted.Time() ||
                                 header.Sequence() != wanted.Sequence())) {
            DebugLog(QStringLiteral("Block %1 belongs to another item now; recovery file %2 dropped")
                         .arg(saved->Block)
                         .arg(path));
            QFile::remove(path);
            continue;
        }
        DebugLog(QStringLiteral("Writing block %1 back from %2").arg(saved->Block).arg(path));
        if (!RewriteBlock(connectType, geometry, saved->Block, saved->Data)) {
            DebugLog(
                QStringLiteral("Block %1 did not read back as written; kept for the next connect").arg(saved->Block));
            continue;
        }
        QFile::remove(path);
        repaired.append(LangConstFormat(QStringLiteral("RecordRepairedStr"), QString::number(saved->Record)));
    }
    if (!repaired.isEmpty())
        SyncFolder(RecoveryFolder());
    return repaired;
}
