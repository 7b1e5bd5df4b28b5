#include "core/transfer/UploadJournal.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include "core/flash/DriveFileLayout.h"
#include "core/flash/DriveFileList.h"
#include "core/flash/DrivePath.h"
#include "core/flash/SoundFileList.h"
#include "core/protocol/DebugLog.h"
#include "core/protocol/RecorderClock.h"
#include "core/recorder/Recorder.h"
#include "core/settings/AtomicFile.h"
#include "core/settings/FileCalls.h"
#include "core/settings/MainSettingsFile.h"
#include "core/settings/StagedFile.h"
#include "core/transfer/BlockRecoveryFile.h"
#include "localizer/LangFormat.h"

namespace {

constexpr char kMagic[8] = {'T', 'V', 'X', 'U', 'P', 'L', '0', '1'};
constexpr char kSuffix[] = ".tvu";
constexpr char kInfix[] = "-upload-";
// Two paths and a name of a few thousand characters fit many times over.
constexpr qint64 kMostBytes = 64 * 1024;

QString JournalFolder()
{
    return QFileInfo(SettingsFilePath()).absolutePath();
}

// Serial numbers are digits; anything else in one stays out of file names.
std::uint32_t CrcOf(const QByteArray& bytes)
{
    return static_cast<std::uint32_t>(::crc32(::crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(bytes.constData()),
                                              static_cast<uInt>(bytes.size())));
}

// The whole file when it is a regular file of at most kMostBytes; a link,
// a device or a FIFO is not opened through, nor waited on.
std::optional<QByteArray> ReadBounded(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::optional<QByteArray> bytes;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= kMostBytes) {
        QByteArray data(static_cast<qsizetype>(info.st_size), '\0');
        qsizetype got = 0;
        while (got < data.size()) {
            const ssize_t n = ::read(fd, data.data() + got, static_cast<std::size_t>(data.size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += n;
        }
        if (got == data.size())
            bytes = std::move(data);
    }
    ::close(fd);
    return bytes;
}

// Seconds for the message, to the nearest.
qint64 Seconds(std::uint64_t samples, std::uint32_t rate)
{
    return rate ? std::llround(static_cast<double>(samples) / rate) : 0;
}

QString RecordingText(const TUploadJournal& journal, const TSoundFileList& sounds)
{
    const int index = sounds.IndexOfNumber(journal.Record);
    const TSoundFileInfo* found = index >= 0 ? sounds.Item(index) : nullptr;
    if (!found || found->Header.Time() != journal.Stamp)
        return LangConstFormat(QStringLiteral("UploadCutNothingStr"), journal.Source);
    // The listed length is truncated to whole seconds: a whole upload
    // lists at least the whole seconds of its source.
    const std::uint64_t wholeSeconds = journal.Rate ? journal.Total / journal.Rate : 0;
    if (found->Length >= wholeSeconds)
        return {};
    return LangConstFormat(QStringLiteral("UploadCutRecordStr"), journal.Source, QString::number(journal.Record),
                           QString::number(found->Length), QString::number(Seconds(journal.Total, journal.Rate)));
}

// The file's bytes in its blocks of sequence 1, 2, ... present: the first
// block holds data from its page 1, each further one after its header area.
std::uint64_t DriveBytesPresent(const TDriveFileInfo& file, const TFlashGeometry& geometry)
{
    std::uint64_t blocks = 0;
    for (int i = 0; i < file.Blocks->Count(); ++i) {
        if (file.Blocks->Item(i)->Header.DriveSequence() != blocks + 1)
            break;
        ++blocks;
    }
    if (blocks == 0 || geometry.PagesPerBlock == 0)
        return 0;
    const std::uint64_t first = std::uint64_t{drive_layout::PageData(geometry.PageSize)} * (geometry.PagesPerBlock - 1);
    return first + (blocks - 1) * drive_layout::BlockData(geometry);
}

QString DriveFileText(const TUploadJournal& journal, const TDriveFileList& drives, const TFlashGeometry& geometry)
{
    const QString name = TrimBackslashes(journal.DriveName);
    const TDriveFileInfo* found = nullptr;
    for (int i = 0; i < drives.Count() && !found; ++i) {
        const TDriveFileInfo* file = drives.Item(i);
        if (file->Header.Time() == journal.Stamp && TrimBackslashes(file->Name) == name)
            found = file;
    }
    if (!found)
        return LangConstFormat(QStringLiteral("UploadCutNothingStr"), journal.Source);
    const std::uint64_t present = std::min<std::uint64_t>(DriveBytesPresent(*found, geometry), journal.Total);
    if (present >= journal.Total)
        return {};
    return LangConstFormat(QStringLiteral("UploadCutFileStr"), journal.Source, name, QString::number(present),
                           QString::number(journal.Total));
}

}  // namespace

TFlashGeometry KnownFlashGeometry(TCustomRecorder& recorder)
{
    const auto* own = dynamic_cast<const TRecorder*>(&recorder);
    return own ? own->Geometry() : TFlashGeometry{};
}

TUploadJournal RecordingUploadJournal(TCustomRecorder& recorder, const QString& source, std::uint16_t record,
                                      const TWaveSourceFormat& format, const SYSTEMTIME& time, std::int64_t neededBytes)
{
    TUploadJournal journal;
    journal.Kind = TUploadJournal::TKind::Recording;
    journal.Serial = recorder.GetSerialNumber();
    journal.Source = source;
    journal.Record = record;
    journal.Stamp = SystemTimeToRtc(time);
    journal.Total = format.DataBytes / 2;
    journal.Rate = format.SamplesPerSec;
    const TFlashGeometry geometry = KnownFlashGeometry(recorder);
    if (geometry.BlockBytes() > 64 && neededBytes > 0)
        if (const std::uint64_t perBlock = geometry.FreeBytes(1))
            journal.Blocks =
                static_cast<std::uint32_t>((static_cast<std::uint64_t>(neededBytes) + perBlock - 1) / perBlock);
    return journal;
}

TUploadJournal DriveFileUploadJournal(TCustomRecorder& recorder, const QString& source, const QString& storedName,
                                      std::uint64_t size, const SYSTEMTIME& time)
{
    TUploadJournal journal;
    journal.Kind = TUploadJournal::TKind::DriveFile;
    journal.Serial = recorder.GetSerialNumber();
    journal.Source = source;
    journal.DriveName = TrimBackslashes(storedName);
    journal.Stamp = SystemTimeToRtc(time);
    journal.Total = size;
    const TFlashGeometry geometry = KnownFlashGeometry(recorder);
    if (geometry.PageSize >= drive_layout::kChunkBytes && geometry.PagesPerBlock > 0)
        journal.Blocks = static_cast<std::uint32_t>(drive_layout::BlocksNeeded(geometry, size));
    return journal;
}

QString UploadJournalPath(const TUploadJournal& journal)
{
    const QString item =
        journal.Kind == TUploadJournal::TKind::Recording
            ? QStringLiteral("r%1").arg(journal.Record)
            : QStringLiteral("f%1").arg(CrcOf(TrimBackslashes(journal.DriveName).toUtf8()), 8, 16, QLatin1Char('0'));
    return JournalFolder() + QLatin1Char('/') + SafeRecoverySerial(journal.Serial) + QLatin1String(kInfix) + item +
           QLatin1String(kSuffix);
}

void SaveUploadJournal(const TUploadJournal& journal)
{
    QByteArray bytes(kMagic, sizeof(kMagic));
    {
        QDataStream out(&bytes, QIODevice::Append);
        out.setVersion(QDataStream::Qt_6_0);
        out << static_cast<quint8>(journal.Kind) << journal.Serial << journal.Source << journal.Record
            << journal.DriveName << journal.Stamp << journal.Blocks << static_cast<quint64>(journal.Total)
            << journal.Rate;
    }
    const std::uint32_t crc = CrcOf(bytes);
    for (int i = 0; i < 4; ++i)
        bytes.append(static_cast<char>(crc >> (8 * i)));
    const QString path = UploadJournalPath(journal);
    QDir().mkpath(JournalFolder());
    // The write syncs the file and its folder.
    if (!WriteFileAtomically(path, bytes))
        throw EFileWriteError(path, errno);
}

std::optional<TUploadJournal> LoadUploadJournal(const QString& path)
{
    const std::optional<QByteArray> bytes = ReadBounded(path);
    if (!bytes || bytes->size() < static_cast<qsizetype>(sizeof(kMagic) + 4) ||
        !bytes->startsWith(QByteArray(kMagic, sizeof(kMagic))))
        return std::nullopt;
    const QByteArray body = bytes->left(bytes->size() - 4);
    std::uint32_t crc = 0;
    for (int i = 0; i < 4; ++i)
        crc |= std::uint32_t{static_cast<std::uint8_t>((*bytes)[body.size() + i])} << (8 * i);
    if (crc != CrcOf(body))
        return std::nullopt;
    QDataStream in(body.mid(sizeof(kMagic)));
    in.setVersion(QDataStream::Qt_6_0);
    TUploadJournal journal;
    quint8 kind = 0;
    quint64 total = 0;
    in >> kind >> journal.Serial >> journal.Source >> journal.Record >> journal.DriveName >> journal.Stamp >>
        journal.Blocks >> total >> journal.Rate;
    if (in.status() != QDataStream::Ok || !in.atEnd() ||
        (kind != static_cast<quint8>(TUploadJournal::TKind::Recording) &&
         kind != static_cast<quint8>(TUploadJournal::TKind::DriveFile)))
        return std::nullopt;
    journal.Kind = static_cast<TUploadJournal::TKind>(kind);
    journal.Total = total;
    return journal;
}

QStringList UploadJournalFiles(const QString& serial)
{
    const QDir folder(JournalFolder());
    QStringList paths;
    const QString pattern =
        SafeRecoverySerial(serial) + QLatin1String(kInfix) + QLatin1Char('*') + QLatin1String(kSuffix);
    // Links are listed too: the read refuses them, with a line in the log.
    for (const QString& name : folder.entryList({pattern}, QDir::Files | QDir::System, QDir::Name))
        paths.append(folder.filePath(name));
    return paths;
}

void RemoveUploadJournal(const QString& path)
{
    if (QFile::remove(path))
        filecalls::SyncFolder(JournalFolder());
}

QString CutUploadText(const TUploadJournal& journal, const TSoundFileList& sounds, const TDriveFileList& drives,
                      const TFlashGeometry& geometry)
{
    return journal.Kind == TUploadJournal::TKind::Recording ? RecordingText(journal, sounds)
                                                            : DriveFileText(journal, drives, geometry);
}

TUploadJournalScope::TUploadJournalScope(const TUploadJournal& journal) : m_path(UploadJournalPath(journal))
{
    SaveUploadJournal(journal);
}

void TUploadJournalScope::Ended()
{
    if (m_path.isEmpty())
        return;
    RemoveUploadJournal(m_path);
    m_path.clear();
}
