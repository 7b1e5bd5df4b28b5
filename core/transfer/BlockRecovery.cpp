#include "core/transfer/BlockRecovery.h"

#include <QDir>
#include <algorithm>
#include <vector>

#include "core/flash/BlockHeader.h"
#include "core/flash/PageReads.h"
#include "core/flash/PageWrites.h"
#include "core/protocol/DebugLog.h"
#include "core/protocol/RecXchange.h"
#include "core/transfer/BlockOwner.h"
#include "localizer/LangFormat.h"

namespace {

using TBytes = std::span<const std::uint8_t>;

bool Erased(TBytes bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0xFF; });
}

bool Same(TBytes a, TBytes b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

bool ReadsBackAs(const TFlashGeometry& geometry, std::uint32_t block, TBytes data)
{
    std::vector<std::uint8_t> back(geometry.BlockBytes());
    ReadBlock(geometry, back.data(), block);
    return Same(back, data);
}

// Erased, or cut while it was written: each page erased or the saved one.
bool HalfWritten(const TFlashGeometry& geometry, TBytes now, TBytes saved)
{
    for (std::uint64_t at = 0; at < now.size(); at += geometry.PageSize) {
        const TBytes page = now.subspan(at, geometry.PageSize);
        if (!Erased(page) && !Same(page, saved.subspan(at, geometry.PageSize)))
            return false;
    }
    return true;
}

// The block before its status change: that rewrites only the three header
// copies at the start of the first page, from one voted header whose status
// bits (byte 11, bits 7-6) and CRC changed. All else is the saved block.
bool OldBlock(TBytes now, TBytes saved)
{
    constexpr std::size_t kCopies = TBlockHeader::kCopiesSize;
    if (!Same(now.subspan(kCopies), saved.subspan(kCopies)))
        return false;
    const TBlockHeader before = TBlockHeader::Vote(now.data());
    const TBlockHeader after = TBlockHeader::Vote(saved.data());
    if (!before.IsCrcValid())
        return false;
    constexpr std::size_t kStatusByte = 11;
    constexpr std::size_t kCrcByte = 18;
    for (std::size_t i = 0; i < kCrcByte; ++i) {
        const std::uint8_t mask = i == kStatusByte ? TBlockHeader::kVasMask : 0xFF;
        if ((before.Bytes[i] & mask) != (after.Bytes[i] & mask))
            return false;
    }
    return true;
}

bool Carries(const TBlockHeader& onFlash, const TBlockHeader& listed)
{
    return onFlash.IsOwned() && SameOwner(onFlash, listed, TBlockOwnerKind::Recording);
}

// Another block with the saved block's owner, time and sequence: the
// recording's first block is whole elsewhere (the file names a wrong block).
bool FirstBlockElsewhere(const TFlashGeometry& geometry, std::uint32_t block, const TBlockHeader& wanted)
{
    std::vector<TBlockHeader> headers(kHeadersPerRead);
    const std::uint32_t total = geometry.TotalBlocks();
    for (std::uint32_t first = geometry.FirstDataBlock; first < total; first += kHeadersPerRead) {
        const auto count = static_cast<std::uint16_t>(std::min<std::uint32_t>(kHeadersPerRead, total - first));
        ReadBlockHeaders(geometry, headers.data(), first, count);
        for (std::uint16_t i = 0; i < count; ++i)
            if (first + i != block && Carries(headers[i], wanted))
                return true;
    }
    return false;
}

bool NextBlockGone(const TFlashGeometry& geometry, const TBlockRecoveryData& saved)
{
    if (!saved.NextBlock)
        return false;
    const std::uint32_t next = *saved.NextBlock;
    if (next < geometry.FirstDataBlock || next >= geometry.TotalBlocks())
        return true;
    TBlockHeader onFlash;
    ReadBlockHeaders(geometry, &onFlash, next, 1);
    return !Carries(onFlash, saved.NextHeader);
}

bool SameGeometry(const TFlashGeometry& a, const TFlashGeometry& b)
{
    return a.ChipCount == b.ChipCount && a.BlocksPerChip == b.BlocksPerChip && a.PagesPerBlock == b.PagesPerBlock &&
           a.PageSize == b.PageSize && a.FirstDataBlock == b.FirstDataBlock;
}

// The file is of this recorder (its name and its content) and this flash.
bool OfThisFlash(const TBlockRecoveryData& saved, const QString& path, const QString& serial,
                 const TFlashGeometry& geometry)
{
    const std::optional<TRecoveryName> name = ParseBlockRecoveryName(path);
    return name && name->Block == saved.Block && name->SafeSerial == SafeRecoverySerial(serial) &&
           saved.Serial == StoredRecoverySerial(serial) && SameGeometry(saved.Geometry, geometry) &&
           saved.Block >= geometry.FirstDataBlock && saved.Block < geometry.TotalBlocks() &&
           saved.Data.size() == geometry.BlockBytes();
}

QString FaultText(TRecoveryFileFault fault)
{
    switch (fault) {
    case TRecoveryFileFault::NotRegular:
        return LangConst(QStringLiteral("RecoveryNotRegularStr"));
    case TRecoveryFileFault::WrongSize:
        return LangConst(QStringLiteral("RecoveryWrongSizeStr"));
    case TRecoveryFileFault::Unreadable:
        return LangConst(QStringLiteral("RecoveryUnreadableStr"));
    case TRecoveryFileFault::Damaged:
    case TRecoveryFileFault::None:
        break;
    }
    return LangConst(QStringLiteral("RecoveryDamagedStr"));
}

QString TraceText(TRewriteTrace trace)
{
    switch (trace) {
    case TRewriteTrace::FirstElsewhere:
        return LangConst(QStringLiteral("RecoveryBlockElsewhereStr"));
    case TRewriteTrace::NextGone:
        return LangConst(QStringLiteral("RecoveryNextBlockGoneStr"));
    case TRewriteTrace::OtherData:
    case TRewriteTrace::Finished:
    case TRewriteTrace::Interrupted:
        break;
    }
    return LangConst(QStringLiteral("RecoveryOtherDataStr"));
}

QString Native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString KeepAside(const QString& path, std::uint16_t record, const QString& reason)
{
    const QString aside = SetBlockRecoveryAside(path);
    DebugLog(QStringLiteral("Recovery file %1 not used (%2); kept as %3").arg(path, reason, aside));
    return LangConstFormat(QStringLiteral("RecoveryCopyKeptStr"), QString::number(record), reason, Native(aside));
}

// One file: the text for the user, none when it only went.
std::optional<QString> HealOne(std::uint32_t connectType, const TFlashGeometry& geometry, const QString& serial,
                               const QString& path)
{
    const TLoadedRecovery loaded = LoadBlockRecovery(path, geometry);
    if (!loaded.Data) {
        const QString aside = SetBlockRecoveryAside(path);
        DebugLog(QStringLiteral("Recovery file %1 not read; kept as %2").arg(path, aside));
        return LangConstFormat(QStringLiteral("RecoveryFileSetAsideStr"), Native(path), FaultText(loaded.Fault),
                               Native(aside));
    }
    const TBlockRecoveryData& saved = *loaded.Data;
    if (!OfThisFlash(saved, path, serial, geometry))
        return KeepAside(path, saved.Record, LangConst(QStringLiteral("RecoveryOtherFlashStr")));
    const TRewriteTrace trace = TraceRewrite(geometry, saved);
    if (trace == TRewriteTrace::Finished) {
        RemoveBlockRecovery(path);
        return std::nullopt;
    }
    if (trace != TRewriteTrace::Interrupted)
        return KeepAside(path, saved.Record, TraceText(trace));
    DebugLog(QStringLiteral("Writing block %1 back from %2").arg(saved.Block).arg(path));
    if (!RewriteBlock(connectType, geometry, saved.Block, saved.Data)) {
        DebugLog(QStringLiteral("Block %1 did not read back as written; kept for the next connect").arg(saved.Block));
        return LangConstFormat(QStringLiteral("RecordNotRepairedStr"), QString::number(saved.Record), Native(path));
    }
    RemoveBlockRecovery(path);
    return LangConstFormat(QStringLiteral("RecordRepairedStr"), QString::number(saved.Record));
}

}  // namespace

bool RewriteBlock(std::uint32_t connectType, const TFlashGeometry& geometry, std::uint32_t block, TBytes data)
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

TRewriteTrace TraceRewrite(const TFlashGeometry& geometry, const TBlockRecoveryData& saved)
{
    std::vector<std::uint8_t> now(geometry.BlockBytes());
    ReadBlock(geometry, now.data(), saved.Block);
    if (Same(now, saved.Data))
        return TRewriteTrace::Finished;
    if (!HalfWritten(geometry, now, saved.Data) && !OldBlock(now, saved.Data))
        return TRewriteTrace::OtherData;
    if (FirstBlockElsewhere(geometry, saved.Block, TBlockHeader::Vote(saved.Data.data())))
        return TRewriteTrace::FirstElsewhere;
    if (NextBlockGone(geometry, saved))
        return TRewriteTrace::NextGone;
    return TRewriteTrace::Interrupted;
}

QStringList HealBlockRewrites(std::uint32_t connectType, const TFlashGeometry& geometry, const QString& serial)
{
    QStringList told;
    for (const QString& path : BlockRecoveryFiles(serial))
        if (const std::optional<QString> text = HealOne(connectType, geometry, serial, path))
            told.append(*text);
    return told;
}
